#include "core/survey/codes.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sched.h>
#endif

#include <filesystem>
#include <set>
#include <string>

#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/survey/machine_stamp.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/database.h"

namespace velmora::survey {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPrompts;
using testing::TempDir;

// Code tables with rows out of ID order and a row with ID 0 in each.
class CodesTest : public ::testing::Test {
 protected:
  CodesTest() {
    file = dir / "codes.mdb";
    db::CreateDatabase(testing::ConnectionTo(file));
    db::Connection db(testing::ConnectionTo(file));
    for (const char* table : {"CT_LevelCode", "CT_Industry", "CT_Economic", "CT_HoldSituation", "CT_HoldSituation1",
                              "CT_state"}) {
      const std::string t = table;
      testing::Exec(db, "create table " + t + "(ID integer primary key, Name text)");
      testing::Exec(db, "insert into " + t + " values(3, '" + t + " 3'), (0, '未填'), (1, '" + t + " 1'), (20, '" + t + " 20')");
    }
    testing::Exec(db, "create table CT_CityName(ID integer primary key, Code1 integer, Code2 integer, Code3 integer,"
             " Name text, CombName text)");
    testing::Exec(db, "insert into CT_CityName values(110000, 11, 0, 0, '北京市', '北京市'),"
             "(110100, 11, 1, 0, '市辖区', '北京市市辖区'), (110101, 11, 1, 1, '东城区', '北京市市辖区东城区')");
    testing::Exec(db, "create table CT_UnionDomain(ID text primary key, Code1 text, Code2 integer, Name text, CombName text)");
    testing::Exec(db, "insert into CT_UnionDomain values('A', 'A', 0, '农林牧渔', 'A 农林牧渔'),"
             "('A01', 'A', 1, '农业', 'A01 农业'), ('Z00', 'Z', 0, '未选择', 'Z00')");
    db.close();
    connection.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string() + ";Mode=ReadWrite;");
  }

  TempDir dir;
  fs::path file;
  db::Connection connection;
  ScriptedPrompts prompts;
};

TEST_F(CodesTest, LoadCodesReadsNonZeroRowsInIdOrder) {
  TMenuItemDataArray codes = LoadCodes(connection, "CT_LevelCode");
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_EQ(codes[0].Code, 1);
  EXPECT_EQ(codes[1].Code, 3);
  EXPECT_EQ(codes[2].Code, 20);
  EXPECT_EQ(codes[2].Name, "CT_LevelCode 20");
  EXPECT_EQ(LookupCodeName(codes, 0), "");

  EXPECT_THROW(LoadCodes(connection, "CT_Missing"), db::DbError);
}

TEST(CodeLookup, ByCodeAndByName) {
  const TMenuItemDataArray codes = {{0, "零"}, {5, "Five"}, {7, "seven"}, {5, "second five"}, {9, "Five"}};
  struct {
    int code;
    const char* name;
  } byCode[] = {{0, ""}, {5, "Five"}, {7, "seven"}, {8, ""}, {-1, ""}};
  for (const auto& c : byCode) EXPECT_EQ(LookupCodeName(codes, c.code), c.name) << c.code;

  struct {
    const char* name;
    int code;
  } byName[] = {{"Five", 5}, {"five", 0}, {"seven", 7}, {"seven ", 0}, {"", 0}};
  for (const auto& c : byName) EXPECT_EQ(LookupCodeId(codes, c.name), c.code) << c.name;
}

TEST(CodeLookup, SplitCityCode) {
  struct {
    int id;
    CityCode parts;
  } cases[] = {{110100, {11, 1, 0}}, {110101, {11, 1, 1}}, {659004, {65, 90, 4}}, {110000, {11, 0, 0}}};
  for (const auto& c : cases) EXPECT_EQ(SplitCityCode(c.id), c.parts) << c.id;
}

TEST_F(CodesTest, CityCombName) {
  EXPECT_EQ(CityCombName(connection, 110100, prompts), "北京市市辖区");
  EXPECT_EQ(CityCombName(connection, 110101, prompts), "北京市市辖区东城区");
  EXPECT_EQ(CityCombName(connection, 120000, prompts), "");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CodesTest, UnionDomainName) {
  EXPECT_EQ(UnionDomainName(connection, "A01", prompts), "农业");
  EXPECT_EQ(UnionDomainName(connection, "B01", prompts), "");
  // An apostrophe in the code is text, not SQL.
  EXPECT_EQ(UnionDomainName(connection, "A'1", prompts), "");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST(CodeLookup, ShortOrLongCodesNeverReachTheDatabase) {
  // A connection to a file that is not a database: any access would show an error.
  TempDir dir;
  testing::WriteFileBytes(dir / "broken.mdb", "not a database");
  db::Connection broken("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (dir / "broken.mdb").string());
  ScriptedPrompts prompts;
  for (int id : {0, 99999, -110100}) EXPECT_EQ(CityCombName(broken, id, prompts), "") << id;
  for (const char* code : {"", "A0", "A012", "Z0000"}) EXPECT_EQ(UnionDomainName(broken, code, prompts), "") << code;
  EXPECT_TRUE(prompts.messages.empty());

  // Through to the database, the error is shown and the name is empty.
  EXPECT_EQ(CityCombName(broken, 110100, prompts), "");
  EXPECT_EQ(UnionDomainName(broken, "农业类", prompts), "");
  ASSERT_EQ(prompts.messages.size(), 2u);
  for (const std::string& m : prompts.messages) {
    EXPECT_EQ(m.rfind("运行中发生错误：", 0), 0u) << m;
    EXPECT_TRUE(m.ends_with(",请与系统管理员或软件发行者联系。")) << m;
  }
}

TEST_F(CodesTest, CachesLoadTogetherAndKeepTheirContentOnFailure) {
  CodeCaches caches;
  caches.LoadAll(connection);
  EXPECT_EQ(caches.LevelCodes.size(), 3u);
  EXPECT_EQ(LookupCodeName(caches.StateCodes, 3), "CT_state 3");
  EXPECT_EQ(LookupCodeName(caches.HoldSituationCodes, 1), "CT_HoldSituation 1");

  caches.LoadHoldSituation(connection, 169);
  EXPECT_EQ(LookupCodeName(caches.HoldSituationCodes, 1), "CT_HoldSituation1 1");
  caches.LoadHoldSituation(connection, 160);
  EXPECT_EQ(LookupCodeName(caches.HoldSituationCodes, 1), "CT_HoldSituation 1");

  connection.execute("drop table CT_state");
  EXPECT_THROW(caches.LoadAll(connection), db::DbError);
  EXPECT_EQ(caches.StateCodes.size(), 3u);
  EXPECT_EQ(caches.LevelCodes.size(), 3u);
}

TEST(MachineStamp, ThirtyTwoUpperCaseHexDigits) {
  const std::string stamp = GetMachineStamp();
  ASSERT_EQ(stamp.size(), 32u) << stamp;
  EXPECT_EQ(stamp.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stamp;
  EXPECT_EQ(FormatMachineStamp(0x306A9, 0xABC0800, 0, 0xFFFFFFFFu), "000306A90ABC080000000000FFFFFFFF");
}

#if defined(__linux__)
// The stamp names the computer: taken on every processor core in turn, it is the same.
TEST(MachineStamp, IsTheSameOnEveryCore) {
  cpu_set_t original;
  ASSERT_EQ(sched_getaffinity(0, sizeof original, &original), 0);
  std::set<std::string> stamps;
  int cores = 0;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &original)) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0) << cpu;
    ++cores;
    for (int repeat = 0; repeat < 3; ++repeat) stamps.insert(GetMachineStamp());
  }
  sched_setaffinity(0, sizeof original, &original);
  ASSERT_GE(cores, 1);
  EXPECT_EQ(stamps.size(), 1u) << "cores: " << cores << ", first: " << *stamps.begin() << ", last: "
                               << *stamps.rbegin();
}
#endif

}  // namespace
}  // namespace velmora::survey

namespace velmora::survey {
namespace {

TEST(ShippedCodeTables, CachesAndNamesFromTheShippedDatabase) {
  testing::TempDir dir;
  const auto file = dir.copyOfShipped();
  db::Connection connection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string() + ";Mode=ReadWrite;");
  testing::ScriptedPrompts prompts;

  CodeCaches caches;
  ASSERT_NO_THROW(caches.LoadAll(connection));
  for (const TMenuItemDataArray* cache : {&caches.LevelCodes, &caches.IndustryCodes, &caches.EconomicCodes,
                                          &caches.HoldSituationCodes, &caches.StateCodes}) {
    ASSERT_FALSE(cache->empty());
    for (std::size_t i = 0; i < cache->size(); ++i) {
      EXPECT_NE((*cache)[i].Code, 0);
      if (i > 0) {
        EXPECT_LT((*cache)[i - 1].Code, (*cache)[i].Code);
      }
    }
  }
  ASSERT_NO_THROW(caches.LoadHoldSituation(connection, 169));
  EXPECT_FALSE(caches.HoldSituationCodes.empty());

  EXPECT_EQ(CityCombName(connection, 110100, prompts), "北京市市辖区");
  EXPECT_FALSE(UnionDomainName(connection, "A01", prompts).empty());
  EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
}  // namespace velmora::survey
