// The review's result window: the filters, the figures as shown, the verdicts kept in the database,
// the export through the prompts, the roster pages and the plot of the selected finding's field.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtCharts/QChart>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>
#include <QtCharts/QXYSeries>
#include <filesystem>

#include "core/review/verdicts.h"
#include "gui/review/review_fixture.h"
#include "gui/review/review_plot.h"
#include "gui/review/review_text.h"

namespace velmora::gui {
namespace {

using review::FindingKind;

TEST(ReviewTextTest, FiguresAreShownInTheirShortForm) {
  struct Case {
    double value;
    const char* number;
    const char* ratio;
    const char* score;
  } cases[] = {
      {1250, "1250", "1250", "1250.00"},
      {0.35, "0.35", "0.35", "0.35"},
      {12345678901234, "12345678901234", "12345678901234", "12345678901234.00"},
      {1.23456, "1.23456", "1.235", "1.23"},
      {0.0123456, "0.0123456", "0.01235", "0.01"},
      {12345.6, "12345.6", "12346", "12345.60"},
      {1.5, "1.5", "1.5", "1.50"},
      {-12.4, "-12.4", "-12.4", "-12.40"},
      {-0.001, "-0.001", "-0.001", "0.00"},
      {0, "0", "0", "0.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ShortNumber(c.value), QString(c.number));
    EXPECT_EQ(RatioText(c.value), QString(c.ratio));
    EXPECT_EQ(ScoreText(c.value), QString(c.score));
  }
  EXPECT_EQ(RatioText(std::nullopt), QString());
  EXPECT_EQ(ScoreText(std::nullopt), QString());
}

class ReviewResultWinTest : public ReviewFixture {};

TEST_F(ReviewResultWinTest, FiltersByTableFieldKindAndVerified) {
  TReviewResultWin& w = open(HandResult());
  const QString table1 = QString::fromStdString(first[0].table), table2 = QString::fromStdString(second->table);
  const QString a = QString::fromStdString(first[0].name), b = QString::fromStdString(first[1].name),
                c = QString::fromStdString(second->name);
  struct Case {
    QString table, field;
    std::optional<FindingKind> kind;
    bool verified;
    std::vector<std::size_t> shown;
  } cases[] = {
      {"", "", std::nullopt, false, {0, 1, 2, 3, 5}},
      {"", "", std::nullopt, true, {0, 1, 2, 3, 4, 5}},
      {table1, "", std::nullopt, false, {0, 1, 2, 5}},
      {table2, "", std::nullopt, false, {3}},
      {table2, "", std::nullopt, true, {3, 4}},
      {table1, b, std::nullopt, false, {2, 5}},
      {"", a, FindingKind::Low, false, {1}},
      {"", "", FindingKind::High, false, {0, 5}},
      {"", "", FindingKind::High, true, {0, 4, 5}},
      {"", "", FindingKind::ToZero, false, {3}},
      {table2, "", FindingKind::FromZero, true, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE((k.table + "/" + k.field).toStdString() + (k.verified ? " with verified" : ""));
    w.setKindFilter(std::nullopt);
    w.setFieldFilter("");
    w.setTableFilter(k.table);
    w.setFieldFilter(k.field);
    w.setKindFilter(k.kind);
    w.setShowVerified(k.verified);
    EXPECT_EQ(w.shownFindings(), k.shown);
    EXPECT_EQ(w.findingsTable()->rowCount(), static_cast<int>(k.shown.size()));
    EXPECT_TRUE(w.statusLine()->text().contains(QString("列出 %1 项").arg(k.shown.size()))) << w.statusLine()->text().toStdString();
  }
}

TEST_F(ReviewResultWinTest, TheFieldListFollowsTheTable) {
  TReviewResultWin& w = open(HandResult());
  auto fieldsListed = [&w] {
    QStringList names;
    for (int i = 0; i < w.fieldCombo()->count(); ++i) names << w.fieldCombo()->itemData(i).toString();
    return names;
  };
  const QString a = QString::fromStdString(first[0].name), b = QString::fromStdString(first[1].name),
                c = QString::fromStdString(second->name);
  EXPECT_EQ(fieldsListed(), (QStringList{"", a, b, c}));
  w.setTableFilter(QString::fromStdString(second->table));
  EXPECT_EQ(fieldsListed(), (QStringList{"", c}));
  w.setTableFilter(QString::fromStdString(first[0].table));
  EXPECT_EQ(fieldsListed(), (QStringList{"", a, b}));
  // the table list: 全部 and the two tables once each
  EXPECT_EQ(w.tableCombo()->count(), 3);
  EXPECT_EQ(w.tableCombo()->itemText(0), QString("全部"));
  EXPECT_EQ(w.kindCombo()->count(), 5);
}

TEST_F(ReviewResultWinTest, ARowShowsTheFindingInTheWindowsWords) {
  TReviewResultWin& w = open(HandResult());
  w.setShowVerified(true);
  QTableWidget* t = w.findingsTable();
  QStringList titles;
  for (int c = 0; c < t->columnCount(); ++c) titles << t->horizontalHeaderItem(c)->text();
  EXPECT_EQ(titles, (QStringList{"统计编码", "单位名称", "调查表", "指标", "指标名称", "类型", "上年", "本年", "比值",
                                 "得分", "核实", "备注"}));
  auto row = [t](int r) {
    QStringList cells;
    for (int c = 0; c < t->columnCount(); ++c) cells << t->item(r, c)->text();
    return cells;
  };
  const QString code0 = QString::number(codes[0]);
  EXPECT_EQ(row(0), (QStringList{code0, "单位" + code0, QString::fromStdString(first[0].table),
                                 QString::fromStdString(first[0].name), QString::fromStdString(first[0].caption), "偏高",
                                 "100", "900", "9", "9.50", "", ""}));
  const QString code3 = QString::number(codes[3]);
  EXPECT_EQ(row(3).mid(5), (QStringList{"由非零变为零", "12.5", "0", "", "", "", ""}));
  EXPECT_EQ(row(4).mid(5), (QStringList{"偏高", "10", "80", "8", "9.50", "已核实", "电话核实"}));
  // the roster pages
  EXPECT_EQ(w.tabs()->tabText(1), QString("未报单位(2)"));
  EXPECT_EQ(w.tabs()->tabText(2), QString("新增单位(1)"));
  ASSERT_EQ(w.missingTable()->rowCount(), 2);
  EXPECT_EQ(w.missingTable()->item(1, 0)->text(), QString("990000000002"));
  EXPECT_EQ(w.missingTable()->item(1, 1)->text(), QString("去年的单位乙"));
  EXPECT_EQ(w.addedTable()->item(0, 0)->text(), QString::number(codes[6]));
}

TEST_F(ReviewResultWinTest, TheStatusLineSaysWhenOnlyTheFindingsOfMostImpactAreKept) {
  review::ReviewResult result = HandResult();
  result.totalFindings = 6;
  {
    TReviewResultWin& w = open(result);
    EXPECT_TRUE(w.statusLine()->text().startsWith("审核发现 6 项，其中已核实 1 项；列出 5 项。")) << w.statusLine()->text().toStdString();
  }
  result.totalFindings = 150000;
  TReviewResultWin& w = open(std::move(result));
  EXPECT_TRUE(w.statusLine()->text().startsWith("审核发现 150000 项（保留影响最大的 6 项），其中已核实 1 项；"))
      << w.statusLine()->text().toStdString();
}

TEST_F(ReviewResultWinTest, AVerdictIsKeptInTheDatabaseAndHidesTheRow) {
  TReviewResultWin& w = open(HandResult());
  ASSERT_TRUE(w.selectFinding(1));
  prompts.inputAnswers = {std::string("单位说明了原因")};
  w.button("tbVerify")->click();
  std::vector<review::Verdict> kept = review::LoadVerdicts(session->SysADOConnection());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].code, codes[1]);
  EXPECT_EQ(kept[0].field, first[0].name);
  EXPECT_EQ(kept[0].note, "单位说明了原因");
  EXPECT_EQ(kept[0].reference, "上年.mdb");
  EXPECT_EQ(w.shownFindings(), (std::vector<std::size_t>{0, 2, 3, 5}));
  EXPECT_EQ(w.currentFinding(), std::optional<std::size_t>(2));  // the next row
  EXPECT_TRUE(w.result().findings[1].verified);

  // shown again with its mark, and taken back
  w.setShowVerified(true);
  ASSERT_TRUE(w.selectFinding(1));
  EXPECT_EQ(w.findingsTable()->item(1, TReviewResultWin::ColVerified)->text(), QString("已核实"));
  EXPECT_EQ(w.findingsTable()->item(1, TReviewResultWin::ColNote)->text(), QString("单位说明了原因"));
  ASSERT_TRUE(w.button("tbUnverify")->isEnabled());
  w.button("tbUnverify")->click();
  EXPECT_TRUE(review::LoadVerdicts(session->SysADOConnection()).empty());
  EXPECT_EQ(w.findingsTable()->item(1, TReviewResultWin::ColVerified)->text(), QString());

  // a cancelled note keeps nothing
  ASSERT_TRUE(w.selectFinding(0));
  w.markVerified();
  EXPECT_TRUE(review::LoadVerdicts(session->SysADOConnection()).empty());
  EXPECT_FALSE(w.result().findings[0].verified);
}

TEST_F(ReviewResultWinTest, ExportWritesTheWorkbookWhereThePromptsSay) {
  TReviewResultWin& w = open(HandResult());
  prompts.fileAnswers = {(dir / "审核结果").string()};
  w.button("tbExport")->click();
  const std::filesystem::path written = dir / "审核结果.xlsx";
  EXPECT_TRUE(std::filesystem::is_regular_file(written));
  EXPECT_GT(std::filesystem::file_size(written), 0u);
  ASSERT_FALSE(prompts.fileRequests.empty());
  EXPECT_EQ(prompts.fileRequests.back().defaultExtension, "xlsx");
  EXPECT_NE(prompts.lastMessage().find(written.string()), std::string::npos) << prompts.lastMessage();

  // a folder that is not there: the workbook's own Chinese message, no file
  prompts.fileAnswers = {(dir / "没有的文件夹" / "审核结果.xlsx").string()};
  w.exportFindings();
  EXPECT_EQ(prompts.shown.back().kind, MessageKind::Error);
  EXPECT_NE(prompts.lastMessage().find("无法"), std::string::npos) << prompts.lastMessage();
  EXPECT_FALSE(std::filesystem::exists(dir / "没有的文件夹"));

  // cancelled: nothing said
  const std::size_t said = prompts.messages.size();
  w.exportFindings();
  EXPECT_EQ(prompts.messages.size(), said);
}

// The series of the plot by name.
const QXYSeries* Series(QChart* chart, const char* name) {
  for (QAbstractSeries* s : chart->series())
    if (s->name() == QString(name)) return qobject_cast<QXYSeries*>(s);
  return nullptr;
}

TEST_F(ReviewResultWinTest, ThePlotDrawsTheSelectedFindingsField) {
  TReviewResultWin& w = open(HandResult());
  struct Case {
    std::size_t finding;
    int sample, found;
    bool logarithmicSizes;
  } cases[] = {
      {0, 40, 2, true},   // the first field: a high and a low finding; sizes over three decades
      {5, 30, 1, false},  // the second: one decade; its zero transition is not drawn
      {3, 20, 1, true},   // the second table's field: a zero transition and a verified finding (drawn)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.finding);
    ASSERT_TRUE(w.selectFinding(c.finding));
    QChart* chart = w.plot()->chart();
    ASSERT_FALSE(w.plot()->showsReason());
    const std::string field = w.result().findings[c.finding].field;
    EXPECT_TRUE(chart->title().startsWith(QString::fromStdString(field) + " ")) << chart->title().toStdString();
    const QXYSeries* sample = Series(chart, TReviewPlot::kSampleName);
    const QXYSeries* found = Series(chart, TReviewPlot::kFindingName);
    const QXYSeries* lower = Series(chart, TReviewPlot::kLowerName);
    const QXYSeries* upper = Series(chart, TReviewPlot::kUpperName);
    ASSERT_TRUE(sample && found && lower && upper);
    EXPECT_EQ(sample->count(), c.sample);
    EXPECT_EQ(found->count(), c.found);
    EXPECT_EQ(lower->count(), TReviewPlot::kBoundPoints);
    EXPECT_EQ(upper->count(), TReviewPlot::kBoundPoints);
    // the bounds enclose the median ratio at every size
    for (int i = 0; i < lower->count(); ++i) {
      EXPECT_LT(lower->at(i).y(), 1.0);
      EXPECT_GT(upper->at(i).y(), 1.0);
    }
    const auto horizontal = chart->axes(Qt::Horizontal);
    const auto vertical = chart->axes(Qt::Vertical);
    ASSERT_EQ(horizontal.size(), 1);
    ASSERT_EQ(vertical.size(), 1);
    EXPECT_EQ(qobject_cast<QLogValueAxis*>(horizontal[0]) != nullptr, c.logarithmicSizes);
    EXPECT_NE(qobject_cast<QLogValueAxis*>(vertical[0]), nullptr);
  }
  // the finding drawn in red lies where its ratio and size put it
  ASSERT_TRUE(w.selectFinding(0));
  const QXYSeries* found = Series(w.plot()->chart(), TReviewPlot::kFindingName);
  EXPECT_DOUBLE_EQ(found->at(0).y(), 9.0);
  EXPECT_DOUBLE_EQ(found->at(0).x(), 30.0);  // 900^0.5
}

TEST_F(ReviewResultWinTest, ASkippedFieldShowsWhy) {
  review::ReviewResult result = HandResult();
  result.fields[2] = review::FieldResult{};
  result.fields[2].field = second->name;
  result.fields[2].skipped = review::kNoReferenceFieldText;
  TReviewResultWin& w = open(std::move(result));
  ASSERT_TRUE(w.selectFinding(3));
  EXPECT_TRUE(w.plot()->showsReason());
  EXPECT_TRUE(w.plot()->reasonText().contains(review::kNoReferenceFieldText));
  EXPECT_TRUE(w.plot()->reasonText().startsWith(QString::fromStdString(second->name)));
  EXPECT_TRUE(w.plot()->chart()->series().isEmpty());
  ASSERT_TRUE(w.selectFinding(0));
  EXPECT_FALSE(w.plot()->showsReason());
}

TEST(ReviewPlotTest, SizesAreSpacedEvenlyOnALogarithmicScale) {
  const std::vector<double> sizes = LogSpacedSizes(1, 1000, 4);
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_DOUBLE_EQ(sizes[0], 1);
  EXPECT_NEAR(sizes[1], 10, 1e-9);
  EXPECT_NEAR(sizes[2], 100, 1e-9);
  EXPECT_DOUBLE_EQ(sizes[3], 1000);
  EXPECT_EQ(LogSpacedSizes(5, 5, 100), std::vector<double>{5});
  EXPECT_TRUE(LogSpacedSizes(0, 5, 100).empty());
  EXPECT_TRUE(LogSpacedSizes(6, 5, 100).empty());
}

}  // namespace
}  // namespace velmora::gui
