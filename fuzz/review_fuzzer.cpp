// The year-over-year review with the input as last year's file: written as a file, read through the
// intake (private working copy, its dt_data checked, under the untrusted scope), its values turned
// into field streams and tested against this year's units. A file is reviewed or refused with an
// IntakeError (or an engine error before the scope); nothing else may escape, and no work file stays.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/db/error.h"
#include "core/intake/source_file.h"
#include "core/review/year_review.h"
#include "core/session/session.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  // This year's units, among them the codes of the seed files: one copy serves the whole run.
  static session::DatabaseSession& ours = [] () -> session::DatabaseSession& {
    session::DatabaseSession& s = fuzz::FreshDatabase("this-year.mdb");
    std::string sql;
    for (const char* code : {"340223000001", "450225000001", "659012000001", "110000000001"})
      for (int i = 0; i < 3; ++i)
        sql += std::string("insert or ignore into dt_data(c901, c902, c912, b001, z001) values(") + code + "+" +
               std::to_string(i * 1000) + ", '单位', 1, " + std::to_string(5 + i) + ", 1);";
    s.SysADOConnection().execute(sql);
    return s;
  }();
  const std::string path = fuzz::WriteInput("last-year.dat", data, size);
  try {
    review::RunReview(ours, {review::Reference::Kind::File, path}, {}, jobs::NoJob());
  } catch (const intake::IntakeError&) {
    // refused with a message for the user
  } catch (const db::DbError&) {
    // the engine could not read the working copy at all
  }
  return 0;
}
