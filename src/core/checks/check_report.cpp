#include "core/checks/check_report.h"

#include <cstdio>

#include "core/files/report_folder.h"
#include "core/text/local_time.h"

namespace velmora::checks {

namespace {

std::string Two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

CheckTime LocalCheckTime() {
  const std::tm local = text::LocalTimeNow();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

std::string CheckReportFileName(const std::string& databaseLabel) {
  const std::string head = "2012基层-", tail = "-逻辑检查结果.txt";
  // File systems hold names of up to 255 bytes: the label is cut to fit.
  return head + files::SafeFileNamePart(databaseLabel, kMaxFileNameBytes - head.size() - tail.size()) + tail;
}

std::string CheckReportPath(const std::string& personalFolder, const std::string& databaseLabel) {
  return files::ReportPath(personalFolder, CheckReportFileName(databaseLabel));
}

CheckReport::CheckReport(LogicCheckState& state) : state_(state) {}

void CheckReport::Create(files::AtomicFile& file, const CheckTime& t) {
  lines_ = std::make_unique<files::GbkLineFile>(file);
  file.open();
  line(kCheckReportTitle);
  line("#检查时间：" + std::to_string(t.year) + "年" + Two(t.month) + "月" + Two(t.day) + "日 " + Two(t.hour) +
       ":" + Two(t.minute));
  line("");
  line("");
}

void CheckReport::WriteLogicError(const std::string& expression, const std::string& explanation, int,
                                  const std::string&) {
  if (state_.UnitHeaderPending) {
    char code[64];
    std::snprintf(code, sizeof code, "%.0f", state_.CurrentUnitCode);
    line(std::string(code) + "  " + state_.CurrentUnitName + "的数据有错误");
    line(std::string(80, '-'));
  }
  line("  判断规则：" + expression);
  line("  规则说明：" + explanation);
  line("");
  state_.UnitHeaderPending = false;
  ++state_.ErrorItemCount;
}

void CheckReport::WriteTotals(std::int64_t errorUnitCount, std::int64_t errorItemCount) {
  line(std::string(49, '='));
  line("共有" + std::to_string(errorUnitCount) + "个单位的数据存在逻辑错误！");
  line("共有" + std::to_string(errorItemCount) + "个逻辑错误项！");
}

void CheckReport::Close() {
  if (!lines_) return;
  std::unique_ptr<files::GbkLineFile> lines = std::move(lines_);
  lines->close();
}

void CheckReport::line(std::string_view utf8) { lines_->line(utf8); }

}  // namespace velmora::checks
