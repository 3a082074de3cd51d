#include "core/summary/summary_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/statement.h"
#include "core/exchange/year_migration.h"
#include "core/groups/groups.h"
#include "core/intake/source_file.h"
#include "core/office/cell_text.h"
#include "core/office/hand_to_user.h"
#include "core/office/office_error.h"
#include "core/summary/sum_columns.h"

namespace velmora::summary {

namespace {

constexpr int kFirstRow = 9;
constexpr int kLabelColumn = 1;
constexpr int kRowsPerClass = 3;
constexpr const char* kRatioFormat = "0.00%";
constexpr const char* kChangeFormat = "0.00";
constexpr const char* kHighlightColor = "FFFF0000";
constexpr const char* kReferenceSchema = "velmora_last";

// Progress of a read handed on to `progress` (on its inner level, or on its own), while pause and
// stop are asked of `control`: the user's job, or the untrusted scope's job that also stops when
// the budget is spent.
class ForwardedJob : public jobs::Job {
 public:
  ForwardedJob(jobs::Job& progress, jobs::Job& control, bool inner)
      : progress_(progress), control_(control), inner_(inner) {}
  void start(std::int64_t total, std::int64_t done) override {
    if (!inner_) {
      progress_.start(total, done);
      return;
    }
    progress_.startInner(total);
    if (done > 0) progress_.stepInner(done);
  }
  void step(std::int64_t count) override { inner_ ? progress_.stepInner(count) : progress_.step(count); }
  void finish() override {
    if (!inner_) progress_.finish();
  }
  bool paused() const override { return control_.paused(); }
  bool stopRequested() const override { return control_.stopRequested(); }
  void processEvents(bool wait) override { progress_.processEvents(wait); }

 private:
  jobs::Job& progress_;
  jobs::Job& control_;
  bool inner_;
};

bool IsNumber(const db::Variant& v) { return v.isInteger() || v.isFloat(); }

// A private connection to the open database's file, read only: the view and the file it adds are
// its own and go when it closes.
std::unique_ptr<db::Connection> PrivateConnection(db::Connection& ours) {
  if (ours.dataSource().empty()) throw db::DbError("没有打开的数据库文件");
  auto c = std::make_unique<db::Connection>("Data Source=" + db::Connection::QuoteValue(ours.dataSource()) +
                                            ";Mode=Read");
  c->open();
  return c;
}

// Our columns of dt_data, each from `source` (name → expression) or empty.
std::string ViewStatement(db::Connection& c, const std::unordered_map<std::string, std::string>& source,
                          const std::string& from) {
  std::string list;
  for (const std::string& column : c.columnNames("dt_data")) {
    auto found = source.find(base::AsciiLower(column));
    list += list.empty() ? "" : ",";
    list += (found == source.end() ? std::string("NULL") : found->second) + " as " + base::QuoteSqlName(column);
  }
  if (list.empty()) throw db::DbError("数据库中没有记录表dt_data");
  return "create temp view dt_data as select " + list + " from " + from;
}

SummaryRun PreviousYearRun(db::Connection& ours, const std::vector<int>& sheets, int classification, int groupId,
                           jobs::Job& job) {
  std::unique_ptr<db::Connection> c = PrivateConnection(ours);
  std::unordered_map<std::string, std::string> source;
  for (const auto& [target, expression] : exchange::MigrationColumns()) {
    const bool number = expression.find_first_not_of("0123456789") == std::string::npos;
    source[base::AsciiLower(target)] = number ? expression : base::QuoteSqlName(expression);
  }
  c->executeNative(ViewStatement(*c, source, "main.dt_data_2010"));
  return Summarize(*c, sheets, classification, groupId, job);
}

SummaryRun FileRun(db::Connection& ours, const std::string& path, const std::vector<int>& sheets, int classification,
                   int groupId, const std::string& workingFolder, jobs::Job& job) {
  intake::SourceFile file(path, workingFolder, job);
  file.requireTable("dt_data", kNoReferenceTableText);
  const std::vector<std::string> theirs = file.requireKnownColumns("dt_data", ours);
  std::unique_ptr<db::Connection> c = PrivateConnection(ours);
  // The one-pass read takes the file once; the statements that stand in for it once a worksheet.
  const std::int64_t budget = file.instructionBudget() * static_cast<std::int64_t>(sheets.size() + 1);
  intake::UntrustedScope scope(*c, job, budget);
  try {
    db::Statement attach = db::Statement::Native(*c, std::string("ATTACH DATABASE ?1 AS ") + kReferenceSchema);
    attach.bindText(1, file.path());
    attach.run();
    attach = db::Statement();
    std::unordered_map<std::string, std::string> source;
    for (const std::string& column : theirs)
      source[base::AsciiLower(column)] = base::QuoteSqlName(column);
    c->executeNative(ViewStatement(*c, source, std::string(kReferenceSchema) + ".dt_data"));
    ForwardedJob read(job, scope.job(), false);
    SummaryRun run = Summarize(*c, sheets, classification, groupId, read);
    if (run.stopped) scope.rethrow(db::DbError("interrupted"), file.chosen());
    return run;
  } catch (const groups::GroupRefused&) {
    throw;  // our own group, not the file
  } catch (const std::exception& e) {
    scope.rethrow(e, file.chosen());
  }
}

// A number with two decimals, as the formats "0.00" and "0.00%" show it.
std::string TwoDecimals(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
  return std::string(text, end);
}

// The figure columns widened where a figure as shown would not fit; the template's widths stay
// where everything fits.
void FitFigures(office::TemplateSheet& sheet, const CompareSheet& compared, int columns,
                const std::vector<int>& ratios) {
  for (int c = 0; c < columns; ++c) {
    const bool ratio = std::find(ratios.begin(), ratios.end(), c) != ratios.end();
    double needed = 0;
    auto widen = [&](const std::string& shown) {
      if (!shown.empty()) needed = std::max(needed, office::EstimatedColumnWidth(shown));
    };
    for (const CompareRow& row : compared.rows) {
      if (static_cast<std::size_t>(c) >= row.cells.size()) continue;
      const CompareCell& cell = row.cells[static_cast<std::size_t>(c)];
      for (const db::Variant* v : {&cell.current, &cell.last}) {
        if (v->isNull()) continue;
        widen(ratio && IsNumber(*v) ? TwoDecimals(v->toDouble() * 100) + "%" : v->toString());
      }
      if (cell.change) widen(TwoDecimals(*cell.change));
    }
    needed = std::min(std::ceil(needed), 255.0);
    if (needed > sheet.columnWidth(c + 2)) sheet.setColumnWidth(c + 2, needed);
  }
}

}  // namespace

std::optional<double> ChangePercent(const db::Variant& current, const db::Variant& last) {
  if (!IsNumber(current) || !IsNumber(last)) return std::nullopt;
  if (current.isInteger() && last.isInteger()) {
    const std::int64_t l = last.toInt64();
    if (l == 0) return std::nullopt;
    const long double difference = static_cast<long double>(current.toInt64()) - static_cast<long double>(l);
    return static_cast<double>(difference * 100 / static_cast<long double>(l));
  }
  const double l = last.toDouble();
  if (l == 0 || !std::isfinite(l) || !std::isfinite(current.toDouble())) return std::nullopt;
  return (current.toDouble() - l) * 100 / l;
}

bool BeyondThreshold(const std::optional<double>& change, double threshold) {
  if (!change) return false;
  // A change worked out from fractions may miss the threshold by the last bit: 1.2 against 1.0 is a
  // change of 20 %, not more.
  const double tolerance = 1e-9 * std::max(1.0, std::fabs(threshold));
  return std::fabs(*change) > std::fabs(threshold) + tolerance;
}

SummaryRun SummarizeReference(db::Connection& ours, const CompareReference& reference, const std::vector<int>& sheets,
                              int classification, int groupId, const std::string& workingFolder, jobs::Job& job) {
  if (job.stopRequested()) return SummaryRun{{}, true, false};
  if (reference.kind == CompareReference::Kind::PreviousYear)
    return PreviousYearRun(ours, sheets, classification, groupId, job);
  return FileRun(ours, reference.path, sheets, classification, groupId, workingFolder, job);
}

std::vector<CompareSheet> CompareRuns(const SummaryRun& current, const SummaryRun& last, double threshold) {
  std::vector<CompareSheet> sheets;
  for (const SummarySheetResult& now : current.sheets) {
    const auto then = std::find_if(last.sheets.begin(), last.sheets.end(),
                                   [&](const SummarySheetResult& s) { return s.sheet == now.sheet; });
    CompareSheet sheet{now.sheet, {}};
    const std::size_t rows = std::max(now.rows.size(), then == last.sheets.end() ? 0 : then->rows.size());
    for (std::size_t r = 0; r < rows; ++r) {
      const SummaryRow* a = r < now.rows.size() ? &now.rows[r] : nullptr;
      const SummaryRow* b = then != last.sheets.end() && r < then->rows.size() ? &then->rows[r] : nullptr;
      CompareRow row{a ? a->label : b->label, {}};
      const std::size_t cells = std::max(a ? a->cells.size() : 0, b ? b->cells.size() : 0);
      for (std::size_t c = 0; c < cells; ++c) {
        CompareCell cell;
        if (a && c < a->cells.size()) cell.current = a->cells[c];
        if (b && c < b->cells.size()) cell.last = b->cells[c];
        cell.change = ChangePercent(cell.current, cell.last);
        cell.highlighted = BeyondThreshold(cell.change, threshold);
        row.cells.push_back(std::move(cell));
      }
      sheet.rows.push_back(std::move(row));
    }
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

std::string CurrentRowLabel(const std::string& label) { return label + "（本年）"; }
std::string LastRowLabel(const std::string& label) { return label + "（上年）"; }
std::string ChangeRowLabel(const std::string& label) { return label + "（增减%）"; }

bool FillCompareSheet(office::TemplateSheet& sheet, const CompareSheet& compared, const std::string& label,
                      jobs::Job& job) {
  const int labelRow = sheet.value(2, kLabelColumn).kind == office::CellValue::Kind::Text ? 3 : 2;
  sheet.setText(labelRow, kLabelColumn, label);

  const int classes = static_cast<int>(compared.rows.size());
  const int count = classes * kRowsPerClass;
  job.startInner(count);
  jobs::JobTicker ticker(job, 64);
  // Written from the last row up, as the summary writes its rows: each row after the first pushes
  // those written before it down and takes the styles of the template's row 9 with it.
  for (int i = count - 1; i >= 0; --i) {
    if (i != count - 1) sheet.insertRowAbove(kFirstRow);
    const CompareRow& row = compared.rows[static_cast<std::size_t>(i / kRowsPerClass)];
    const int part = i % kRowsPerClass;
    sheet.setText(kFirstRow, kLabelColumn,
                  part == 0 ? CurrentRowLabel(row.label) : part == 1 ? LastRowLabel(row.label) : ChangeRowLabel(row.label));
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
      const CompareCell& cell = row.cells[c];
      const int column = static_cast<int>(c) + 2;
      if (part == 0) WriteFigure(sheet, kFirstRow, column, cell.current);
      else if (part == 1) WriteFigure(sheet, kFirstRow, column, cell.last);
      else if (cell.change) sheet.setNumber(kFirstRow, column, *cell.change);
    }
    job.stepInner();
    if (!ticker.tick()) return false;
  }

  int columns = SumColumnCount(compared.sheet);
  for (const CompareRow& row : compared.rows) columns = std::max(columns, static_cast<int>(row.cells.size()));
  const std::vector<int> ratios = RatioColumns(compared.sheet);
  if (count > 0) {
    const int lastRow = kFirstRow + count - 1;
    sheet.setBorders(office::CellRange{{kFirstRow, kLabelColumn}, {lastRow, kLabelColumn + columns}});
    sheet.setHorizontalAlignment(office::CellRange{{kFirstRow, kLabelColumn}, {lastRow, kLabelColumn}},
                                 office::HorizontalAlignment::Left);
    for (int k = 0; k < classes; ++k) {
      const int top = kFirstRow + k * kRowsPerClass;
      for (int c : ratios) sheet.setNumberFormat(office::CellRange{{top, c + 2}, {top + 1, c + 2}}, kRatioFormat);
      if (columns > 0)
        sheet.setNumberFormat(office::CellRange{{top + 2, 2}, {top + 2, columns + 1}}, kChangeFormat);
      const CompareRow& row = compared.rows[static_cast<std::size_t>(k)];
      for (std::size_t c = 0; c < row.cells.size(); ++c) {
        if (!row.cells[c].highlighted) continue;
        const office::CellAddress at{top + 2, static_cast<int>(c) + 2};
        sheet.setBoldColor(office::CellRange{at, at}, kHighlightColor);
      }
    }
  }
  sheet.autoFitColumn(kLabelColumn);
  FitFigures(sheet, compared, columns, ratios);
  return ticker.poll();
}

std::optional<CompareBook> MakeCompareWorkbook(db::Connection& connection, const std::string& templatePath,
                                               const SheetTicks& ticked, int classification, int groupId,
                                               const CompareOptions& options, UserPrompts& prompts,
                                               jobs::Job& job) {
  const std::vector<int> sheets = TickedSummarySheets(ticked, prompts);
  if (sheets.empty()) return std::nullopt;
  if (options.reference.kind == CompareReference::Kind::File &&
      intake::CheckChosenFile(options.reference.path, connection.dataSource()) == intake::ChosenFile::OpenDatabase) {
    prompts.message(intake::ChosenOpenDatabaseText(options.reference.path, "不能与它自己对比。"), MessageKind::Warning);
    return std::nullopt;
  }
  if (options.reference.kind == CompareReference::Kind::PreviousYear && !PreviousYearHasRecords(connection)) {
    prompts.message(kNoPreviousYearText, MessageKind::Warning);
    return std::nullopt;
  }

  std::optional<office::TemplateWorkbook> opened = OpenSummaryTemplate(templatePath, prompts);
  if (!opened) return std::nullopt;
  CompareBook book{std::move(*opened), {}, SummaryLabel(connection, classification, groupId),
                   CompareReferenceName(options.reference), 0};

  job.startOuter(static_cast<std::int64_t>(sheets.size()) + 2);
  struct FinishOnExit {
    jobs::Job& job;
    ~FinishOnExit() { job.finish(); }
  } finishOnExit{job};

  ForwardedJob read(job, job, true);
  const SummaryRun current = Summarize(connection, sheets, classification, groupId, read);
  if (current.stopped) return std::nullopt;
  job.stepOuter();

  SummaryRun last;
  try {
    last = SummarizeReference(connection, options.reference, sheets, classification, groupId, options.workingFolder,
                              read);
  } catch (const intake::IntakeError& e) {
    if (e.kind() != intake::IntakeError::Kind::Stopped) prompts.message(e.what(), MessageKind::Error);
    return std::nullopt;
  }
  if (last.stopped) return std::nullopt;
  job.stepOuter();

  for (const CompareSheet& compared : CompareRuns(current, last, options.threshold)) {
    if (!FillCompareSheet(book.workbook.sheet(compared.sheet), compared, book.label, job)) return std::nullopt;
    book.sheets.push_back({compared.sheet, static_cast<int>(compared.rows.size())});
    for (const CompareRow& row : compared.rows)
      book.highlighted += static_cast<int>(std::count_if(row.cells.begin(), row.cells.end(),
                                                         [](const CompareCell& c) { return c.highlighted; }));
    job.stepOuter();
  }
  KeepTickedSheets(book.workbook, ticked);
  return book;
}

std::string ShowCompareWorkbook(CompareBook& book, UserPrompts& prompts, const std::string& documentsFolder) {
  return office::HandToUser(book.workbook, prompts, documentsFolder, "汇总对比表-" + book.label, "汇总对比表");
}

}  // namespace velmora::summary
