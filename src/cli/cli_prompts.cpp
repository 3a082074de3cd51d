#include "cli/cli_prompts.h"

#include <ostream>

#include "cli/one_line.h"

namespace velmora::cli {

CliPrompts::CliPrompts(std::ostream& out, std::ostream& err, Settings settings)
    : out_(out), err_(err), settings_(settings) {}

void CliPrompts::message(const std::string& text, MessageKind kind, const std::string& title) {
  if (settings_.messages == Messages::Console) return ConsolePrompts::message(text, kind, title);
  const bool toOut = settings_.messages == Messages::Split && kind == MessageKind::Information;
  (toOut ? out_ : err_) << OneLine(text) << "\n";
}

bool CliPrompts::openDocument(const std::string& path) {
  switch (settings_.documents) {
    case Documents::Named: out_ << "report: " << OneLine(path) << "\n"; return true;
    case Documents::Ignored: return true;
    case Documents::Console: return ConsolePrompts::openDocument(path);
  }
  return true;
}

}  // namespace velmora::cli
