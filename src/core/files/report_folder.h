#pragma once
// Folders the program writes into on its own: the report folder of the check and number-conflict
// reports, and the folder of working copies (package copies made readable for an import).

#include <string>

namespace velmora::files {

// True when a file can be created in `folder` (a probe file is made and removed).
bool CanWriteIn(const std::string& folder);

// The root of drive C on Windows when it can be written to, otherwise the documents folder.
std::string ReportFolder(const std::string& personalFolder);

// The program folder when it can be written to, otherwise the system temporary folder.
std::string WorkingFolder(const std::string& programFolder);

}  // namespace velmora::files
