#pragma once
// The reporting package a grassroots unit sends upward: a copy of the template view.dll holding the
// formally saved records (RecordState 1), the providing unit's label, the manifest, and a scrambled
// head. The package is built beside the chosen path and renamed into place only when it is
// complete and scrambled; a failure leaves no file at the path and none beside it. The working
// database, its label and DatabaseLabel are never changed.

#include <cstdint>
#include <optional>
#include <string>

#include "core/jobs/job.h"
#include "core/session/session.h"

namespace velmora::exchange {

inline constexpr const char* kPackageTemplateName = "view.dll";
inline constexpr const char* kDefaultLabel = "默认数据库";
inline constexpr const char* kPackageFilter = "数据加密文件(*.dat)|*.dat";
inline constexpr const char* kImportFilter = "数据加密文件(*.dat)|*.dat|数据备份文件(*.mdb)|*.mdb";
inline constexpr const char* kGateText = "存在临时保存或逻辑错误的数据，不能上报!";
inline constexpr const char* kDefaultLabelText = "必须修改默认的名称！";

// Unless `name` ends in `extension` (exact, lower case), the extension is appended.
std::string WithExtension(const std::string& name, const std::string& extension);

// The reporting gate: false, with the message shown, when a record is not in RecordState 1.
bool ReportingGate(session::DatabaseSession& session, UserPrompts& prompts);

// The label box and its loop on "默认数据库"; nullopt when the user cancelled.
std::optional<std::string> AskPackageLabel(session::DatabaseSession& session, UserPrompts& prompts);

struct PackageWritten {
  std::string path;
  std::int64_t records = 0;
  std::string sha256;
};

// Writes the package at `path` with `label`: the core of the export, without questions. Refuses a
// path that is the open database or a database file other than a package. Throws
// std::runtime_error with a text for the user; nothing is then left at or beside `path`.
PackageWritten WritePackage(session::DatabaseSession& session, const std::string& path, const std::string& label,
                            jobs::Job& job = jobs::NoJob());

// The export after the gate: label, save dialog (extension rule), package, closing message. True when
// a package was written.
bool ExportReportingPackage(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job = jobs::NoJob());

// The action: the gate, then the export.
bool actExport(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job = jobs::NoJob());

}  // namespace velmora::exchange
