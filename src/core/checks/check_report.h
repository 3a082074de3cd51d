#pragma once
// The check report: a GBK text file with CR LF line ends that the batch check writes while it
// runs. Two title lines and two empty lines, then one block per record with logic errors (a
// header line, a rule line of 80 "-", and three lines per failed rule), and at a normal end with
// failures the totals.

#include <cstdint>
#include <memory>
#include <string>

#include "core/checks/record_rules.h"
#include "core/files/atomic_file.h"
#include "core/files/gbk_line_file.h"

namespace velmora::checks {

// A local date and time as the report shows it.
struct CheckTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
CheckTime LocalCheckTime();

// "2012基层-" + label + "-逻辑检查结果.txt"; characters no file name may hold (\ / : * ? " < > |
// and control characters) become "_", and a long label is cut by whole characters so that the
// name fits in kMaxFileNameBytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;
// The first line of every check report (UTF-8; the file holds it in GBK).
inline constexpr const char* kCheckReportTitle = "#2012基层调查表逻辑检查结果";
std::string CheckReportFileName(const std::string& databaseLabel);
// The report's path in the report folder (files::ReportFolder).
std::string CheckReportPath(const std::string& personalFolder, const std::string& databaseLabel);

class CheckReport : public LogicErrorSink {
 public:
  explicit CheckReport(LogicCheckState& state);
  CheckReport(const CheckReport&) = delete;
  CheckReport& operator=(const CheckReport&) = delete;

  // Starts the report in `file` (which outlives the report; the caller commits it) with the
  // title lines. Throws files::AtomicFileError.
  void Create(files::AtomicFile& file, const CheckTime& time);
  // One failed rule: the unit's header first when it is still pending, then the rule's lines;
  // clears UnitHeaderPending and counts the entry. Throws files::AtomicFileError.
  void WriteLogicError(const std::string& expression, const std::string& explanation, int page,
                       const std::string& focus) override;
  // The closing lines after the last record.
  void WriteTotals(std::int64_t errorUnitCount, std::int64_t errorItemCount);
  // Writes out what is buffered and closes the file. Throws files::AtomicFileError.
  void Close();

 private:
  void line(std::string_view utf8);

  LogicCheckState& state_;
  std::unique_ptr<files::GbkLineFile> lines_;
};

}  // namespace velmora::checks
