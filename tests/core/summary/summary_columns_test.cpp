// The worksheets' select lists as they are expanded from their notation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/summary/aggregate_expression.h"
#include "core/summary/sum_columns.h"

namespace velmora::summary {
namespace {

TEST(SumColumnsTest, FullTextsStandCharacterForCharacter) {
  EXPECT_EQ(SumColumns(2),
            "count(*) as cnt,sum((2-c904)*(3-c904)/2) as sum_c904_1,sum((c904-1)*(3-c904)) as sum_c904_2,"
            "sum(z001) as sum_z001,sum(z002) as sum_z002,sum(z003) as sum_z003,sum(z004) as sum_z004,"
            "sum(z005) as sum_z005,sum(z006) as sum_z006,sum(z007) as sum_z007,sum(z008) as sum_z008,"
            "sum(z009) as sum_z009 from dt_data");
  EXPECT_EQ(SumColumns(8),
            "sum(b027*(2-b027)) as sum_b027_1,sum(int(b027/2) + (2-b027)*(1-b027)/2) as sum_b027_2,"
            "sum(b028*(2-b028)) as sum_b028_1,sum(int(b028/2) + (2-b028)*(1-b028)/2) as sum_b028_2,"
            "sum(b029) as sum_b029 from dt_data");
  EXPECT_EQ(SumColumns(20),
            "sum(s001*(2-s001)) as sum_s001_1,sum(int(s001/2)) as sum_s001_2,sum((2-s001)*(1-s001)/2) as sum_s001_3,"
            "sum(s002*(2-s002)) as sum_s002_1,sum(int(s002/2) + (2-s002)*(1-s002)/2) as sum_s002_2,"
            "sum(s003*(2-s003)) as sum_s003_1,sum(int(s003/2) + (2-s003)*(1-s003)/2) as sum_s003_2,"
            "sum(s004*(2-s004)) as sum_s004_1,sum(int(s004/2) + (2-s004)*(1-s004)/2) as sum_s004_2 from dt_data");
  EXPECT_NE(SumColumns(4).find(",sum(iif(z003>0,1,0)) as count_z003,iif(sum(iif(z003>0,1,0))>0,"
                               "sum(z022*(2-z022)+int(z022/2))/sum(iif(z003>0,1,0)),) as percent_z003,"
                               "sum(z022*(2-z022)) as sum_z022_1,"),
            std::string::npos);
  EXPECT_EQ(SumColumns(1), "");
  EXPECT_EQ(SumColumns(21), "");
}

// The number of columns of every worksheet, and the names of its first and last column.
TEST(SumColumnsTest, EverySheetHasItsColumns) {
  struct Case {
    int sheet, columns;
    const char *first, *last;
  };
  const Case cases[] = {
      {2, 12, "cnt", "sum_z009"},          {3, 10, "sum_z010", "sum_z019"},
      {4, 9, "sum_z020", "sum_z024"},      {5, 9, "sum_b001", "sum_b009"},
      {6, 11, "sum_b010_1", "sum_b019"},   {7, 8, "sum_b020", "sum_b026_2"},
      {8, 5, "sum_b027_1", "sum_b029"},    {9, 9, "count_h001", "sum_h005_z001"},
      {10, 9, "sum_h006_1", "sum_h006_3_z002"}, {11, 13, "sum_h007_1", "sum_h015"},
      {12, 9, "sum_h016_1", "sum_h022_2"}, {13, 6, "sum_l001_1", "sum_l005"},
      {14, 7, "sum_l006", "sum_l010_2"},   {15, 16, "sum_f001_1", "sum_f012"},
      {16, 14, "sum_f013", "sum_f026"},    {17, 14, "sum_j001", "sum_j013"},
      {18, 14, "sum_j014", "sum_j023"},    {19, 5, "sum_w001", "sum_w004_2"},
      {20, 9, "sum_s001_1", "sum_s004_2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sheet);
    EXPECT_EQ(SumColumnCount(c.sheet), c.columns);
    AggregateList list(SumColumns(c.sheet));
    ASSERT_EQ(list.outputCount(), c.columns);
    EXPECT_EQ(list.outputNames().front(), c.first);
    EXPECT_EQ(list.outputNames().back(), c.last);
    // The ratios, as the parser names the outputs.
    std::vector<int> ratios;
    for (int k = 0; k < list.outputCount(); ++k)
      if (list.outputNames()[static_cast<std::size_t>(k)].rfind("percent_", 0) == 0) ratios.push_back(k);
    EXPECT_EQ(RatioColumns(c.sheet), ratios);
  }
  EXPECT_EQ(RatioColumns(4), std::vector<int>{3}) << "建立女职工组织的比例, column E";
  EXPECT_TRUE(RatioColumns(1).empty());
  EXPECT_TRUE(RatioColumns(21).empty());
}

TEST(SumColumnsTest, NotationExpands) {
  EXPECT_EQ(ExpandColumnNotation("S f004-f006"),
            (std::vector<std::string>{"sum(f004) as sum_f004", "sum(f005) as sum_f005", "sum(f006) as sum_f006"}));
  EXPECT_EQ(ExpandColumnNotation("YN w004"),
            (std::vector<std::string>{"sum(w004*(2-w004)) as sum_w004_1",
                                      "sum(int(w004/2) + (2-w004)*(1-w004)/2) as sum_w004_2"}));
  EXPECT_EQ(ExpandColumnNotation("count(*) as cnt"), std::vector<std::string>{"count(*) as cnt"});
}

TEST(AggregateListTest, ListsTheParserDoesNotReadAreRefused) {
  for (const char* text : {"sum(z001 as a", "sum(sum(z001)) as a", "z001 as a", "median(z001) as a", "sum(z001)"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(AggregateList{text}, ExpressionError);
  }
}

}  // namespace
}  // namespace velmora::summary
