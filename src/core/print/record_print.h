#pragma once
// The annual report form of one stored record: the print template filled sheet by sheet from
// view_data, every catalogue row written to its printplace, and the workbook handed to the user.

#include <optional>
#include <string>
#include <string_view>

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}
namespace velmora::jobs {
class Job;
}
namespace velmora::office {
class TemplateWorkbook;
}

namespace velmora::print {

inline constexpr const char* kPrintTemplateName = "2012打印表.xltx";
// Shown when the template is missing or cannot be opened.
inline constexpr const char* kTemplateOpenFailed = "打开汇总模版文件时发生错误，可能是没有安装MS Office中的Excel";

// Where the print was asked for: the main window leaves the first sheet active, the entry form the
// last sheet it filled.
enum class PrintOrigin { MainWindow, EntryForm };

// Fills the opened template with the record whose c901 is `code` (a record not stored fills every
// cell with empty text). The job steps once per print page. Throws on a catalogue row the sheet or
// the record cannot take (a bad printplace, a missing worksheet, a column view_data lacks).
void FillRecordPrint(db::Connection& connection, office::TemplateWorkbook& workbook, std::string_view code,
                     PrintOrigin origin, jobs::Job& job);

// The print as the windows run it: opens `templatePath`, fills it, saves it in `documentsFolder`
// as "年报表-<code>-<date-time>.xlsx" (never over an earlier one) and opens it for the user. The
// failures are shown through the prompts: the template message when it cannot be opened, the
// general error message after that; then nothing is saved and the job's window is hidden.
// Returns the saved path.
std::optional<std::string> PrintRecordThroughTemplate(db::Connection& connection, UserPrompts& prompts,
                                                      jobs::Job& job, const std::string& templatePath,
                                                      const std::string& documentsFolder, std::string_view code,
                                                      PrintOrigin origin);

// The same into a chosen file (the command line): throws with the message the window would show.
// A path the output rules refuse (the open database `openDatabase`, a file of another kind) is
// refused before the template is opened.
void PrintRecordToFile(db::Connection& connection, jobs::Job& job, const std::string& templatePath,
                       std::string_view code, const std::string& outputPath, const std::string& openDatabase);

}  // namespace velmora::print
