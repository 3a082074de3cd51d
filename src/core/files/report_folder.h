#pragma once
// Where the program puts the reports it writes for the user (the check report, the conflict
// report of an import): the root of drive C on Windows when it can be written to, otherwise the
// user's documents folder. Paths are UTF-8 strings.

#include <string>

namespace velmora::files {

// True when a file can be created in `folder` (a probe file is made and removed).
bool CanWriteIn(const std::string& folder);

// Where working copies of packages made readable for an import and other work files go: the program
// folder when it can be written to, the user's data folder for an installed program, otherwise the
// system temporary folder (see ChooseFolders in program_folders.h).
std::string WorkingFolder(const std::string& programFolder);

// The report folder, given the user's documents folder.
std::string ReportFolder(const std::string& documentsFolder);

// `fileName` in the report folder.
std::string ReportPath(const std::string& documentsFolder, const std::string& fileName);

// The documents folder of the user running a program without a desktop session (the command
// line): settings::PersonalFolder when set, otherwise "Documents" in the home folder when it
// exists, otherwise the home folder itself ("." when there is none).
std::string UserDocumentsFolder();

// `name` with the characters no file name may hold (\ / : * ? " < > | and control characters)
// replaced by "_", and cut by whole UTF-8 characters to at most `maxBytes` bytes.
std::string SafeFileNamePart(const std::string& name, std::size_t maxBytes);

}  // namespace velmora::files
