#include "core/exchange/conflict_report.h"

#include <filesystem>
#include <stdexcept>

#include "core/files/atomic_file.h"
#include "core/files/gbk_line_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/text/gbk_encoder.h"

namespace velmora::exchange {

namespace {

const std::string kRule(80, '-');
constexpr const char* kTitleStart = "在准备导入的";

// A name as the report holds it: one record a line, so line breaks and the other control
// characters become blanks.
std::string OnOneLine(std::string text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = ' ';
  }
  return text;
}

std::string Line(const ConflictRow& r) { return "(" + OnOneLine(r.c901) + "," + OnOneLine(r.c902) + ")"; }

}  // namespace

std::string ConflictReportPath(const std::string& personalFolder) {
  const std::string folder = files::ReportFolder(personalFolder);
  std::filesystem::path p(std::u8string(folder.begin(), folder.end()));
  const std::string name = kConflictReportName;
  p /= std::u8string(name.begin(), name.end());
  const std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}

std::vector<std::string> SingleReportLines(const std::vector<ConflictRow>& rows) {
  std::vector<std::string> lines{"在准备导入的文件中，如下的记录与现有的记录发生编号冲突", kRule};
  for (const ConflictRow& r : rows) lines.push_back(Line(r));
  return lines;
}

std::vector<std::string> BatchBlockLines(const std::string& file, const std::vector<ConflictRow>& rows) {
  std::vector<std::string> lines;
  if (rows.empty()) return lines;
  lines.push_back("在准备导入的名为【" + OnOneLine(file) + "】的文件中，如下的记录与现有的记录发生编号冲突");
  lines.push_back(kRule);
  for (const ConflictRow& r : rows) lines.push_back(Line(r));
  lines.emplace_back();
  lines.emplace_back();
  return lines;
}

std::vector<std::string> BatchOutcomeLines(const std::vector<FileOutcomeLine>& files) {
  std::vector<std::string> lines{"在准备导入的" + std::to_string(files.size()) + "个文件中，各个文件的导入结果如下",
                                 kRule};
  for (const FileOutcomeLine& f : files) lines.push_back("【" + OnOneLine(f.file) + "】" + OnOneLine(f.outcome));
  return lines;
}

void WriteConflictReport(const std::string& path, const std::vector<std::string>& lines,
                         const std::string& openDatabase) {
  const std::string signature = text::GbkEncoder().Encode(kTitleStart);
  const files::OutputKind kind{"编号冲突报告", signature, false};
  files::OutputCheck check = files::CheckOutputPath(path, kind, openDatabase, true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  files::AtomicFile out(path, "~vmr", openDatabase);
  files::GbkLineFile report(out);
  for (const std::string& line : lines) report.line(line);
  report.close();
  out.commit();
}

std::string ConflictMessage(const std::string& reportPath) {
  return "导入过程中发生错误，准备导入的数据可能与现有的\n\r数据有重复的内容，详细的内容请参见文件：\n\r\n\r" +
         std::string(12, ' ') + reportPath + "。";
}

}  // namespace velmora::exchange
