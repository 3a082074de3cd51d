// Paged reading of a record list: whatever the order, the page size and the path by which a row
// is reached, it reads what a plain ORDER BY reads.
#include "core/records/record_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/records/generator.h"
#include "support/test_paths.h"
#include "support/database.h"

namespace velmora::records {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// One generated database for the suite; tests that change records work on a copy.
class RecordSourceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    base_ = new fs::path(*dir_ / "records.mdb");
    GenerateDatabase(testing::ShippedDatabase().string(), base_->string(), GenerateOptions{3000, 7, 5});
    // Some names missing, so that nulls are ordered too.
    db::Connection c(testing::ConnectionTo(*base_));
    c.execute("update dt_data set c902=null where id % 9 = 0");
  }
  static void TearDownTestSuite() {
    delete base_;
    delete dir_;
  }
  fs::path copy(const std::string& name) {
    fs::path target = *dir_ / name;
    fs::copy_file(*base_, target, fs::copy_options::overwrite_existing);
    return target;
  }
  static TempDir* dir_;
  static fs::path* base_;
};
TempDir* RecordSourceTest::dir_ = nullptr;
fs::path* RecordSourceTest::base_ = nullptr;

struct OrderCase {
  const char* column;
  bool descending;
  const char* reference;  // the same order in plain SQL
};

TEST_F(RecordSourceTest, PagesAgreeWithAPlainOrderByWhateverThePath) {
  const OrderCase cases[] = {
      {"", false, "c901 ASC"},
      {"c901", true, "c901 DESC"},
      {"z002", false, "z002 ASC, c901 ASC"},
      {"z002", true, "z002 DESC, c901 ASC"},
      {"c912", true, "c912 DESC, c901 ASC"},  // few values: long runs of ties
      {"c902", false, "c902 ASC, c901 ASC"},  // text with nulls first
      {"C902", true, "c902 DESC, c901 ASC"},  // nulls last; names in any case
  };
  db::Connection c(testing::ConnectionTo(*base_));
  for (const auto& oc : cases) {
    SCOPED_TRACE(std::string(oc.column) + (oc.descending ? " desc" : " asc"));
    const auto keys = testing::Column(c, std::string("SELECT c901 FROM view_data ORDER BY ") + oc.reference);
    const auto names = testing::Column(c, std::string("SELECT c902 FROM view_data ORDER BY ") + oc.reference);
    const auto n = static_cast<std::int64_t>(keys.size());
    for (int pageSize : {7, 128}) {
      RecordSource source(c);
      source.setColumns({"c902", "c901"});
      source.setPageSize(pageSize);
      source.setMaxPages(3);
      source.setSort(oc.column, oc.descending);
      source.open();
      ASSERT_EQ(source.count(), n);
      std::mt19937 random(pageSize);
      std::vector<std::int64_t> rows;
      for (int i = 0; i < 60; ++i) rows.push_back(std::uniform_int_distribution<std::int64_t>(0, n - 1)(random));
      rows.push_back(n - 1);
      for (std::int64_t r = n - 1; r >= n - 300; --r) rows.push_back(r);  // backwards from the end
      for (std::int64_t r = 1000; r < 1300; ++r) rows.push_back(r);       // forwards from the middle
      for (std::int64_t r : rows) {
        ASSERT_TRUE(source.key(r).sameAs(keys[static_cast<std::size_t>(r)])) << "row " << r;
        ASSERT_TRUE(source.value(r, 0).sameAs(names[static_cast<std::size_t>(r)])) << "row " << r;
        ASSERT_LE(source.cachedPages(), 3u);
      }
      // The row of a key is where the plain order has it.
      for (std::int64_t r : {std::int64_t{0}, n / 3, n / 2 + 1, n - 1})
        EXPECT_EQ(source.rowOfKey(keys[static_cast<std::size_t>(r)]), r);
    }
  }
}

TEST_F(RecordSourceTest, FarJumpsReadOnePageAndScrollingReadsOnePagePerPage) {
  db::Connection c(testing::ConnectionTo(*base_));
  RecordSource source(c);
  source.setPageSize(100);
  source.open();
  const auto last = testing::Column(c, "SELECT c901 FROM view_data ORDER BY c901 DESC LIMIT 1");
  EXPECT_TRUE(source.key(source.count() - 1).sameAs(last[0]));
  EXPECT_EQ(source.pageReads(), 1);
  for (std::int64_t r = 0; r < 1000; ++r) source.key(r);
  EXPECT_EQ(source.pageReads(), 11);
}

TEST_F(RecordSourceTest, RequeryAfterDeletesFindsRowsAgainAndForgetsTheGoneOnes) {
  const fs::path file = copy("deletes.mdb");
  db::Connection c(testing::ConnectionTo(file));
  RecordSource source(c);
  source.setSort("z002", true);
  source.open();
  const std::int64_t before = source.count();
  const db::Variant first = source.key(0), middle = source.key(1500), last = source.key(before - 1);
  const std::uint64_t generation = source.generation();
  c.execute("delete from dt_data where c901=" + first.toString() + " or c901=" + last.toString());
  // Until the re-query the cached pages still answer.
  EXPECT_TRUE(source.key(0).sameAs(first));
  source.requery();
  EXPECT_GT(source.generation(), generation);
  EXPECT_EQ(source.count(), before - 2);
  EXPECT_EQ(source.rowOfKey(first), -1);
  EXPECT_EQ(source.rowOfKey(last), -1);
  EXPECT_EQ(source.rowOfKey(middle), 1499);
  EXPECT_TRUE(source.key(1499).sameAs(middle));
  EXPECT_FALSE(source.key(before - 3).isNull());
  EXPECT_TRUE(source.key(before - 2).isNull());  // beyond the end
}

TEST_F(RecordSourceTest, ColumnsTheViewLacksAreEmptyAndOrderByTheKey) {
  db::Connection c(testing::ConnectionTo(*base_));
  RecordSource source(c);
  source.setColumns({"no_such_column", "c901", "RecordState"});
  source.setSort("no_such_column", true);
  source.open();
  EXPECT_FALSE(source.hasData(0));
  EXPECT_TRUE(source.hasData(1));
  const auto keys = testing::Column(c, "SELECT c901 FROM view_data ORDER BY c901");
  for (std::int64_t r : {std::int64_t{0}, std::int64_t{17}, source.count() - 1}) {
    EXPECT_TRUE(source.value(r, 0).isNull());
    EXPECT_TRUE(source.value(r, 1).sameAs(keys[static_cast<std::size_t>(r)]));
  }
}

TEST_F(RecordSourceTest, AConditionNarrowsTheListAndItsPaging) {
  db::Connection c(testing::ConnectionTo(*base_));
  RecordSource source(c);
  source.setCondition("where RecordState=2 and c902 like '%工会%'");
  source.setPageSize(5);
  source.setSort("z002", false);
  source.open();
  const auto keys = testing::Column(
      c, "SELECT c901 FROM view_data WHERE RecordState=2 AND c902 LIKE '%工会%' ORDER BY z002, c901");
  ASSERT_EQ(source.count(), static_cast<std::int64_t>(keys.size()));
  ASSERT_GT(keys.size(), 10u);
  for (std::int64_t r = source.count() - 1; r >= 0; --r)
    ASSERT_TRUE(source.key(r).sameAs(keys[static_cast<std::size_t>(r)]));
  EXPECT_EQ(source.rowOfKey(keys[3]), 3);
}

TEST_F(RecordSourceTest, AMissingViewIsTheEnginesError) {
  db::Connection c(testing::ConnectionTo(*base_));
  RecordSource source(c, "view_missing");
  EXPECT_THROW(source.open(), db::DbError);
  EXPECT_FALSE(source.isOpen());
}

TEST(RecordPageCacheTest, KeepsTheMostRecentlyUsedPages) {
  RecordPageCache cache(2);
  cache.insert(1, {{db::Variant(1)}});
  cache.insert(2, {{db::Variant(2)}});
  ASSERT_NE(cache.find(1), nullptr);  // 1 is now the most recent
  cache.insert(3, {{db::Variant(3)}});
  EXPECT_TRUE(cache.contains(1));
  EXPECT_FALSE(cache.contains(2));
  EXPECT_TRUE(cache.contains(3));
  cache.setMaxPages(1);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_TRUE(cache.contains(3));
}

}  // namespace
}  // namespace velmora::records
