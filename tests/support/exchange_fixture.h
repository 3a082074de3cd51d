#pragma once
// A program folder with the shipped files, a grassroots unit's database of generated records and an
// upper-level office's database, each with its own session and scripted prompts: the set-up of the
// package, import, backup and restore tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "core/db/statement.h"
#include "core/session/session.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {

struct Office {
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::filesystem::path file;

  std::int64_t count(const std::string& sql = "select count(*) from dt_data") {
    db::Statement st(session->SysADOConnection(), sql);
    return st.step() ? st.int64(0) : -1;
  }
  void exec(const std::string& sql) { session->SysADOConnection().execute(sql); }
};

class ExchangeFixture : public ::testing::Test {
 protected:
  ExchangeFixture();

  std::filesystem::path program() const { return dir / "program"; }
  // Opens a session on `file` with the program folder and the documents folder of this fixture.
  void open(Office& office, const std::filesystem::path& file);
  // A new database made from the shipped one holding `records` generated records (all state 1).
  std::filesystem::path makeUnitDatabase(const std::string& name, std::int64_t records, std::uint64_t seed = 1);
  // Writes a package of the unit's records (label as given) through the core.
  std::filesystem::path exportPackage(const std::string& name, const std::string& label);
  // Names of the files in a folder.
  static std::set<std::string> Entries(const std::filesystem::path& folder);

  TempDir dir;
  Office unit;   // a grassroots unit with 20 generated records
  Office upper;  // the upper-level office, an empty database
};

}  // namespace velmora::testing
