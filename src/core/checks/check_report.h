#pragma once
// The check report: a GBK text file with CR LF line ends that the batch check writes while it
// runs. Two title lines and two empty lines, then one block per record with logic errors (a
// header line, a rule line of 80 "-", and three lines per failed rule), and at a normal end with
// failures the totals.

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "core/checks/record_rules.h"
#include "core/text/gbk_encoder.h"

namespace velmora::checks {

// A local date and time as the report shows it.
struct CheckTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
CheckTime LocalCheckTime();

// The file cannot be created or written; the text is the file system's.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "2012基层-" + label + "-逻辑检查结果.txt"; characters no file name may hold (\ / : * ? " < > |
// and control characters) become "_", and a long label is cut by whole characters so that the
// name fits in kMaxFileNameBytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;
// The first line of every check report (UTF-8; the file holds it in GBK).
inline constexpr const char* kCheckReportTitle = "#2012基层调查表逻辑检查结果";
std::string CheckReportFileName(const std::string& databaseLabel);
// Where the report goes: the root of drive C on Windows when it can be written to, otherwise the
// documents folder.
std::string CheckReportFolder(const std::string& personalFolder);
std::string CheckReportPath(const std::string& personalFolder, const std::string& databaseLabel);

class CheckReport : public LogicErrorSink {
 public:
  explicit CheckReport(LogicCheckState& state);
  ~CheckReport() override;
  CheckReport(const CheckReport&) = delete;
  CheckReport& operator=(const CheckReport&) = delete;

  // Creates (or replaces) the file `path` and writes the title lines; messages name `shownPath`
  // (the report's final name) when given. Throws ReportError.
  void Create(const std::string& path, const CheckTime& time, const std::string& shownPath = {});
  // One failed rule: the unit's header first when it is still pending, then the rule's lines;
  // clears UnitHeaderPending and counts the entry. Throws ReportError.
  void WriteLogicError(const std::string& expression, const std::string& explanation, int page,
                       const std::string& focus) override;
  // The closing lines after the last record.
  void WriteTotals(std::int64_t errorUnitCount, std::int64_t errorItemCount);
  // Writes out what is buffered and closes the file. Throws ReportError.
  void Close();
  const std::string& path() const { return path_; }

 private:
  void line(std::string_view utf8);
  void flushBuffer();

  LogicCheckState& state_;
  text::GbkEncoder gbk_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string buffer_;  // GBK bytes not yet written
};

}  // namespace velmora::checks
