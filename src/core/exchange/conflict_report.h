#pragma once
// The number-conflict report "数据导入编号冲突.txt" in the report folder: GBK, CR LF.
// Single-file form: the title line, 80 "-", one "(c901,c902)" line per conflicting record in
// ascending c901. Batch form: per file with conflicts the title naming the file, 80 "-", its
// record lines and two empty lines (a file refused for another reason leaves no block); after
// the blocks, the outcome of every file of the batch under a title of its own and 80 "-", one line
// per file: "【<file>】<outcome>". Either way the report starts with a title ("在准备导入的…").
//
// The report is written whole through an atomic file: a failed write leaves the previous report.

#include <string>
#include <vector>

namespace velmora::exchange {

inline constexpr const char* kConflictReportName = "数据导入编号冲突.txt";

struct ConflictRow {
  std::string c901;  // as the program shows the code
  std::string c902;
};

std::string ConflictReportPath(const std::string& personalFolder);

// Lines of the two forms, in UTF-8 (without line ends).
std::vector<std::string> SingleReportLines(const std::vector<ConflictRow>& rows);
std::vector<std::string> BatchBlockLines(const std::string& file, const std::vector<ConflictRow>& rows);
struct FileOutcomeLine {
  std::string file;
  std::string outcome;  // "导入了20条记录", "没有导入：<cause>", ...
};
std::vector<std::string> BatchOutcomeLines(const std::vector<FileOutcomeLine>& files);

// Writes the lines in GBK, each ended by CR LF, over `path` (which must be a report or absent).
// `openDatabase` is refused as a target. Throws std::runtime_error with a text for the user.
void WriteConflictReport(const std::string& path, const std::vector<std::string>& lines,
                         const std::string& openDatabase);

// The message after a refused import: the report's path with the LF CR pairs of the old message.
std::string ConflictMessage(const std::string& reportPath);

}  // namespace velmora::exchange
