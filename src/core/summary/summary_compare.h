#pragma once
// The summary compared with last year ("与上年对比"): the ticked worksheets summed by the chosen
// classification for this year and for a reference, and written as one comparison workbook.
//
// Last year's figures come from the same one-pass summary as this year's, run over the reference's
// records: a file from elsewhere (a backup, last year's database, a reporting package) or the open
// database's previous-year table dt_data_2010. Either is read on a private connection to the open
// database on which a temporary view named dt_data stands in front of the real one, so the code
// tables and custom groups are this year's and both years give the same rows:
//   - a file goes through the intake (a working copy whose dt_data must be a real table with our
//     columns), attached to that connection and read under the untrusted scope, so that a hostile
//     file ends in the intake's message;
//   - the previous-year table is read through the year migration's columns; a column the
//     migration does not fill stays empty.
//
// The workbook is the summary template with the ticked worksheets kept: under the template's own
// column headings every class of the classification takes three rows, "<class>（本年）",
// "<class>（上年）" and "<class>（增减%）"; a change beyond the threshold (either way) is in bold red.
// It is built in memory and saved once, through the template writer's rename into place.

#include <optional>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/variant.h"
#include "core/jobs/job.h"
#include "core/office/template_workbook.h"
#include "core/prompts/user_prompts.h"
#include "core/summary/summary.h"
#include "core/summary/summary_workbook.h"

namespace velmora::summary {

inline constexpr double kDefaultCompareThreshold = 20;  // percent
inline constexpr const char* kPreviousYearReferenceName = "上年数据表";
inline constexpr const char* kNoReferenceTableText = "您选择的上年数据文件中没有记录表dt_data";
inline constexpr const char* kNoPreviousYearText = "上年数据表中没有记录，无法与上年对比。";
inline constexpr const char* kCompareStoppedText = "对比已停止，没有生成对比表。";

// What this year is compared with.
struct CompareReference {
  enum class Kind {
    File,          // a database file with dt_data of our columns: a backup, last year's database, a package
    PreviousYear,  // the open database's dt_data_2010, through the year migration's columns
  };
  Kind kind = Kind::File;
  std::string path;  // Kind::File

  static CompareReference File(std::string path) { return {Kind::File, std::move(path)}; }
  static CompareReference PreviousYear() { return {Kind::PreviousYear, {}}; }
};

// How a reference is named in messages and in the workbook: the file's path, or "上年数据表".
std::string CompareReferenceName(const CompareReference& reference);

// Whether the open database's previous-year table holds records (the dialog offers it then).
// False as well when the table is missing. Throws db::DbError.
bool PreviousYearHasRecords(db::Connection& connection);

// The change from last year in percent, (this − last) / last · 100; none when either is empty or
// not a number, or last is 0.
std::optional<double> ChangePercent(const db::Variant& current, const db::Variant& last);
// A change is highlighted when it lies beyond ±threshold; a change of exactly the threshold is not.
bool BeyondThreshold(const std::optional<double>& change, double threshold);

// Last year's figures of the listed worksheets (as Summarize gives this year's, the same rows):
// the reference's records summed by the classification (and group) of `ours`. A file is copied
// into `workingFolder` first. The job counts the records read (one level). Returns `stopped` when
// the job stopped before the file was attached; a stop while it is read throws intake::IntakeError
// Stopped. Throws intake::IntakeError for a file that cannot be read (naming it), db::DbError for
// our own database.
SummaryRun SummarizeReference(db::Connection& ours, const CompareReference& reference, const std::vector<int>& sheets,
                              int classification, int groupId, const std::string& workingFolder,
                              jobs::Job& job = jobs::NoJob());

struct CompareCell {
  db::Variant current;  // null for an empty cell
  db::Variant last;
  std::optional<double> change;  // percent
  bool highlighted = false;
};

struct CompareRow {
  std::string label;
  std::vector<CompareCell> cells;
};

struct CompareSheet {
  int sheet = 0;
  std::vector<CompareRow> rows;  // worksheet order
};

// The two runs cell by cell; the rows are matched by their place (both runs have the rows of the
// same code table or group). A row or cell one run lacks is empty there.
std::vector<CompareSheet> CompareRuns(const SummaryRun& current, const SummaryRun& last, double threshold);

// Writes one worksheet's comparison: A2 (A3 when A2 holds text) the label, then from row 9 down
// three rows a class (this year, last year, change in percent), framed as the summary frames its
// rows; ratio columns show "0.00%" in the rows of the years, every change shows "0.00", and a
// highlighted change is bold red. False when the job asked to stop.
bool FillCompareSheet(office::TemplateSheet& sheet, const CompareSheet& compared, const std::string& label,
                      jobs::Job& job = jobs::NoJob());

// The captions of column A in the three rows of a class.
std::string CurrentRowLabel(const std::string& label);
std::string LastRowLabel(const std::string& label);
std::string ChangeRowLabel(const std::string& label);

struct CompareOptions {
  CompareReference reference;
  double threshold = kDefaultCompareThreshold;
  std::string workingFolder;  // where a file's working copy is made
};

struct CompareBook {
  office::TemplateWorkbook workbook;
  std::vector<FilledSheet> sheets;  // rows: the classes of each worksheet
  std::string label;                // the summary's label
  std::string reference;            // CompareReferenceName
  int highlighted = 0;              // changes beyond the threshold, over every worksheet
};

// The whole run: this year's figures, last year's, and the template filled with both. The job's
// outer level counts the two reads and the worksheets (each read reports its records on the inner
// level). nullopt without a word when nothing is ticked; nullopt with the reason told through
// `prompts` when only the cover is ticked, when the template cannot be opened, when the previous-year
// table is empty, when the file is the open database and when the reference cannot be read (the
// intake's message); nullopt when the job
// was stopped. Throws db::DbError or office::OfficeError for a failure of our own in the middle;
// nothing is written then.
std::optional<CompareBook> MakeCompareWorkbook(db::Connection& connection, const std::string& templatePath,
                                               const SheetTicks& ticked, int classification, int groupId,
                                               const CompareOptions& options, UserPrompts& prompts,
                                               jobs::Job& job = jobs::NoJob());

// Saves the workbook in `documentsFolder` as "汇总对比表-<label>-<date-time>.xlsx" and opens it for
// the user. Returns the path. Throws office::OfficeError when it cannot be saved.
std::string ShowCompareWorkbook(CompareBook& book, UserPrompts& prompts, const std::string& documentsFolder);

}  // namespace velmora::summary
