#include "core/groups/group_transfer.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/file_header.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/reporting_package.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/groups/groups.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"

namespace velmora::groups {

namespace fs = std::filesystem;

namespace {

std::string ConnectionString(const std::string& file, bool readOnly) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db::Connection::QuoteValue(file) +
         (readOnly ? ";Mode=Read" : "") + ";Persist Security Info=False";
}

bool NonEmptyFile(const std::string& path) {
  std::error_code ec;
  const fs::path p = base::PathFromUtf8(path);
  return fs::exists(p, ec) && fs::file_size(p, ec) > 0 && !ec;
}

// The view the program reads the items through; it and its triggers go along with the tables.
constexpr const char* kItemView = "view_group_item";

struct SchemaObject {
  std::string type, name, sql;
};

// The definitions of the tables, their indexes and triggers and the items' view with its triggers,
// as the schema of `schemaFile` (the shipped default database) has them: tables first, then
// indexes, views and triggers.
std::vector<SchemaObject> GroupDefinitions(const std::string& schemaFile, const std::vector<std::string>& tables) {
  db::Connection schema(ConnectionString(schemaFile, true));
  schema.open();
  std::vector<SchemaObject> out;
  for (const char* type : {"table", "index", "view", "trigger"}) {
    std::vector<std::string> owners = tables;
    owners.emplace_back(kItemView);
    for (const std::string& owner : owners) {
      db::Statement st = db::Statement::Native(
          schema,
          "SELECT type, name, sql FROM sqlite_master WHERE type=?1 AND lower(tbl_name)=lower(?2) AND sql IS NOT NULL "
          "ORDER BY rowid");
      st.bindText(1, type);
      st.bindText(2, owner);
      while (st.step()) out.push_back({st.text(0), st.text(1), st.text(2)});
    }
  }
  for (const std::string& table : tables) {
    bool found = false;
    for (const SchemaObject& o : out) found = found || (o.type == "table" && base::Lower(o.name) == base::Lower(table));
    if (!found) throw std::runtime_error(MissingTableText(table));
  }
  return out;
}

// The definition a target's object has, "" when it has none of that name.
std::string DefinitionIn(db::Connection& target, const std::string& name) {
  db::Statement st = db::Statement::Native(target, "SELECT sql FROM sqlite_master WHERE lower(name)=lower(?1)");
  st.bindText(1, name);
  return st.step() ? st.text(0) : std::string();
}

// Makes the group tables of `target` the shipped ones, and their rows those of `sourceFile`, in one
// transaction. A table whose definition differs from the shipped one (made by an earlier copy
// without its key) is made again; indexes, triggers and the view are made when absent.
void CopyTables(db::Connection& target, const std::string& schemaFile, const std::string& sourceFile,
                const std::vector<std::string>& tables, jobs::Job& job) {
  const std::vector<SchemaObject> definitions = GroupDefinitions(schemaFile, tables);
  db::Connection source(ConnectionString(sourceFile, true));
  source.open();
  job.start(static_cast<std::int64_t>(tables.size()));
  jobs::JobTicker ticker(job, 1);
  db::Transaction tx(target);
  for (const SchemaObject& o : definitions) {
    const std::string present = DefinitionIn(target, o.name);
    if (present == o.sql) continue;
    if (!present.empty()) {
      if (o.type != "table") continue;  // an index, view or trigger of that name stays as it is
      target.executeNative("DROP TABLE " + base::QuoteSqlName(o.name));
    }
    target.executeNative(o.sql);
  }
  for (const std::string& table : tables) {
    const std::vector<std::string> columns = target.columnNames(table);
    std::string names, marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      names += (i ? "," : "") + base::QuoteSqlName(columns[i]);
      marks += (i ? ",?" : "?") + std::to_string(i + 1);
    }
    target.executeNative("DELETE FROM " + base::QuoteSqlName(table));
    db::Statement read = db::Statement::Native(source, "SELECT " + names + " FROM " + base::QuoteSqlName(table));
    db::Statement write =
        db::Statement::Native(target, "INSERT INTO " + base::QuoteSqlName(table) + " (" + names + ") VALUES (" + marks + ")");
    while (read.step()) {
      for (int c = 0; c < static_cast<int>(columns.size()); ++c) write.bind(c + 1, read.value(c));
      write.run();
      write.reset();
    }
    job.step();
    ticker.tick();
  }
  tx.commit();
}

// The shipped schema: the default database's, or the source's when there is no default database.
std::string SchemaFile(session::DatabaseSession& session, const std::string& sourceFile) {
  const std::string shipped = session.DefaultDatabasePath();
  std::error_code ec;
  if (fs::is_regular_file(base::PathFromUtf8(shipped), ec) && db::HasPlainHeader(shipped)) return shipped;
  return sourceFile;
}

// Reads the groups and items of a file from elsewhere through the intake, checks every one of them
// as the dialogs check what they store, and replaces the open database's groups by them with bound
// values, in one transaction. A refusal throws GroupRefused (nothing has changed then), a file the
// intake cannot read IntakeError.
void ReadGroupFile(session::DatabaseSession& session, const std::string& file, const std::vector<std::string>& tables,
                   jobs::Job& job) {
  db::Connection& ours = session.SysADOConnection();
  intake::SourceFile source(file, files::WorkingFolder(session.ProgramFolder()), job);
  // Real tables only; their declared kinds may differ (files of earlier versions), every value's
  // kind is checked when it is read.
  for (const std::string& table : tables) source.requireTable(table, MissingTableText(table));
  bool withGroups = false, withItems = false;
  for (const std::string& table : tables) {
    withGroups = withGroups || base::Lower(table) == "ct_group";
    withItems = withItems || base::Lower(table) == "dt_groupitem";
  }
  intake::UntrustedScope scope(source.connection(), job, source.instructionBudget());
  auto step = [&](db::Statement& st) {
    try {
      return st.step();
    } catch (const std::exception& e) {
      scope.rethrow(e, file);
    }
  };
  auto prepare = [&](const std::string& sql) {
    try {
      return db::Statement::Native(source.connection(), sql);
    } catch (const std::exception& e) {
      scope.rethrow(e, file);
    }
  };
  job.start(2);
  db::Transaction tx(ours);
  std::map<std::int64_t, std::string> names;  // the file's groups by id
  std::map<std::int64_t, std::int64_t> counts;
  if (withGroups) {
    ours.executeNative("DELETE FROM CT_Group");
    db::Statement read = prepare("SELECT ID, Name, orderstr, AutoLowest, AutoHighest, GroupList FROM CT_Group");
    db::Statement write = db::Statement::Native(
        ours, "INSERT INTO CT_Group (ID, Name, orderstr, AutoLowest, AutoHighest, GroupList) VALUES (?1,?2,?3,?4,?5,?6)");
    while (step(read)) {
      const db::Variant id = read.value(0), name = read.value(1), order = read.value(2);
      const std::string shownName = name.isText() ? name.toString() : std::string();
      if (!id.isInteger() || id.toInt64() <= 0)
        throw GroupRefused("分组“" + intake::ShownValue(shownName) + "”的编号“" + intake::ShownValue(id.toString()) +
                           "”不是正整数");
      if (!name.isText() || name.toString().empty() || ValidateItem(ItemDraft{name.toString(), 0, 1, ">=", "<"}))
        throw GroupRefused("编号为" + id.toString() + "的分组的名称“" + intake::ShownValue(name.toString()) +
                           "”不能使用：名称必须是不含控制字符、不超过255个字的文字");
      if (!names.emplace(id.toInt64(), name.toString()).second)
        throw GroupRefused("分组“" + intake::ShownValue(name.toString()) + "”的编号" + id.toString() +
                           "在文件中出现了不止一次");
      const std::string orderText = order.isNull() ? std::string() : order.toString();
      const std::optional<std::string> checked = order.isNull() || order.isText() ? CheckedOrder(orderText) : std::nullopt;
      if (!checked) throw GroupRefused(RefusedOrderText(name.toString(), orderText));
      write.bind(1, id).bind(2, name).bind(3, *checked);
      for (int c = 3; c <= 4; ++c) write.bind(c + 1, read.value(c).isInteger() ? read.value(c) : db::Variant(0));
      write.bind(6, read.value(5).isText() ? read.value(5) : db::Variant(""));
      write.run();
    }
  }
  job.step();
  if (withItems) {
    ours.executeNative("DELETE FROM DT_GroupItem");
    db::Statement read =
        prepare("SELECT id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol FROM DT_GroupItem");
    db::Statement write = db::Statement::Native(
        ours,
        "INSERT INTO DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
        "VALUES (?1,?2,?3,?4,?5,?6,?7)");
    std::set<std::int64_t> ids;
    while (step(read)) {
      const db::Variant id = read.value(0), title = read.value(1), group = read.value(2);
      const std::string shownTitle = title.isText() ? title.toString() : std::string();
      auto owner = group.isInteger() ? names.find(group.toInt64()) : names.end();
      if (withGroups && owner == names.end())
        throw GroupRefused("分组项“" + intake::ShownValue(shownTitle) + "”所属的分组“" +
                           intake::ShownValue(group.toString()) + "”在文件中不存在");
      const std::string groupName = owner != names.end() ? owner->second : group.toString();
      if (!id.isInteger() || id.toInt64() <= 0 || !ids.insert(id.toInt64()).second)
        throw GroupRefused(RefusedItemText(groupName, shownTitle,
                                           "编号“" + intake::ShownValue(id.toString()) + "”不是正整数或出现了不止一次"));
      const CheckedItem checked = CheckItemValues(title, read.value(3), read.value(4), read.value(5), read.value(6));
      if (!checked.draft) throw GroupRefused(RefusedItemText(groupName, shownTitle, checked.reason));
      if (++counts[group.toInt64()] > kMaxItemsPerGroup)
        throw GroupRefused("分组“" + intake::ShownValue(groupName) + "”的分组项多于" +
                           std::to_string(kMaxItemsPerGroup) + "个，" + TooManyItemsText());
      const ItemDraft& d = *checked.draft;
      write.bind(1, id).bind(2, d.title).bind(3, group).bind(4, d.low).bind(5, d.high);
      write.bind(6, d.lowSymbol).bind(7, d.highSymbol);
      write.run();
    }
  }
  job.step();
  tx.commit();
}

}  // namespace

std::vector<std::string> GroupTableList() { return {"CT_Group", "DT_GroupItem"}; }

std::string GroupTransferFolder(session::DatabaseSession& session) {
  std::string folder;
  try {
    folder = settings::RegReadString(kTransferFolderValue, "", settings::RegRoot::CurrentUser, kTransferFolderKey);
  } catch (const settings::SettingsError&) {
    folder.clear();
  }
  return base::Trim(folder).empty() ? session.PersonalFolder() : folder;
}

std::string ExportedText(const std::string& file) { return "数据已经被正确导出到：'" + file + "'！"; }

std::string MissingTableText(const std::string& table) {
  return "您选择的文件中不存在名字为\"" + table + "\"的数据表";
}

void ExportGroupTablesTo(session::DatabaseSession& session, const std::string& sourceFile, const std::string& targetFile,
                         const std::vector<std::string>& tables, jobs::Job& job) {
  if (tables.empty()) return;
  std::error_code ec;
  if (!fs::is_regular_file(base::PathFromUtf8(sourceFile), ec) || !db::HasPlainHeader(sourceFile))
    throw std::runtime_error(base::PublisherErrorText("找不到数据库文件" + base::QuotedPath(sourceFile)));
  try {
    db::Connection source(ConnectionString(sourceFile, true));
    source.open();
    for (const std::string& table : tables)
      if (!source.TableExists(table)) throw std::runtime_error(MissingTableText(table));
  } catch (const std::exception& e) {
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  }

  const files::OutputKind kind{"分组导出文件", "", true};
  const files::OutputCheck check = files::CheckOutputPath(targetFile, kind, session.DatabasePath(), true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  if (files::SameExistingFile(targetFile, sourceFile))
    throw std::runtime_error("不能把分组导出文件写到" + base::QuotedPath(targetFile) + "：分组就是从它导出的");

  if (NonEmptyFile(targetFile)) {
    // An existing database: its group tables are replaced, its other tables stay.
    if (!db::HasPlainHeader(targetFile))
      throw std::runtime_error("不能把分组导出文件写到" + base::QuotedPath(targetFile) + "：它不是普通的数据库文件");
    try {
      db::Connection target(ConnectionString(targetFile, false));
      target.open();
      CopyTables(target, SchemaFile(session, sourceFile), sourceFile, tables, job);
    } catch (const std::exception& e) {
      job.finish();
      throw std::runtime_error(base::PublisherErrorText(e.what()));
    }
    job.finish();
    return;
  }

  // A new file: made beside the path and put in place when complete.
  const fs::path folder = base::PathFromUtf8(targetFile).parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec))
    throw std::runtime_error("不能把分组导出文件写到" + base::QuotedPath(targetFile) + "：文件夹不存在");
  try {
    files::AtomicFile out(targetFile, "~vmg", session.DatabasePath());
    fs::remove(base::PathFromUtf8(out.tempPath()), ec);  // the engine creates only a new file
    db::CreateDatabase(ConnectionString(out.tempPath(), false));
    {
      db::Connection target(ConnectionString(out.tempPath(), false));
      target.open();
      CopyTables(target, SchemaFile(session, sourceFile), sourceFile, tables, job);
    }
    out.commit();
  } catch (const std::exception& e) {
    job.finish();
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  }
  job.finish();
}

bool ExportGroupTables(session::DatabaseSession& session, UserPrompts& prompts, const std::string& sourceFile,
                       const std::vector<std::string>& tables, jobs::Job& job) {
  {
    // The source is opened first: a default database that cannot be read ends the export at once.
    try {
      db::Connection source(ConnectionString(sourceFile, true));
      source.open();
    } catch (const std::exception& e) {
      prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
      return false;
    }
  }
  const std::string folder = GroupTransferFolder(session);
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(base::PathFromUtf8(folder), ec);
  }
  const FileDialogRequest request{"导出文件存放为", kTransferFilter, folder, "", "mdb"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  const std::string file = exchange::WithExtension(*chosen, ".mdb");
  try {
    ExportGroupTablesTo(session, sourceFile, file, tables, job);
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
  prompts.message(ExportedText(file), MessageKind::Information);
  return true;
}

bool ImportGroupTablesFrom(session::DatabaseSession& session, UserPrompts& prompts, const std::string& file,
                           const std::vector<std::string>& tables, jobs::Job& job) {
  if (const auto refusal =
          intake::PlainDatabaseRefusal(file, session.DatabasePath(), "不能从它自己导入。", "不能从它导入数据分组。")) {
    prompts.message(*refusal, MessageKind::Error);
    return false;
  }
  if (tables.empty()) return false;
  try {
    ReadGroupFile(session, file, tables, job);
  } catch (const GroupRefused& e) {
    job.finish();
    prompts.message(e.what(), MessageKind::Warning);
    return false;
  } catch (const intake::IntakeError& e) {
    job.finish();
    prompts.message(e.what(), e.kind() == intake::IntakeError::Kind::NoTable ? MessageKind::Warning : MessageKind::Error);
    return false;
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  }
  job.finish();
  prompts.message(kImportDoneText, MessageKind::Information);
  return true;
}

bool ImportGroupTables(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& tables, jobs::Job& job) {
  const FileDialogRequest request{"选择导入文件", kTransferFilter, GroupTransferFolder(session), "", "mdb"};
  const std::optional<std::string> chosen = prompts.openFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  return ImportGroupTablesFrom(session, prompts, exchange::WithExtension(*chosen, ".mdb"), tables, job);
}

}  // namespace velmora::groups
