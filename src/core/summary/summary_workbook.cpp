#include "core/summary/summary_workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/base/paths.h"
#include "core/groups/groups.h"
#include "core/office/cell_text.h"
#include "core/office/hand_to_user.h"
#include "core/office/office_error.h"
#include "core/summary/sum_columns.h"

namespace velmora::summary {

namespace {

constexpr int kFirstRow = 9;
constexpr int kLabelColumn = 1;
// The column headings stand in rows 3 to 7, each wrapped in its merged cell. Five rows of the
// template's height hold six lines of the heading font; a heading is given four, for the lines that
// break early.
constexpr int kHeadingRow = 3;
constexpr int kHeadingLines = 4;
constexpr const char* kRatioFormat = "0.00%";

// The one-pass read reports its records on the inner level of a two-level job, so the second bar
// moves while the records are read and the first still stands at its first worksheet.
class InnerLevelJob : public jobs::Job {
 public:
  explicit InnerLevelJob(jobs::Job& outer) : outer_(outer) {}
  void start(std::int64_t total, std::int64_t done) override {
    outer_.startInner(total);
    if (done > 0) outer_.stepInner(done);
  }
  void step(std::int64_t count) override { outer_.stepInner(count); }
  bool paused() const override { return outer_.paused(); }
  bool stopRequested() const override { return outer_.stopRequested(); }
  void processEvents(bool wait) override { outer_.processEvents(wait); }

 private:
  jobs::Job& outer_;
};

// A figure as its cell shows it: a ratio as a percentage with two decimals, a number as written.
std::string ShownFigure(const db::Variant& value, bool ratio) {
  if (value.isNull()) return {};
  if (!ratio || !(value.isInteger() || value.isFloat())) return value.toString();
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value.toDouble() * 100, std::chars_format::fixed, 2).ptr;
  return std::string(text, end) + "%";
}

// Widens the figure columns (B onwards) that are too narrow for their wrapped heading or for a
// figure; a column keeps the template's width when everything fits.
void FitFigureColumns(office::TemplateSheet& sheet, const SummarySheetResult& result, int columns,
                      const std::vector<int>& ratios) {
  const double margin = office::EstimatedColumnWidth("");
  for (int c = 0; c < columns; ++c) {
    const int column = c + 2;
    double needed = 0;
    const office::CellValue heading = sheet.value(kHeadingRow, column);
    if (heading.kind == office::CellValue::Kind::Text)
      needed = (office::EstimatedColumnWidth(heading.text) - margin) / kHeadingLines + margin;
    const bool ratio = std::find(ratios.begin(), ratios.end(), c) != ratios.end();
    for (const SummaryRow& row : result.rows) {
      if (static_cast<std::size_t>(c) >= row.cells.size()) continue;
      const std::string shown = ShownFigure(row.cells[static_cast<std::size_t>(c)], ratio);
      if (!shown.empty()) needed = std::max(needed, office::EstimatedColumnWidth(shown));
    }
    needed = std::min(std::ceil(needed), 255.0);
    if (needed > sheet.columnWidth(column)) sheet.setColumnWidth(column, needed);
  }
}

}  // namespace

void WriteFigure(office::TemplateSheet& sheet, int row, int column, const db::Variant& value) {
  if (value.isNull()) return;
  if (value.isInteger()) {
    sheet.setNumber(row, column, static_cast<double>(value.toInt64()));
  } else if (value.isFloat()) {
    // The figure as the engine renders it (15 significant digits), not the sum's rounding noise:
    // 595743.13 rather than 595743.1299999995.
    const std::string text = value.toString();
    double shown = value.toDouble();
    std::from_chars(text.data(), text.data() + text.size(), shown);
    sheet.setNumber(row, column, shown);
  } else {
    sheet.setText(row, column, value.toString());
  }
}

std::string SummaryTemplatePath(const std::string& programFolder) {
  return base::Utf8FromPath(base::PathFromUtf8(programFolder) / base::PathFromUtf8(kSummaryTemplateName));
}

bool FillSummarySheet(office::TemplateSheet& sheet, const SummarySheetResult& result, const std::string& label,
                      jobs::Job& job) {
  const int labelRow = sheet.value(2, kLabelColumn).kind == office::CellValue::Kind::Text ? 3 : 2;
  sheet.setText(labelRow, kLabelColumn, label);

  const auto& rows = result.rows;
  const int count = static_cast<int>(rows.size());
  job.startInner(count);
  jobs::JobTicker ticker(job, 64);
  // Written from the last row up: each row after the first pushes the ones written before it down,
  // and takes the styles of the template's row 9 with it.
  for (int i = count - 1; i >= 0; --i) {
    if (i != count - 1) sheet.insertRowAbove(kFirstRow);
    sheet.setText(kFirstRow, kLabelColumn, rows[static_cast<std::size_t>(i)].label);
    const auto& cells = rows[static_cast<std::size_t>(i)].cells;
    for (std::size_t c = 0; c < cells.size(); ++c) WriteFigure(sheet, kFirstRow, static_cast<int>(c) + 2, cells[c]);
    job.stepInner();
    if (!ticker.tick()) return false;
  }
  // The rows framed like the headings above them, the ratios shown as percentages.
  int columns = SumColumnCount(result.sheet);
  for (const SummaryRow& row : rows) columns = std::max(columns, static_cast<int>(row.cells.size()));
  const std::vector<int> ratios = RatioColumns(result.sheet);
  if (count > 0) {
    const int lastRow = kFirstRow + count - 1;
    sheet.setBorders(office::CellRange{{kFirstRow, kLabelColumn}, {lastRow, kLabelColumn + columns}});
    for (int c : ratios) sheet.setNumberFormat(office::CellRange{{kFirstRow, c + 2}, {lastRow, c + 2}}, kRatioFormat);
    sheet.setHorizontalAlignment(office::CellRange{{kFirstRow, kLabelColumn}, {lastRow, kLabelColumn}},
                                 office::HorizontalAlignment::Left);
  }
  sheet.autoFitColumn(kLabelColumn);
  FitFigureColumns(sheet, result, columns, ratios);
  return ticker.poll();
}

// A group's summary is named by the group, so that those of two groups tell themselves apart.
std::string SummaryLabel(db::Connection& connection, int classification, int groupId) {
  if (classification == kByGroup) {
    if (std::optional<groups::Group> group = groups::FindGroup(connection, groupId); group && !group->name.empty())
      return group->name;
  }
  return ClassificationLabel(classification);
}

namespace {

bool IsTicked(const SheetTicks& ticked, int sheet) {
  return sheet >= 1 && static_cast<std::size_t>(sheet) <= ticked.size() && ticked[static_cast<std::size_t>(sheet) - 1];
}

}  // namespace

std::vector<int> TickedSummarySheets(const SheetTicks& ticked, UserPrompts& prompts) {
  auto isTicked = [&](int sheet) { return IsTicked(ticked, sheet); };
  std::vector<int> sheets;
  for (int s = kFirstSummarySheet; s <= kLastSummarySheet; ++s) {
    if (isTicked(s)) sheets.push_back(s);
  }
  // Nothing ticked at all stops without a word; the cover alone is told it is not summarised.
  if (sheets.empty() && isTicked(1)) prompts.message(kNothingToSummarise);
  return sheets;
}

std::optional<office::TemplateWorkbook> OpenSummaryTemplate(const std::string& templatePath, UserPrompts& prompts) {
  try {
    office::TemplateWorkbook opened = office::TemplateWorkbook::Open(templatePath);
    if (opened.sheetCount() < kLastSummarySheet) {
      throw office::OfficeError("模版中只有" + std::to_string(opened.sheetCount()) + "张工作表，汇总表需要" +
                                std::to_string(kLastSummarySheet) + "张");
    }
    return opened;
  } catch (const office::OfficeError& e) {
    prompts.message(std::string(kTemplateOpenError) + "\n" + e.what(), MessageKind::Error);
    return std::nullopt;
  }
}

void KeepTickedSheets(office::TemplateWorkbook& workbook, const SheetTicks& ticked) {
  // From the end, so the numbers of the worksheets still to look at stay valid.
  for (int s = kLastSummarySheet; s >= 1; --s) {
    if (!IsTicked(ticked, s)) workbook.deleteSheet(s);
  }
  workbook.activateSheet(1);
}

std::optional<SummaryBook> MakeSummaryWorkbook(db::Connection& connection, const std::string& templatePath,
                                               const SheetTicks& ticked, int classification, int groupId,
                                               UserPrompts& prompts, jobs::Job& job) {
  const std::vector<int> sheets = TickedSummarySheets(ticked, prompts);
  if (sheets.empty()) return std::nullopt;
  std::optional<office::TemplateWorkbook> opened = OpenSummaryTemplate(templatePath, prompts);
  if (!opened) return std::nullopt;
  SummaryBook book{std::move(*opened), {}, SummaryLabel(connection, classification, groupId)};

  job.startOuter(static_cast<std::int64_t>(sheets.size()));
  struct FinishOnExit {
    jobs::Job& job;
    ~FinishOnExit() { job.finish(); }
  } finishOnExit{job};

  InnerLevelJob readJob(job);
  const SummaryRun run = Summarize(connection, sheets, classification, groupId, readJob);
  if (run.stopped) return std::nullopt;

  for (const SummarySheetResult& result : run.sheets) {
    if (!FillSummarySheet(book.workbook.sheet(result.sheet), result, book.label, job)) return std::nullopt;
    book.sheets.push_back({result.sheet, static_cast<int>(result.rows.size())});
    job.stepOuter();
  }
  KeepTickedSheets(book.workbook, ticked);
  return book;
}

std::string ShowSummaryWorkbook(SummaryBook& book, UserPrompts& prompts, const std::string& documentsFolder) {
  return office::HandToUser(book.workbook, prompts, documentsFolder, "汇总表-" + book.label, "汇总表");
}

}  // namespace velmora::summary
