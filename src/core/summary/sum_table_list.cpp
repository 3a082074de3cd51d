#include "core/summary/sum_table_list.h"

#include <filesystem>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "core/base/paths.h"
#include "core/files/atomic_file.h"
#include "core/files/program_folders.h"
#include "core/files/gbk_line_file.h"
#include "core/summary/sum_columns.h"
#include "core/text/gbk_decoder.h"

namespace velmora::summary {

namespace fs = std::filesystem;

namespace {

// Well-formed UTF-8 holding at least one character beyond ASCII.
bool IsUtf8Text(std::string_view bytes) {
  bool wide = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    int more = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(more) >= bytes.size()) return false;
    for (int k = 1; k <= more; ++k) {
      if ((static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
    }
    wide = true;
    i += static_cast<std::size_t>(more) + 1;
  }
  return wide;
}

SumTableEntry ParseLine(const std::string& line) {
  SumTableEntry entry;
  if (!line.empty() && line[0] == '&') {
    entry.enabled = line.size() > 1 && line[1] == '1';
    entry.state = line.size() > 3 && line[3] >= '0' && line[3] <= '2' ? line[3] - '0' : 0;
    entry.text = line.size() > 5 ? line.substr(5) : std::string();
  } else {
    entry.text = line;
  }
  if (entry.heading()) entry.enabled = false;
  return entry;
}

// The list is a few hundred bytes; a file beyond this is not one and is not read.
constexpr std::uintmax_t kMaxListBytes = 1u << 20;

// The file's bytes, read no further than the limit; `tooLarge` when it holds more.
std::optional<std::string> ReadBytes(const fs::path& file, bool& tooLarge) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(kMaxListBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  tooLarge = bytes.size() > kMaxListBytes;
  return bytes;
}

}  // namespace

std::vector<SumTableEntry> ParseSumTable(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::string text = IsUtf8Text(bytes) ? std::string(bytes) : text::GbkDecoder().Decode(bytes);
  std::vector<SumTableEntry> entries;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    from = end + 1;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    entries.push_back(ParseLine(line));
  }
  return entries;
}

std::string FormatSumTable(const std::vector<SumTableEntry>& entries) {
  text::GbkEncoder gbk;
  std::string out;
  for (const SumTableEntry& e : entries) {
    std::string line = std::string("&") + (e.enabled && !e.heading() ? '1' : '0') + ' ' +
                       static_cast<char>('0' + (e.state >= 0 && e.state <= 2 ? e.state : 0)) + ' ' + e.text;
    gbk.Append(line, out);
    out += "\r\n";
  }
  return out;
}

SheetTicks TicksOf(const std::vector<SumTableEntry>& entries) {
  SheetTicks ticks(kLastSummarySheet, false);
  std::size_t sheet = 0;
  for (const SumTableEntry& e : entries) {
    if (!e.enabled || e.heading()) continue;
    if (sheet < ticks.size()) ticks[sheet] = e.state == 1;
    ++sheet;
  }
  return ticks;
}

std::optional<std::vector<SumTableEntry>> LoadSumTable(const std::string& programFolder,
                                                       const std::string& settingsFolder, std::string& error) {
  std::error_code ec;
  fs::path file;
  for (const std::string& folder : {settingsFolder, programFolder}) {
    if (folder.empty()) continue;
    const fs::path candidate = base::PathFromUtf8(folder) / kSumTableFileName;
    if (fs::is_regular_file(candidate, ec)) {
      file = candidate;
      break;
    }
  }
  if (file.empty()) {
    error = "找不到文件" + base::Utf8FromPath(base::PathFromUtf8(programFolder) / kSumTableFileName) + "。";
    return std::nullopt;
  }
  bool tooLarge = false;
  const std::optional<std::string> bytes = ReadBytes(file, tooLarge);
  if (!bytes) {
    error = "无法读取文件" + base::Utf8FromPath(file) + "。";
    return std::nullopt;
  }
  if (tooLarge) {
    error = "文件" + base::Utf8FromPath(file) + "过大（超过 1 MB），不是统计表列表。";
    return std::nullopt;
  }
  std::vector<SumTableEntry> entries = ParseSumTable(*bytes);
  if (entries.empty()) {
    error = "文件" + base::Utf8FromPath(file) + "中没有统计表列表。";
    return std::nullopt;
  }
  return entries;
}

std::optional<std::string> SaveSumTable(const std::string& programFolder, const std::string& settingsFolder,
                                        const std::vector<SumTableEntry>& entries, std::string& error) {
  const std::string bytes = FormatSumTable(entries);
  std::string lastError;
  // An installed program's shipped files belong to its package: not even an administrator's run
  // writes there.
  const std::string own = files::IsSharedLayout(programFolder) ? std::string() : programFolder;
  for (const std::string& folder : {own, settingsFolder}) {
    if (folder.empty()) continue;
    try {
      std::error_code ec;
      fs::create_directories(base::PathFromUtf8(folder), ec);
      const std::string target = base::Utf8FromPath(base::PathFromUtf8(folder) / kSumTableFileName);
      files::AtomicFile file(target, "~vms");
      file.open();
      file.write(bytes);
      file.close();
      file.commit();
      // A copy left in the settings folder would be read first: it goes once the program's folder
      // holds the list again.
      if (folder == own && !settingsFolder.empty()) {
        fs::remove(base::PathFromUtf8(settingsFolder) / kSumTableFileName, ec);
      }
      return target;
    } catch (const files::AtomicFileError& e) {
      lastError = e.what();
    }
  }
  error = "无法保存文件" + std::string(kSumTableFileName) + "：" + lastError;
  return std::nullopt;
}

}  // namespace velmora::summary
