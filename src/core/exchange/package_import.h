#pragma once
// Package import: one reporting package or database file (a backup) into the working database,
// all or nothing. A package is read through a working copy with its head restored (the program
// folder, or the system temporary folder when the program folder cannot be written); the user's
// file is only ever read. Before anything is inserted the file is checked: its table and layout,
// codes that occur twice inside it, and its manifest when it has one. The insert runs in one
// transaction; when it fails the conflicting codes are staged in <table>_<table> and listed in the
// number-conflict report. A package whose every record is already stored, equal in every column
// but id, is told apart as already imported.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/exchange/conflict_report.h"
#include "core/exchange/package_manifest.h"
#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

enum class ImportStatus {
  Imported,         // every record added (a dry run: would be added)
  Conflicts,        // refused: codes already stored; `conflicts` lists them
  AlreadyImported,  // refused: every record is stored already, equal in every column but id
  Declined,         // the user answered No to the label question
  Refused,          // the file cannot be imported (missing, not a database, damaged, wrong layout)
  Failed,           // the working database cannot take it (no such table, an engine failure, stopped)
};

struct ImportOptions {
  bool askLabel = true;  // the label question before the insert
  bool dryRun = false;   // everything is found out, nothing is changed (the transactions roll back)
  // A package without a manifest is refused (the setting "只接受带校验信息的数据包" asks the same).
  bool requireManifest = false;
};

// The setting of an upper-level office "只接受带校验信息的数据包" (off by default): packages and
// backups without a manifest are refused. A manifest proves that a file is whole, not who made it.
inline constexpr const char* kRequireManifestCaption = "只接受带校验信息的数据包";
inline constexpr const char* kRequireManifestValue = "RequireManifest";
bool RequireManifestSetting();
void WriteRequireManifestSetting(bool on);

struct FileImportResult {
  ImportStatus status = ImportStatus::Failed;
  std::string file;   // the file as chosen
  std::string label;  // ct_label of the file
  std::int64_t records = 0;   // rows of the file's table
  std::int64_t imported = 0;  // rows added (or that would be added)
  std::vector<ConflictRow> conflicts;
  ManifestStatus manifest = ManifestStatus::Missing;
  std::string message;  // for every status but Imported and Declined: the text for the user
  bool endsBatch = false;  // the working database cannot take any file (its table is missing)
};

// Imports one file through the intake (a private working copy, checked table and layout, every
// record through the record check, the manifest when it has one), asking only the label question
// (when asked to, a Yes/No warning box); shows no message and writes no report. `workingFolder`
// empty: the program folder when it can be written, else the temporary folder.
FileImportResult ImportFile(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                            const ImportOptions& options, jobs::Job& job = jobs::NoJob(),
                            const std::string& workingFolder = {});

// The single import of a chosen file: ImportFile, then the closing message, or the number-conflict
// report in its single form (written at `reportPath`, "" = the report folder) opened through the
// prompts with the conflict message. Returns true when the record list must be refreshed.
struct SingleImport {
  bool refresh = false;
  FileImportResult result;
  std::string reportPath;  // when a report was written
};
SingleImport ImportPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& table,
                           const ImportOptions& options, jobs::Job& job = jobs::NoJob(),
                           const std::string& reportPath = {});

// The dialog of the main window's import action: the open dialog with both filters, then
// ImportPackage. A name without ".dat" or ".mdb" gets ".dat" (the first filter). True when the list
// must be refreshed.
bool ImportReportingPackage(session::DatabaseSession& session, UserPrompts& prompts, const std::string& table, jobs::Job& job = jobs::NoJob());

// The batch import of several files, made to run unattended: no question and no message while it
// runs, one progress step per file. The report (`reportPath`, "" = the report folder) holds the
// conflict blocks of the batch form and then one line per file with its outcome; afterwards one
// closing message gives the counts (and the report is opened unless every file was imported). A
// file that cannot be imported is reported and the batch goes on; a working database without the
// table, or a stop through the job, ends it (files imported so far stay).
struct BatchImport {
  std::vector<FileImportResult> files;  // the files gone through, in order
  std::int64_t imported = 0;            // records added
  std::int64_t conflicts = 0;           // conflicting records
  int filesImported = 0;
  int filesAlreadyImported = 0;
  int filesConflicting = 0;
  int filesRefused = 0;   // refused or failed
  int filesLeft = 0;      // not gone through: the batch was stopped or ended before them
  bool allImported = false;
  bool stopped = false;
  std::string reportPath;
  bool reportWritten = false;
  std::string closingMessage;
};
// Called after each file with its position in `paths`.
using BatchFileDone = std::function<void(std::size_t index, const FileImportResult& result)>;
BatchImport ImportPackageFiles(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& paths,
                               const std::string& table, const ImportOptions& options, jobs::Job& job = jobs::NoJob(),
                               const std::string& reportPath = {}, const BatchFileDone& fileDone = {});

// What became of one file of a batch, in a few words ("导入了20条记录", "已经导入过了…", "有2条记录
// 编号冲突…", "没有导入：<cause>"): the report's line for it follows its name, the batch dialog
// shows it beside the file.
std::string FileOutcome(const FileImportResult& result, bool dryRun = false);

// What the batch dialog shows after browsing: the labels of the chosen files joined by " || ", or
// the message of the first file that is missing. A file that cannot be read stays chosen with the
// cause beside it (an office choosing thousands of files is not stopped by one, and sees which it
// is); the import then refuses it with that cause.
struct BrowsedFiles {
  bool ok = false;
  std::string labels;      // joined by " || "
  std::vector<std::string> fileLabels;  // the label of each file, in order ("" for one not read)
  std::vector<std::string> faults;      // why each file cannot be read, in order ("" for one read)
  std::string sourcePath;  // the paths joined by ";"
  std::string message;
};
BrowsedFiles ReadPackageLabels(session::DatabaseSession& session, const std::vector<std::string>& paths);

// What `package info` prints: the label, the record count and the manifest's verdict.
struct PackageInfo {
  bool ok = false;
  std::string label;
  std::int64_t records = 0;
  ManifestStatus manifest = ManifestStatus::Missing;
  std::string reason;   // when the manifest is damaged
  std::string message;  // when !ok
};
// The working copy (when one is needed) goes to `workingFolder` under a name of its own. With
// `labelOnly` the file is read as far as its label (the batch dialog's choice of thousands of files):
// no manifest check and no count, which the import does anyway.
PackageInfo ReadPackageInfo(const std::string& path, const std::string& workingFolder, bool labelOnly = false);

}  // namespace velmora::exchange
