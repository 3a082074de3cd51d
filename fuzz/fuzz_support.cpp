#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

namespace velmora::fuzz {

namespace {

struct Scratch {
  std::filesystem::path folder;
  Scratch() {
    folder = std::filesystem::temp_directory_path() / ("velmora-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

// The command line's prompts without their messages: a fuzz run would print one per input.
class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string&) override {}
};

}  // namespace

const std::filesystem::path& ScratchFolder() {
  static Scratch scratch;
  return scratch.folder;
}

std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = ScratchFolder() / name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file.string();
}

session::DatabaseSession& FreshDatabase(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path& scratch = ScratchFolder();  // made first, so removed after the sessions
  static QuietPrompts prompts;
  static std::map<std::string, std::unique_ptr<session::DatabaseSession>> sessions;
  const fs::path program = fs::path(VELMORA_PROGRAM_DIR);
  const fs::path shipped = program / "2012Velmora.mdb";
  const fs::path file = scratch / name;
  sessions[name].reset();
  std::error_code ec;
  if (fs::create_directories(scratch / "program", ec)) {
    fs::create_directories(scratch / "docs", ec);
    for (const char* shippedFile : {"2012Velmora.mdb", "view.dll"})
      fs::copy_file(program / shippedFile, scratch / "program" / shippedFile, ec);
  }
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(file.string() + suffix, ec);
  if (!fs::copy_file(shipped, file, ec)) {
    std::fprintf(stderr, "cannot copy %s: build velmora_shipped_files first\n", shipped.c_str());
    std::abort();
  }
  auto session = std::make_unique<session::DatabaseSession>((scratch / "program").string(), prompts);
  session->setPersonalFolder((scratch / "docs").string());
  if (!session->OpenDatabase(file.string())) {
    std::fprintf(stderr, "cannot open %s\n", file.c_str());
    std::abort();
  }
  return *(sessions[name] = std::move(session));
}

}  // namespace velmora::fuzz
