// The on-line system's exchange file read by the import: the input is imported as a CSV file into a
// fresh copy of the shipped database. Every file is imported, refused with a message, or ends in
// conflicts; nothing else may happen.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exchange/online_csv.h"
#include "core/session/session.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  session::DatabaseSession& session = fuzz::FreshDatabase("import.mdb");
  const std::string path = fuzz::WriteInput("input.csv", data, size);
  const exchange::CsvImportResult result = exchange::ImportOnlineCsvFile(session, path, "FUZZ-STAMP");
  // A refusal or failure says why; an import reads at least the lines it added.
  if ((result.status == exchange::CsvImportStatus::Refused || result.status == exchange::CsvImportStatus::Failed) &&
      result.message.empty())
    __builtin_trap();
  if (result.status == exchange::CsvImportStatus::Imported && result.imported > result.lines) __builtin_trap();
  return 0;
}
