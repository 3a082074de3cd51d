#include "core/checks/check_report.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "core/files/report_folder.h"

namespace velmora::checks {

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* OpenForWriting(const std::string& utf8) {
#ifdef _WIN32
  return _wfopen(PathOf(utf8).c_str(), L"wb");
#else
  return std::fopen(PathOf(utf8).c_str(), "wb");
#endif
}

std::string SystemText(int error) { return std::strerror(error); }

std::string Two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

CheckTime LocalCheckTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

std::string CheckReportFileName(const std::string& databaseLabel) {
  const std::string head = "2012基层-", tail = "-逻辑检查结果.txt";
  std::string label = databaseLabel;
  for (char& c : label) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("\\/:*?\"<>|", c)) c = '_';
  }
  // File systems hold names of up to 255 bytes: the label is cut to fit, by whole characters
  // (a UTF-8 sequence is never split).
  const std::size_t room = kMaxFileNameBytes - head.size() - tail.size();
  if (label.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    label.resize(cut);
  }
  return head + label + tail;
}

std::string CheckReportFolder(const std::string& personalFolder) { return files::ReportFolder(personalFolder); }

std::string CheckReportPath(const std::string& personalFolder, const std::string& databaseLabel) {
  const std::filesystem::path p = PathOf(CheckReportFolder(personalFolder)) / PathOf(CheckReportFileName(databaseLabel));
  const std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}

CheckReport::CheckReport(LogicCheckState& state) : state_(state) {}

CheckReport::~CheckReport() {
  if (file_) std::fclose(file_);
}

void CheckReport::Create(const std::string& path, const CheckTime& t, const std::string& shownPath) {
  path_ = shownPath.empty() ? path : shownPath;
  errno = 0;
  file_ = OpenForWriting(path);
  if (!file_) throw ReportError("无法创建文件 \"" + path_ + "\"：" + SystemText(errno));
  buffer_.reserve(kFlushAt + 4096);
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
  if (buffer_.size() >= kFlushAt) flushBuffer();
}

void CheckReport::WriteTotals(std::int64_t errorUnitCount, std::int64_t errorItemCount) {
  line(std::string(49, '='));
  line("共有" + std::to_string(errorUnitCount) + "个单位的数据存在逻辑错误！");
  line("共有" + std::to_string(errorItemCount) + "个逻辑错误项！");
}

void CheckReport::Close() {
  if (!file_) return;
  flushBuffer();
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  if (std::fclose(f) != 0) throw ReportError("无法写入文件 \"" + path_ + "\"：" + SystemText(errno));
}

void CheckReport::line(std::string_view utf8) {
  gbk_.Append(utf8, buffer_);
  buffer_ += "\r\n";
}

void CheckReport::flushBuffer() {
  if (!file_ || buffer_.empty()) return;
  errno = 0;
  const std::size_t written = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
  const bool ok = written == buffer_.size() && std::fflush(file_) == 0;
  buffer_.clear();
  if (!ok) throw ReportError("无法写入文件 \"" + path_ + "\"：" + SystemText(errno));
}

}  // namespace velmora::checks
