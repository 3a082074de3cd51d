// The Jet dialect translation and the statement splitter: any text gives a translation or a
// refusal (an exception derived from std::exception), never a crash.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/db/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    for (const std::string& statement : velmora::db::SplitJetStatements(text)) velmora::db::TranslateJetSql(statement);
  } catch (const std::runtime_error&) {
    // a statement the translation refuses
  }
  try {
    velmora::db::TranslateJetSql(text);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
