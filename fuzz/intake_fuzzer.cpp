// The intake of database files from elsewhere with the record check: the input is written as a file,
// opened as a source (a private working copy), its dt_data required to have our layout, and every
// row run through the record check, as a package import does before anything is imported. A file is
// read or refused with an IntakeError (or, before the scope, an engine error); nothing else may
// escape.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>

#include "core/db/error.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/session/session.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  // Our database is only read here: one copy serves the whole run.
  static session::DatabaseSession& ours = fuzz::FreshDatabase("working.mdb");
  static const std::string workingFolder = [] {
    std::filesystem::create_directories(fuzz::ScratchFolder() / "intake");
    return (fuzz::ScratchFolder() / "intake").string();
  }();
  const std::string path = fuzz::WriteInput("input.dat", data, size);
  try {
    intake::SourceFile source(path, workingFolder);
    db::Connection& working = ours.SysADOConnection();
    source.requireLayout("dt_data", working);
    db::Connection& file = source.connection();
    intake::UntrustedScope scope(file, jobs::NoJob(), source.instructionBudget());
    try {
      intake::RecordCheck check(working, file.columnNames("dt_data"), "dt_data");
      intake::CheckTableRows(file, "dt_data", check);
    } catch (const intake::IntakeError&) {
      throw;
    } catch (const std::exception& e) {
      scope.rethrow(e, path);
    }
  } catch (const intake::IntakeError&) {
    // refused with a message for the user
  } catch (const db::DbError&) {
    // the engine could not read the working copy at all: the package import reports it as such
  }
  return 0;
}
