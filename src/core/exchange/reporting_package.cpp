#include "core/exchange/reporting_package.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/file_header.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/package_manifest.h"
#include "core/files/atomic_file.h"
#include "core/files/database_file.h"
#include "core/files/output_path.h"
#include "core/prompts/user_prompts.h"
#include "core/session/working_copy.h"

namespace velmora::exchange {

namespace fs = std::filesystem;

namespace {

// A package replaces only a package (or an empty or new file).
void RequirePackagePath(const std::string& path, const std::string& openDatabase) {
  const files::OutputKind kind{"数据包", "", true};
  const files::OutputCheck check = files::CheckOutputPath(path, kind, openDatabase, true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  std::error_code ec;
  const fs::path p = base::PathFromUtf8(path);
  if (fs::exists(p, ec) && fs::file_size(p, ec) > 0 && !ec) {
    std::ifstream in(p, std::ios::binary);
    const int first = in.get();
    if (first != db::PackageMarker())
      throw std::runtime_error("不能把数据包写到" + base::QuotedPath(path) + "：它是一个数据库文件，不是数据包");
  }
}

}  // namespace

std::string WithExtension(const std::string& name, const std::string& extension) {
  if (name.size() >= extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
    return name;
  return name + extension;
}

bool ReportingGate(session::DatabaseSession& session, UserPrompts& prompts) {
  db::Statement st(session.SysADOConnection(), "select count(*) as cnt from dt_data where RecordState<>1");
  const std::int64_t pending = st.step() ? st.int64(0) : 0;
  if (pending > 0) {
    prompts.message(kGateText, MessageKind::Warning);
    return false;
  }
  return true;
}

std::optional<std::string> AskPackageLabel(session::DatabaseSession& session, UserPrompts& prompts) {
  for (;;) {
    std::optional<std::string> label =
        prompts.inputText("设置数据库标识", "请输入提供数据的单位的名称，长度不要超过200个汉字", session.DatabaseLabel());
    if (!label) return std::nullopt;
    if (*label != kDefaultLabel) return label;
    prompts.message(kDefaultLabelText, MessageKind::Warning);
  }
}

PackageWritten WritePackage(session::DatabaseSession& session, const std::string& path, const std::string& label,
                            jobs::Job& job) {
  if (label == kDefaultLabel) throw std::runtime_error(kDefaultLabelText);
  const std::string templ = base::Utf8FromPath(base::PathFromUtf8(session.ProgramFolder()) / kPackageTemplateName);
  std::error_code ec;
  if (!fs::is_regular_file(base::PathFromUtf8(templ), ec))
    throw std::runtime_error("找不到数据包模板文件" + base::QuotedPath(templ) + "，请重新安装。");
  RequirePackagePath(path, session.DatabasePath());

  files::AtomicFile out(path, "~vmp", session.DatabasePath());
  PackageWritten result;
  result.path = out.target();
  try {
    files::CopyFileInto(templ, out);
    out.close();
    db::Connection package("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                           db::Connection::QuoteValue(out.tempPath()) + ";Persist Security Info=False");
    {
      db::Transaction tx(package);
      // The records are copied row by row in c901 order and digested on the way, so that the
      // manifest costs no second reading of the package.
      db::Connection& source = session.SysADOConnection();
      db::Statement rows =
          db::Statement::Native(source, "SELECT * FROM dt_data WHERE RecordState=1 ORDER BY c901");
      const int n = rows.columnCount();
      std::vector<std::string> columns;
      std::string places;
      for (int i = 0; i < n; ++i) {
        columns.push_back(rows.columnName(i));
        places += (i ? ",?" : "?") + std::to_string(i + 1);
      }
      if (package.columnNames("dt_data").size() != columns.size())
        throw std::runtime_error("数据包模板的数据表与系统中的数据表结构不同，请重新安装。");
      db::Statement insert = db::Statement::Native(package, "INSERT INTO dt_data VALUES (" + places + ")");
      RowsDigester digest(columns);
      jobs::JobTicker ticker(job);
      {
        db::ProgressScope scope(source, job);
        while (rows.step()) {
          // Each value is read once: bound for the package and digested for its manifest.
          for (int i = 0; i < n; ++i) {
            switch (rows.kind(i)) {
              case db::ValueKind::Null:
                insert.bindNull(i + 1);
                digest.addNull();
                break;
              case db::ValueKind::Integer: {
                const std::int64_t v = rows.int64(i);
                insert.bindInt64(i + 1, v);
                digest.addInteger(v);
                break;
              }
              case db::ValueKind::Float: {
                const double v = rows.real(i);
                insert.bindDouble(i + 1, v);
                digest.addReal(v);
                break;
              }
              case db::ValueKind::Text: {
                const std::string_view v = rows.textView(i);
                insert.bindStaticText(i + 1, v);
                digest.addText(v);
                break;
              }
              case db::ValueKind::Blob:
                insert.bind(i + 1, rows.value(i));
                digest.addText(rows.textView(i), true);
                break;
            }
          }
          insert.run();
          digest.endRow();
          if (!ticker.tick()) throw std::runtime_error("导出已停止，没有写出数据包。");
        }
      }
      db::Statement setLabel(package, "update ct_label set db_name = :label");
      setLabel.bind("label", label).run();
      const RowsDigest digested = digest.finish();
      // A stop asked while the rows were copied ends the export here at the latest.
      if (!jobs::JobTicker(job).poll()) throw std::runtime_error("导出已停止，没有写出数据包。");
      WriteManifest(package, {label, digested.records, digested.sha256, ProgramVersion(), ManifestTimeNow()});
      tx.commit();
      result.records = digested.records;
      result.sha256 = digested.sha256;
    }
    package.close();
    if (session::ScramblePackageHeader(out.tempPath()) != session::HeadResult::Changed)
      throw std::runtime_error("无法改写数据包的文件头");
    out.commit();
  } catch (const db::DbError& e) {
    if (db::IsInterrupted(e)) throw std::runtime_error("导出已停止，没有写出数据包。");
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  } catch (const files::AtomicFileError& e) {
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  } catch (const files::FileError& e) {
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  }
  return result;
}

bool ExportReportingPackage(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job) {
  const std::optional<std::string> label = AskPackageLabel(session, prompts);
  if (!label) return false;

  if (!session.PersonalFolder().empty()) {
    std::error_code ec;
    fs::create_directories(base::PathFromUtf8(session.PersonalFolder()), ec);
  }
  FileDialogRequest request{"导出文件存放为", kPackageFilter, session.PersonalFolder(), "", "dat"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  const std::string path = WithExtension(*chosen, ".dat");

  try {
    const PackageWritten written = WritePackage(session, path, *label, job);
    job.finish();
    prompts.message("数据已经被正确导出到：'" + written.path + "'！", MessageKind::Information);
    return true;
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
}

bool actExport(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job) {
  try {
    if (!ReportingGate(session, prompts)) return false;
  } catch (const std::exception& e) {
    prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  }
  return ExportReportingPackage(session, prompts, job);
}

}  // namespace velmora::exchange
