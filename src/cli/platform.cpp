#include "cli/platform.h"

#include "core/base/platform.h"

namespace velmora::cli {

std::string ProgramFolder(const char* argv0) { return base::platform::ExecutableFolder(argv0); }

bool StderrIsTerminal() { return base::platform::StderrIsTerminal(); }

}  // namespace velmora::cli
