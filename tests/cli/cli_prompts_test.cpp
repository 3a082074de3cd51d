// The command line's prompts: where each setting sends a message and a report, every one on one line.
#include "cli/cli_prompts.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace velmora::cli {
namespace {

struct PromptsCase {
  CliPrompts::Settings settings;
  const char* out;
  const char* err;
};

TEST(CliPrompts, SettingsDecideWhereMessagesAndReportsGo) {
  using M = CliPrompts::Messages;
  using D = CliPrompts::Documents;
  const PromptsCase cases[] = {
      {{M::Split, D::Named}, "已完成\nreport: /tmp/a\\nb.txt\n", "坏\\t值\n停止\n"},
      {{M::Split, D::Ignored}, "已完成\n", "坏\\t值\n停止\n"},
      {{M::AllToErr, D::Ignored}, "", "已完成\n坏\\t值\n停止\n"},
  };
  for (const PromptsCase& c : cases) {
    std::ostringstream out, err;
    CliPrompts prompts(out, err, c.settings);
    UserPrompts& asked = prompts;
    asked.message("已完成");
    asked.message("坏\t值", MessageKind::Warning);
    asked.message("停止", MessageKind::Error, "标题");
    EXPECT_TRUE(asked.openDocument("/tmp/a\nb.txt"));
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.err);
  }
}

// The console settings leave the verb's streams alone: the text goes as it is to the process's
// standard error, as the core's console prompts write it.
TEST(CliPrompts, ConsoleSettingsWriteToTheProcessErrorStreamUnchanged) {
  std::ostringstream out, err, console;
  std::streambuf* const saved = std::cerr.rdbuf(console.rdbuf());
  {
    CliPrompts prompts(out, err, {CliPrompts::Messages::Console, CliPrompts::Documents::Console});
    UserPrompts& asked = prompts;
    asked.message("坏\t值", MessageKind::Warning);
    EXPECT_TRUE(asked.openDocument("/tmp/a b.txt"));
  }
  std::cerr.rdbuf(saved);
  EXPECT_EQ(console.str(), "坏\t值\n/tmp/a b.txt\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

TEST(CliPrompts, QuestionsAreAnsweredNoAndNothingIsChosen) {
  std::ostringstream out, err;
  CliPrompts prompts(out, err, {});
  UserPrompts& asked = prompts;
  EXPECT_FALSE(asked.confirm("删除吗？"));
  EXPECT_EQ(asked.ask("保存吗？", {Answer::Yes, Answer::No, Answer::Cancel}), Answer::No);
  EXPECT_FALSE(asked.saveFileName({}));
  EXPECT_FALSE(asked.openFileNames({}));
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace velmora::cli
