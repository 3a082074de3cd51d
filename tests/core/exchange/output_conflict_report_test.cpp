// The number-conflict report holds one record a line: line breaks and other control characters in
// a unit's name or a file's name become blanks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exchange/conflict_report.h"

namespace velmora::exchange {
namespace {

TEST(OutputConflictReport, NamesWithControlCharactersStayOnTheirRecordLine) {
  const struct Case {
    std::string name;
    std::string line;
  } cases[] = {
      {"甲\r\n(9,forged)", "(1,甲  (9,forged))"},
      {"乙\n", "(1,乙 )"},
      {"丙\t\x1b\x7f丁", "(1,丙   丁)"},
      {"工会", "(1,工会)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::vector<std::string> single = SingleReportLines({{"1", c.name}});
    ASSERT_EQ(single.size(), 3u);
    EXPECT_EQ(single[2], c.line);
    const std::vector<std::string> batch = BatchBlockLines("a\r\nb.dat", {{"1", c.name}});
    ASSERT_EQ(batch.size(), 5u);
    EXPECT_EQ(batch[0], "在准备导入的名为【a  b.dat】的文件中，如下的记录与现有的记录发生编号冲突");
    EXPECT_EQ(batch[2], c.line);
    for (const std::vector<std::string>* lines : {&single, &batch})
      for (const std::string& line : *lines) EXPECT_EQ(line.find_first_of("\r\n\t\x1b\x7f"), std::string::npos);
  }
}

}  // namespace
}  // namespace velmora::exchange
