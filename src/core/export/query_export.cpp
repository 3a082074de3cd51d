#include "core/export/query_export.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/text.h"
#include "core/db/connection.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/jobs/job.h"
#include "core/office/stream_workbook.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "core/settings/settings.h"
#include "core/text/local_time.h"

namespace velmora::exports {

namespace fs = std::filesystem;

namespace {

// The temporary name a new database file is built under.
constexpr std::string_view kDatabaseTemporaryPrefix = "~vmd";

// Days from 1899-12-30 to a civil date (the proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<std::int64_t>(era) * 146097 + doe - 719468 + 25569;  // 1970-01-01 is day 25569
}

void CivilFromDays(std::int64_t serial, int& y, int& m, int& d) {
  std::int64_t z = serial - 25569 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string Ymd(int y, int m, int d) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

ExportField FieldOf(const db::Statement& st, int column) {
  ExportField field = FieldOfDeclaredType(st.columnName(column), st.declaredType(column));
  if (st.declaredType(column).empty()) {
    switch (st.kind(column)) {
      case db::ValueKind::Integer: field.kind = FieldKind::Integer; break;
      case db::ValueKind::Float: field.kind = FieldKind::Float; break;
      case db::ValueKind::Text: field.kind = FieldKind::Text; break;
      default: field.kind = FieldKind::Other; break;
    }
  }
  return field;
}

std::int64_t CountRows(const ExportSource& source, const db::Statement& st) {
  if (source.count >= 0) return source.count;
  db::Statement count = db::Statement::Native(source.connection, "SELECT count(*) FROM (" + st.sql() + ")");
  return count.step() ? count.int64(0) : 0;
}

}  // namespace

ExportField FieldOfDeclaredType(const std::string& name, const std::string& declaredType) {
  ExportField field{name, FieldKind::Other, 0};
  const std::string t = base::Upper(base::Trim(declaredType));
  const auto open = t.find('(');
  const std::string base = velmora::base::Trim(t.substr(0, open));
  if (base == "VARCHAR" || base == "NVARCHAR" || base == "CHAR" || base == "NCHAR" || base == "TEXT" ||
      base == "VARCHAR2" || base == "STRING" || base == "MEMO") {
    field.kind = FieldKind::Text;
    if (open != std::string::npos) field.size = std::atoi(t.c_str() + open + 1);
  } else if (base == "INTEGER" || base == "INT" || base == "SMALLINT" || base == "BIGINT" || base == "LONG" ||
             base == "TINYINT" || base == "SHORT" || base == "COUNTER" || base == "AUTOINCREMENT") {
    field.kind = FieldKind::Integer;
  } else if (base == "DOUBLE" || base == "FLOAT" || base == "REAL" || base == "CURRENCY" || base == "MONEY" ||
             base == "NUMERIC" || base == "DECIMAL" || base.starts_with("DOUBLE ")) {
    field.kind = FieldKind::Float;
  } else if (base == "DATE" || base == "DATETIME" || base == "TIMESTAMP") {
    field.kind = FieldKind::Date;
  } else if (base == "BIT" || base == "BOOLEAN" || base == "BOOL" || base == "YESNO" || base == "LOGICAL") {
    field.kind = FieldKind::Boolean;
  }
  return field;
}

std::string NumberFormatOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::Date: return "yyyy-mm-dd";
    case FieldKind::Text:
    case FieldKind::Boolean: return "@";
    case FieldKind::Float: return "￥#,##0.00;￥-#,##0.00";
    case FieldKind::Integer: return "#,##0_ ";
    case FieldKind::Other: break;
  }
  return {};
}

std::string ColumnTypeOf(const ExportField& field) {
  switch (field.kind) {
    case FieldKind::Text:
      return field.size > 0 ? "VARCHAR(" + std::to_string(field.size) + ")" : "TEXT";
    case FieldKind::Integer: return "INTEGER";
    case FieldKind::Float: return "DOUBLE";
    case FieldKind::Date: return "DATE";
    case FieldKind::Boolean: return "BIT";
    case FieldKind::Other: break;
  }
  // Values of other columns go in as their text, so the column keeps them as text.
  return "TEXT";
}

std::string DateText(const db::Variant& value, double* serial) {
  if (serial) *serial = 0;
  if (value.isNull()) return {};
  if (value.isNumber()) {
    const double v = value.toDouble();
    if (v == 0 || !std::isfinite(v) || std::fabs(v) > 3e6) return {};
    int y = 0, m = 0, d = 0;
    CivilFromDays(static_cast<std::int64_t>(std::floor(v)), y, m, d);
    if (serial) *serial = std::floor(v);
    return Ymd(y, m, d);
  }
  const std::string text = base::Trim(value.toString());
  if (text.empty()) return {};
  int y = 0, m = 0, d = 0;
  char sep1 = 0, sep2 = 0;
  if (std::sscanf(text.c_str(), "%4d%c%2d%c%2d", &y, &sep1, &m, &sep2, &d) == 5 && (sep1 == '-' || sep1 == '/') &&
      sep2 == sep1 && m >= 1 && m <= 12 && d >= 1 && d <= 31) {
    if (serial) *serial = static_cast<double>(DaysFromCivil(y, m, d));
    return Ymd(y, m, d);
  }
  return text;
}

std::string ExportFileName(const std::string& chosen, const std::string& extension) {
  if (chosen.size() > extension.size() &&
      chosen.compare(chosen.size() - extension.size(), extension.size(), extension) != 0)
    return chosen + extension;
  return chosen;
}

std::string DayText(const std::tm& day) { return Ymd(day.tm_year + 1900, day.tm_mon + 1, day.tm_mday); }

catalogue::TFieldDataArray ListColumns(const std::vector<std::pair<std::string, std::string>>& fieldsAndTitles) {
  catalogue::TFieldDataArray columns;
  for (const auto& [field, title] : fieldsAndTitles) {
    catalogue::TFieldData f;
    f.ShowName = field;
    f.Hint = title;
    for (const std::string marker : {"▲", "▼"}) {
      if (f.Hint.size() >= marker.size() && f.Hint.compare(f.Hint.size() - marker.size(), marker.size(), marker) == 0)
        f.Hint.erase(f.Hint.size() - marker.size());
    }
    f.QueryShow = true;
    f.FieldWidth = 0;
    columns.push_back(std::move(f));
  }
  return columns;
}

ExportContext ContextOf(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job) {
  ExportContext context{prompts, job, session.DatabasePath(), session.PersonalFolder(), text::LocalTimeNow()};
  if (context.personalFolder.empty()) context.personalFolder = settings::PersonalFolder;
  return context;
}

// ---- workbook ------------------------------------------------------------------------------------

namespace {

struct WrittenColumn {
  int sourceColumn = -1;
  ExportField field;
};

void WriteCell(office::StreamWorkbook& wb, const db::Statement& st, int row, int column, const WrittenColumn& c) {
  const int i = c.sourceColumn;
  switch (st.kind(i)) {
    case db::ValueKind::Null:
      if (c.field.kind == FieldKind::Boolean) wb.setString(row, column, "不是");
      return;
    default: break;
  }
  switch (c.field.kind) {
    case FieldKind::Boolean:
      wb.setString(row, column, st.value(i).toBool() ? "是" : "不是");
      return;
    case FieldKind::Date: {
      double serial = 0;
      const std::string text = DateText(st.value(i), &serial);
      if (serial != 0) {
        wb.setNumber(row, column, serial);
      } else if (!text.empty()) {
        wb.setString(row, column, text);
      }
      return;
    }
    case FieldKind::Text:
      wb.setString(row, column, st.textView(i));
      return;
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Other:
      break;
  }
  switch (st.kind(i)) {
    case db::ValueKind::Integer: wb.setInteger(row, column, st.int64(i)); break;
    case db::ValueKind::Float: wb.setNumber(row, column, st.real(i)); break;
    default: wb.setText(row, column, st.textView(i)); break;
  }
}

}  // namespace

ExportOutcome ExportQueryToWorkbook(ExportContext& context, const ExportSource& source, const std::string& title,
                                    const catalogue::TFieldDataArray& columns, const std::string& path) {
  ExportOutcome outcome;
  UserPrompts& prompts = context.prompts;
  bool started = false;
  try {
    db::Statement st(source.connection, source.sql);
    if (!st.step()) {
      outcome.empty = true;
      prompts.message(kExcelEmptyText, MessageKind::Warning);
      return outcome;
    }
    const files::OutputKind kind{"Excel文件", std::string_view("PK\x03\x04", 4), false};
    const files::OutputCheck check = files::CheckOutputPath(path, kind, context.openDatabase, true);
    if (check.verdict != files::OutputVerdict::Writable) {
      prompts.message(check.message, MessageKind::Error);
      return outcome;
    }

    std::vector<WrittenColumn> written;
    for (const catalogue::TFieldData& c : columns) {
      if (!c.QueryShow) continue;
      const int i = st.findColumn(c.ShowName);
      if (i < 0) throw std::runtime_error("字段“" + c.ShowName + "”不存在");
      written.push_back({i, FieldOf(st, i)});
    }
    const std::int64_t total = CountRows(source, st);

    office::StreamWorkbook wb(path, title);
    for (std::size_t k = 0; k < written.size(); ++k) {
      const std::string format = NumberFormatOf(written[k].field.kind);
      if (!format.empty()) wb.setColumnNumberFormat(static_cast<int>(k) + 1, format);
    }
    wb.setFont(2, 1, true, 12);
    wb.setString(2, 1, "导出日期:");
    wb.setCellNumberFormat(2, 2, "@");
    wb.setString(2, 2, DayText(context.today));
    {
      int k = 1;
      for (const catalogue::TFieldData& c : columns)
        if (c.QueryShow) wb.setString(3, k++, c.Hint);
    }

    context.job.start(total, 0);
    started = true;
    jobs::JobTicker ticker(context.job);
    int row = 5;
    do {
      for (std::size_t k = 0; k < written.size(); ++k) WriteCell(wb, st, row, static_cast<int>(k) + 1, written[k]);
      ++row;
      ++outcome.records;
      context.job.step();
      if (!ticker.tick()) {
        context.job.finish();
        prompts.message(kStoppedText, MessageKind::Warning);
        return ExportOutcome{};  // the workbook is given up: nothing at the path
      }
    } while (st.step());
    if (!columns.empty()) wb.autoFitColumns(1, static_cast<int>(columns.size()));
    wb.save();
    context.job.finish();
    started = false;
    outcome.exported = true;
    outcome.path = path;
    prompts.message(kExcelDoneText + path, MessageKind::Information);
    return outcome;
  } catch (const std::exception& e) {
    if (started) context.job.finish();
    prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    return ExportOutcome{};
  }
}

// ---- database file -------------------------------------------------------------------------------

namespace {

std::string Bracketed(const std::string& name) { return "[" + name + "]"; }

void BindValue(db::Statement& insert, int parameter, const db::Statement& st, int column, FieldKind kind) {
  const db::ValueKind vk = st.kind(column);
  switch (kind) {
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Boolean:
      // Numbers; a blank value goes in as 0.
      if (vk == db::ValueKind::Integer) {
        insert.bindInt64(parameter, st.int64(column));
      } else if (vk == db::ValueKind::Float) {
        insert.bindDouble(parameter, st.real(column));
      } else if (vk == db::ValueKind::Null || base::Trim(std::string(st.textView(column))).empty()) {
        insert.bindInt64(parameter, 0);
      } else {
        insert.bind(parameter, st.value(column));
      }
      return;
    case FieldKind::Date:
      if (vk == db::ValueKind::Null || (vk == db::ValueKind::Text && base::Trim(std::string(st.textView(column))).empty()))
        insert.bindNull(parameter);
      else
        insert.bind(parameter, st.value(column));
      return;
    case FieldKind::Text:
    case FieldKind::Other:
      if (vk == db::ValueKind::Null)
        insert.bindText(parameter, std::string_view(""));
      else if (vk == db::ValueKind::Integer || vk == db::ValueKind::Float)
        insert.bindText(parameter, st.value(column).toString());
      else
        insert.bindText(parameter, st.textView(column));
      return;
  }
}

// The value a column of the exported table receives, as an expression over the source column:
// numbers null or empty go in as 0, dates empty as null, texts null as ''.
std::string ValueExpression(const ExportField& field, const std::string& column) {
  switch (field.kind) {
    case FieldKind::Integer:
    case FieldKind::Float:
    case FieldKind::Boolean: return "ifnull(nullif(" + column + ",''),0)";
    case FieldKind::Date: return "nullif(" + column + ",'')";
    case FieldKind::Text:
    case FieldKind::Other: break;
  }
  return "ifnull(" + column + ",'')";
}

// What the engine's copy reports per row: the job steps, and a stop ends the statement.
struct CopyProgress {
  jobs::Job* job = nullptr;
  std::unique_ptr<jobs::JobTicker> ticker;
  bool* stopped = nullptr;  // the export's own flag, while the function is attached
};

// One export into a database file: the statement to name when one fails, whether the job was
// started and whether the user stopped it.
struct DatabaseExportRun {
  explicit DatabaseExportRun(ExportContext& c) : context(c) {}
  ExportContext& context;
  std::string lastStatement;
  bool started = false;
  bool stopped = false;
};

// The rows copied by the engine from the source into the file attached to the source's connection;
// the file is detached again before this returns. `st` is given up. Returns the number of rows.
std::int64_t CopyThroughAttachedFile(DatabaseExportRun& run, const ExportSource& source, db::Statement& st,
                                     const std::vector<ExportField>& fields, std::int64_t total,
                                     const std::string& tableName, const std::string& writeTo, bool fresh) {
  const std::string translated = st.sql();
  st = db::Statement();
  run.lastStatement.clear();
  auto progress = std::make_shared<CopyProgress>();
  progress->job = &run.context.job;
  progress->stopped = &run.stopped;
  progress->ticker = std::make_unique<jobs::JobTicker>(run.context.job);
  source.connection.createFunction("velmora_export_step", 0, [progress](const std::vector<db::Variant>&) {
    if (progress->job) {
      progress->job->step();
      if (!progress->ticker->tick()) {
        *progress->stopped = true;
        throw db::DbError(kStoppedText);
      }
    }
    return db::Variant(1);
  });
  struct Detach {
    db::Connection& c;
    std::shared_ptr<CopyProgress> p;
    bool attached = false;
    // The engine lets go of the file before it is renamed.
    void now() {
      p->job = nullptr;
      if (!attached) return;
      attached = false;
      try {
        db::Statement::Native(c, "DETACH DATABASE velmora_export").run();
      } catch (const std::exception&) {
      }
    }
    ~Detach() { now(); }
  } detach{source.connection, progress};
  db::Statement attach = db::Statement::Native(source.connection, "ATTACH DATABASE ?1 AS velmora_export");
  attach.bindText(1, writeTo);
  attach.run();
  attach = db::Statement();
  detach.attached = true;
  if (fresh) db::Statement::Native(source.connection, "PRAGMA velmora_export.journal_mode = OFF").step();
  std::int64_t records = 0;
  {
    db::Transaction tx(source.connection);
    const std::string table = "velmora_export." + Bracketed(tableName);
    run.lastStatement = "DROP TABLE IF EXISTS " + table;
    db::Statement::NativeSingle(source.connection, run.lastStatement).run();
    std::string columnList, nameList, valueList;
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const char* comma = k + 1 < fields.size() ? "," : "";
      columnList += Bracketed(fields[k].name) + " " + ColumnTypeOf(fields[k]) + comma;
      nameList += Bracketed(fields[k].name) + comma;
      valueList += ValueExpression(fields[k], "s." + Bracketed(fields[k].name)) + comma;
    }
    run.lastStatement = "Create Table \n" + table + "\n(" + columnList + ")";
    db::Statement::NativeSingle(source.connection, run.lastStatement).run();
    run.lastStatement = "INSERT INTO " + table + "  (" + nameList + ") SELECT " + valueList + " FROM (" + translated +
                        ") AS s WHERE velmora_export_step()";
    run.context.job.start(total, 0);
    run.started = true;
    records = db::Statement::NativeSingle(source.connection, run.lastStatement).run();
    tx.commit();
  }
  detach.now();
  return records;
}

// The rows copied one by one from `st` (on its first row) into the file through a connection of its
// own, closed again before this returns. Returns the number of rows.
std::int64_t CopyRowByRow(DatabaseExportRun& run, db::Statement& st, const std::vector<ExportField>& fields,
                          std::int64_t total, const std::string& tableName, const std::string& connection, bool fresh) {
  db::Connection target(connection);
  target.open();
  if (fresh) target.executeNative("PRAGMA journal_mode = OFF");
  std::int64_t records = 0;
  {
    db::Transaction tx(target);
    if (target.TableExists(tableName)) {
      run.lastStatement = "drop table " + Bracketed(tableName);
      target.executeNative(run.lastStatement);
    }
    std::string columnList, nameList, valueList;
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const char* comma = k + 1 < fields.size() ? "," : "";
      columnList += Bracketed(fields[k].name) + " " + ColumnTypeOf(fields[k]) + comma;
      nameList += Bracketed(fields[k].name) + comma;
      valueList += std::string("?") + comma;
    }
    run.lastStatement = "Create Table \n" + Bracketed(tableName) + "\n(" + columnList + ")";
    target.executeNative(run.lastStatement);
    run.lastStatement = "INSERT INTO " + Bracketed(tableName) + "  (" + nameList + ") Values(" + valueList + ")";
    db::Statement insert = db::Statement::NativeSingle(target, run.lastStatement);

    run.context.job.start(total, 0);
    run.started = true;
    jobs::JobTicker ticker(run.context.job);
    do {
      for (std::size_t k = 0; k < fields.size(); ++k)
        BindValue(insert, static_cast<int>(k) + 1, st, static_cast<int>(k), fields[k].kind);
      insert.run();
      insert.reset();
      ++records;
      run.context.job.step();
      if (!ticker.tick()) {
        run.stopped = true;
        throw std::runtime_error(kStoppedText);
      }
    } while (st.step());
    insert = db::Statement();
    tx.commit();
  }
  target.close();
  return records;
}

}  // namespace

ExportOutcome ExportQueryToDatabase(ExportContext& context, const ExportSource& source,
                                    const std::string& tableName, const std::string& path) {
  ExportOutcome outcome;
  UserPrompts& prompts = context.prompts;
  DatabaseExportRun run(context);
  try {
    db::Statement st(source.connection, source.sql);
    if (!st.step()) {
      outcome.empty = true;
      prompts.message(kAccessEmptyText, MessageKind::Warning);
      return outcome;
    }
    const files::OutputKind kind{"Access文件", "", true};
    const files::OutputCheck check = files::CheckOutputPath(path, kind, context.openDatabase, true);
    if (check.verdict != files::OutputVerdict::Writable) {
      prompts.message(check.message, MessageKind::Error);
      return outcome;
    }

    std::vector<ExportField> fields;
    for (int i = 0; i < st.columnCount(); ++i) fields.push_back(FieldOf(st, i));
    const std::int64_t total = CountRows(source, st);

    // A new file is built beside the path under a temporary name and renamed into place once
    // complete, so a stop, a failure or a kill leaves nothing at the path; an existing database
    // gets its table in one transaction. The temporary needs no rollback journal: it is thrown
    // away whole when anything fails.
    std::optional<files::AtomicFile> fresh;
    std::error_code ec;
    if (!fs::exists(base::PathFromUtf8(path), ec) || fs::file_size(base::PathFromUtf8(path), ec) == 0) {
      fresh.emplace(path, std::string(kDatabaseTemporaryPrefix), context.openDatabase);
      fresh->close();
    }
    const std::string writeTo = fresh ? fresh->tempPath() : path;
    const std::string connection =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db::Connection::QuoteValue(writeTo) +
        ";Persist Security Info=False";
    // The rows are copied by the engine from the source into the attached file when the source's
    // connection can attach it (not inside a transaction of its own); otherwise row by row.
    if (!source.connection.inTransaction())
      outcome.records = CopyThroughAttachedFile(run, source, st, fields, total, tableName, writeTo, fresh.has_value());
    else
      outcome.records = CopyRowByRow(run, st, fields, total, tableName, connection, fresh.has_value());
    if (fresh) fresh->commit();
    context.job.finish();
    run.started = false;
    outcome.exported = true;
    outcome.path = path;
    prompts.message(kAccessDoneText + path + "'！", MessageKind::Information);
    return outcome;
  } catch (const std::exception& e) {
    if (run.started) context.job.finish();
    if (run.stopped) {
      prompts.message(kStoppedText, MessageKind::Warning);
      return ExportOutcome{};
    }
    prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    if (!run.lastStatement.empty()) prompts.message(run.lastStatement, MessageKind::Error);
    return ExportOutcome{};
  }
}

// ---- with the save dialog ----------------------------------------------------------------------

namespace {

std::optional<std::string> AskFileName(ExportContext& context, const std::string& title, const char* filter,
                                       const char* extension) {
  if (!context.personalFolder.empty()) {
    std::error_code ec;
    fs::create_directories(base::PathFromUtf8(context.personalFolder), ec);
  }
  FileDialogRequest request{kExportCaption, filter, context.personalFolder, title + "-" + DayText(context.today),
                            extension + 1};
  std::optional<std::string> chosen = context.prompts.saveFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return std::nullopt;
  return ExportFileName(*chosen, extension);
}

bool HasRows(const ExportSource& source) {
  db::Statement st(source.connection, source.sql);
  return st.step();
}

}  // namespace

ExportOutcome SaveQueryAsExcel(ExportContext& context, const ExportSource& source, const std::string& title,
                               const catalogue::TFieldDataArray& columns) {
  try {
    if (!HasRows(source)) {
      context.prompts.message(kExcelEmptyText, MessageKind::Warning);
      return ExportOutcome{false, true, 0, {}};
    }
  } catch (const std::exception& e) {
    context.prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    return {};
  }
  const std::optional<std::string> path = AskFileName(context, title, kExcelFilter, ".xlsx");
  if (!path) return {};
  return ExportQueryToWorkbook(context, source, title, columns, *path);
}

ExportOutcome SaveQueryAsAccess(ExportContext& context, const ExportSource& source, const std::string& tableName) {
  try {
    if (!HasRows(source)) {
      context.prompts.message(kAccessEmptyText, MessageKind::Warning);
      return ExportOutcome{false, true, 0, {}};
    }
  } catch (const std::exception& e) {
    context.prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    return {};
  }
  const std::optional<std::string> path = AskFileName(context, tableName, kAccessFilter, ".mdb");
  if (!path) return {};
  return ExportQueryToDatabase(context, source, tableName, *path);
}

}  // namespace velmora::exports
