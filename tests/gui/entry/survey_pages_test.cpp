// The survey pages as data: the captions of the fields as the form prints them.
#include "gui/entry/survey_pages.h"

#include <gtest/gtest.h>

#include <map>

namespace velmora::gui {
namespace {

void CollectCaptions(const HeaderNode& node, std::map<QString, QString>& captions) {
  if (!node.code.isEmpty()) captions[node.code.toLower()] = JoinedCaption(node.caption);
  for (const HeaderNode& child : node.children) CollectCaptions(child, captions);
}

TEST(SurveyPages, CaptionsQuoteAsTheFormPrintsThem) {
  std::map<QString, QString> captions;
  for (const SurveyPageDescription& page : SurveyPageDescriptions())
    for (const SurveyTable& table : page.tables)
      for (const HeaderBand& band : table.bands)
        for (const HeaderNode& column : band.columns) CollectCaptions(column, captions);
  const std::pair<const char*, const char*> cases[] = {
      {"l008", "本年度工会参加\"三同时\"审查验收项目(项)"},
      {"j018", "选树技能带头人(\"金牌工人\"、\"首席技师\"、\"首席员工\")(人)"},
      {"w004", "本年度工会是否开展了“创建学习型组织、争做知识型职工”活动(1=是；2=否)"},
  };
  for (const auto& [code, caption] : cases) {
    SCOPED_TRACE(code);
    ASSERT_TRUE(captions.count(code));
    EXPECT_EQ(captions[code].toStdString(), caption);
  }
}

}  // namespace
}  // namespace velmora::gui
