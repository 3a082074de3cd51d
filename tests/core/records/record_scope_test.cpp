// The range rules shared by the check, the delete dialog and the command line.
#include <gtest/gtest.h>

#include "core/records/record_scope.h"

namespace velmora::records {
namespace {

TEST(RecordScope, CodeTexts) {
  struct Case {
    const char* text;
    bool code;
  } cases[] = {
      {"1", true},           {"110101000001", true}, {"000110101000001", true},  // leading zeros are free
      {"0", true},           {"1101010000011", false},  // 13 digits
      {"", false},           {"12a", false},         {"-5", false}, {"+5", false}, {"1e3", false},
      {"1.5", false},        {" 5", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsCodeText(c.text), c.code);
  }
  EXPECT_EQ(NotACodeMessage("--range", "12a"), "--range: \"12a\" 不是单位编号（最多 12 位数字）");
}

TEST(RecordScope, RangesFromTheTwoBoxes) {
  struct Case {
    std::string lower, upper;
    RangeOrder order;
    RangeRefusal refusal;
    double lo, hi;
    std::string lowerAfter, upperAfter;
  } cases[] = {
      {"3", "5", RangeOrder::RaiseUpper, RangeRefusal::None, 3, 5, "3", "5"},
      {"5", "3", RangeOrder::RaiseUpper, RangeRefusal::None, 5, 5, "5", "5"},
      {"5", "3", RangeOrder::Swap, RangeRefusal::None, 3, 5, "3", "5"},
      {"5", "", RangeOrder::RaiseUpper, RangeRefusal::Missing, 0, 0, "5", "0"},
      {"", "5", RangeOrder::RaiseUpper, RangeRefusal::Missing, 0, 0, "0", "5"},
      {"", "", RangeOrder::RaiseUpper, RangeRefusal::Missing, 0, 0, "0", "0"},
      {"0", "7", RangeOrder::RaiseUpper, RangeRefusal::Missing, 0, 0, "0", "7"},
      {"000", "7", RangeOrder::RaiseUpper, RangeRefusal::Missing, 0, 0, "000", "7"},
      {"1", "1101010000011", RangeOrder::RaiseUpper, RangeRefusal::NotACode, 0, 0, "1", "1101010000011"},
      {"x", "7", RangeOrder::RaiseUpper, RangeRefusal::NotACode, 0, 0, "x", "7"},
      {"999999999999", "110101000001", RangeOrder::RaiseUpper, RangeRefusal::None, 999999999999, 999999999999,
       "999999999999", "999999999999"},
      {"110101000001", "110101000001", RangeOrder::Swap, RangeRefusal::None, 110101000001, 110101000001,
       "110101000001", "110101000001"},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.lower + " to " + c.upper);
    const RangeResolution r = ResolveCodeRange(c.lower, c.upper, c.order);
    EXPECT_EQ(r.refusal, c.refusal);
    ASSERT_EQ(r.range.has_value(), c.refusal == RangeRefusal::None);
    if (r.range) {
      EXPECT_EQ(r.range->lower, c.lo);
      EXPECT_EQ(r.range->upper, c.hi);
    }
    EXPECT_EQ(c.lower, c.lowerAfter);
    EXPECT_EQ(c.upper, c.upperAfter);
  }
}

TEST(RecordScope, TheConditionWritesBoundsWithTwoDecimals) {
  EXPECT_EQ(RangeCondition({110101000001, 999999999999}), "c901>=110101000001.00 and c901<=999999999999.00");
  EXPECT_EQ(RangeCondition({3, 5}, "x"), "x>=3.00 and x<=5.00");
}

}  // namespace
}  // namespace velmora::records
