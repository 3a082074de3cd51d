#include "core/exchange/online_csv.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/exchange/csv_lines.h"
#include "core/exchange/reporting_package.h"
#include "core/files/atomic_file.h"
#include "core/files/gbk_line_file.h"
#include "core/files/output_path.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/text/gbk_decoder.h"
#include "core/text/gbk_encoder.h"

namespace velmora::exchange {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogueSql =
    "select fieldName,QueryType from dt_fieldlist where sequence>0 and sequence<1000 order by sequence";
constexpr const char* kStaging = "dt_data_dt_data";
// The rows of a CSV file are staged in a temporary copy of dt_data_dt_data, outside the database
// file: after an import the file holds the records once, not once more in the staging table. Only
// when codes conflict are the staged rows kept in dt_data_dt_data, for the report.
constexpr const char* kStagingCopy = "vm_csv_staging";
constexpr std::size_t kFlushAt = std::size_t{1} << 20;
constexpr const char* kNothingImported = "，没有导入任何记录。";

void AppendInt(std::int64_t v, std::string& out) {
  char buffer[24];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, static_cast<std::size_t>(r.ptr - buffer));
}

// A floating value as an integer cell: the nearest integer (values beyond 64 bits are written in
// the general form rather than wrapped).
void AppendWhole(double v, std::string& out) {
  if (std::isfinite(v) && std::fabs(v) < 9.2e18)
    AppendInt(std::llround(v), out);
  else
    out += db::FormatNumber(v);
}

// The file holds lines of cells; a cell of the export may hold neither a comma (replaced) nor a line
// end (refused).
bool HasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The code of the record being written, for messages.
std::string RecordCode(const db::Statement& st, int c901) {
  return c901 >= 0 ? st.value(c901).toString() : std::string("?");
}

enum class CellRule { Integer, Text, Decimal, Other };

CellRule RuleOf(const CsvColumn& column) {
  if (column.name == "RecordState") return CellRule::Integer;  // the record's own state
  switch (column.queryType) {
    case 0:
    case 3: return CellRule::Integer;
    case 1: return CellRule::Text;
    case 2: return CellRule::Decimal;
    default: return CellRule::Other;
  }
}

// The export refuses only paths where another kind of file lives.
void RequireCsvPath(const std::string& path, const std::string& openDatabase) {
  const files::OutputKind kind{"CSV文件", "", false};
  const files::OutputCheck check = files::CheckOutputPath(path, kind, openDatabase, true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
}

// ---- import ------------------------------------------------------------------------------------

bool ValidUtf8(std::string_view s, bool& nonAscii) {
  nonAscii = false;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    nonAscii = true;
    std::size_t n = 0;
    if (b >= 0xC2 && b <= 0xDF)
      n = 1;
    else if (b >= 0xE0 && b <= 0xEF)
      n = 2;
    else if (b >= 0xF0 && b <= 0xF4)
      n = 3;
    else
      return false;
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if (c < 0x80 || c > 0xBF) return false;
    }
    if (b == 0xE0 && static_cast<unsigned char>(s[i + 1]) < 0xA0) return false;  // overlong
    if (b == 0xED && static_cast<unsigned char>(s[i + 1]) > 0x9F) return false;  // surrogates
    if (b == 0xF0 && static_cast<unsigned char>(s[i + 1]) < 0x90) return false;
    if (b == 0xF4 && static_cast<unsigned char>(s[i + 1]) > 0x8F) return false;
    i += n + 1;
  }
  return true;
}

// A line of the file that cannot be imported; the text names the line.
class LineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string At(std::int64_t line) { return "第" + std::to_string(line) + "行"; }
std::string At(std::int64_t line, std::size_t cell, const std::string& name) {
  return At(line) + "第" + std::to_string(cell + 1) + "列（" + name + "）";
}

// Splits a line at its commas; every cell is followed by one, so the text after the last comma
// must be empty.
void SplitCells(std::string_view line, std::vector<std::string_view>& cells, std::string_view& rest) {
  cells.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) break;
    cells.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  rest = line.substr(start);
}

// Bytes no text file holds: NUL and the control characters other than tab.
bool HasBinaryBytes(std::string_view s) {
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 && b != '\t') return true;
    if (b == 0x7F) return true;
  }
  return false;
}

// What each column of the file takes.
struct ImportColumn {
  std::string name;
  CellRule rule = CellRule::Integer;
};

// Reads the header line: the columns of the file, each a column of the staging table and of the
// catalogue, each once, c901 and c902 among them.
std::vector<ImportColumn> ReadHeader(db::Connection& c, std::string_view line) {
  std::vector<std::string_view> cells;
  std::string_view rest;
  SplitCells(line, cells, rest);
  if (cells.size() != static_cast<std::size_t>(kCsvColumns) || !rest.empty()) throw LineError(kCsvFormatText);

  std::unordered_map<std::string, ImportColumn> known;
  {
    db::Statement st(c, "select fieldName,QueryType from dt_fieldlist");
    while (st.step()) {
      ImportColumn col;
      col.name = st.text(0);
      col.rule = RuleOf({col.name, static_cast<int>(st.int64(1))});
      if (col.rule == CellRule::Other) col.rule = CellRule::Text;
      known.emplace(base::AsciiLower(col.name), std::move(col));
    }
  }
  std::unordered_set<std::string> staging;
  for (const std::string& n : c.columnNames(kStaging)) staging.insert(base::AsciiLower(n));

  std::vector<ImportColumn> columns;
  std::unordered_set<std::string> seen;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::string name(cells[i]);
    const std::string key = base::AsciiLower(name);
    const auto found = known.find(key);
    if (key == "id" || key == "c900" || found == known.end() || !staging.count(key))
      throw LineError(std::string(kCsvFormatText) + "：第1行第" + std::to_string(i + 1) + "列的“" + name +
                      "”不是可以导入的字段");
    if (!seen.insert(key).second)
      throw LineError(std::string(kCsvFormatText) + "：第1行的字段“" + name + "”出现了两次");
    columns.push_back(found->second);
  }
  if (!seen.count("c901") || !seen.count("c902"))
    throw LineError(std::string(kCsvFormatText) + "：第1行缺少字段c901或c902");
  return columns;
}

bool ParseInteger(std::string_view s, std::int64_t& v) {
  if (s.empty()) return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseDecimal(std::string_view s, double& v) {
  if (s.empty()) return false;
  for (char ch : s)
    if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == '-')) return false;  // plain decimal form only
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

// The line as UTF-8: GBK is the file's encoding, so bytes that are not GBK refuse it. A comma is
// never a GBK trail byte, so the cells are the same before and after.
void DecodeLine(std::string_view bytes, std::int64_t number, text::GbkDecoder& gbk, std::string& out) {
  out.clear();
  if (gbk.AppendExact(bytes, out)) return;
  bool nonAscii = false;
  if (ValidUtf8(bytes, nonAscii))
    throw LineError(At(number) + "是UTF-8编码的文字，不是GBK编码的，网络版的数据文件应为GBK编码（请另存为ANSI/GBK编码）");
  throw LineError(At(number) + "有不是GBK编码的字节，文件不是网络版的数据文件");
}

// The record check's fault as the refusal says it: the value as the file writes it (not as the
// number it was read as), and the sentence continued by what was imported.
std::string Refusal(intake::RecordFault fault, const std::vector<std::string>& names,
                    const std::vector<std::string_view>& cells) {
  for (std::size_t k = 0; k < names.size() && k < cells.size(); ++k)
    if (names[k] == fault.field) fault.value = intake::ShownValue(std::string(cells[k]));
  std::string text = fault.text(true);
  static constexpr std::string_view kStop = "。";
  if (text.size() >= kStop.size() && text.compare(text.size() - kStop.size(), kStop.size(), kStop) == 0)
    text.resize(text.size() - kStop.size());
  return text;
}

}  // namespace

std::vector<CsvColumn> OnlineCsvColumns(db::Connection& connection) {
  std::vector<CsvColumn> columns;
  db::Statement st(connection, kCatalogueSql);
  while (st.step()) columns.push_back({st.text(0), static_cast<int>(st.value(1).toInt64())});
  return columns;
}

void AppendOnlineCsvText(std::string_view value, std::string& out) {
  static constexpr std::string_view kFullComma = "，";
  static constexpr std::string_view kFullHyphen = "－";
  if (value.find(',') != std::string_view::npos) {
    for (char c : value) {
      if (c == ',')
        out.append(kFullComma);
      else
        out.push_back(c);
    }
    return;
  }
  std::size_t start = 0;
  for (std::size_t at = value.find(kFullHyphen); at != std::string_view::npos; at = value.find(kFullHyphen, start)) {
    out.append(value.substr(start, at - start));
    out.push_back('-');
    start = at + kFullHyphen.size();
  }
  out.append(value.substr(start));
}

bool OnlineCsvGate(session::DatabaseSession& session, UserPrompts& prompts) {
  db::Statement st(session.SysADOConnection(), "select count(*) as cnt from dt_data where RecordState<>1");
  const std::int64_t pending = st.step() ? st.int64(0) : 0;
  if (pending >= 1) {
    prompts.message(kCsvGateText, MessageKind::Warning);
    return false;
  }
  return true;
}

CsvWritten WriteOnlineCsv(session::DatabaseSession& session, const std::string& path, jobs::Job& job) {
  db::Connection& c = session.SysADOConnection();
  RequireCsvPath(path, session.DatabasePath());
  CsvWritten result;
  try {
    const std::vector<CsvColumn> columns = OnlineCsvColumns(c);
    std::string header;
    text::GbkEncoder gbk;
    for (const CsvColumn& col : columns) {
      if (!gbk.AppendExact(col.name, header)) throw std::runtime_error("字段名“" + col.name + "”无法用GBK编码写出");
      header += ',';
    }

    db::Statement count(c, "select count(*) from dt_data");
    const std::int64_t total = count.step() ? count.int64(0) : 0;
    db::Statement st(c, "select * from dt_data");
    std::vector<int> index;
    std::vector<CellRule> rules;
    for (const CsvColumn& col : columns) {
      const int i = st.findColumn(col.name);
      if (i < 0) throw std::runtime_error("数据表dt_data中没有字段" + col.name);
      index.push_back(i);
      rules.push_back(RuleOf(col));
    }
    const int c901 = st.findColumn("c901");

    files::AtomicFile file(path, "~vmc", session.DatabasePath());
    result.path = file.target();
    file.open();
    files::GbkLineFile lines(file, kFlushAt);
    lines.bytes() += header;
    lines.endLine();
    std::string& out = lines.bytes();
    job.start(total, 0);
    jobs::JobTicker ticker(job, 1024);
    std::string cell;
    while (st.step()) {
      for (std::size_t k = 0; k < index.size(); ++k) {
        const int i = index[k];
        const db::ValueKind kind = st.kind(i);
        switch (rules[k]) {
          case CellRule::Integer:
            if (kind == db::ValueKind::Null)
              out += '0';
            else if (kind == db::ValueKind::Integer)
              AppendInt(st.int64(i), out);
            else if (kind == db::ValueKind::Float)
              AppendWhole(st.real(i), out);
            else
              AppendInt(st.value(i).toInt64(), out);
            break;
          case CellRule::Decimal:
            if (kind == db::ValueKind::Null)
              out += '0';
            else if (kind == db::ValueKind::Integer)
              AppendInt(st.int64(i), out);
            else
              out += db::FormatNumber(kind == db::ValueKind::Float ? st.real(i) : st.value(i).toDouble());
            break;
          case CellRule::Text:
          case CellRule::Other: {
            cell.clear();
            if (kind == db::ValueKind::Text) {
              const std::string_view v = st.textView(i);
              if (rules[k] == CellRule::Text)
                AppendOnlineCsvText(v, cell);
              else
                cell.append(v);
            } else if (kind != db::ValueKind::Null) {
              AppendOnlineCsvText(st.value(i).toString(), cell);
            }
            if (HasLineEnd(cell))
              throw std::runtime_error("编号为" + RecordCode(st, c901) + "的记录的字段" + columns[k].name +
                                       "中有换行，无法写成一行，没有导出上报数据。");
            if (!lines.appendExact(cell))
              throw std::runtime_error("编号为" + RecordCode(st, c901) + "的记录的字段" + columns[k].name +
                                       "中有GBK编码无法表示的字符，请先修改这条记录，没有导出上报数据。");
            break;
          }
        }
        out += ',';
      }
      lines.endLine();
      ++result.records;
      if (!ticker.tick()) throw std::runtime_error("导出已停止，没有导出上报数据。");
    }
    lines.close();
    file.commit();
  } catch (const db::DbError& e) {
    if (db::IsInterrupted(e)) throw std::runtime_error("导出已停止，没有导出上报数据。");
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  } catch (const files::AtomicFileError& e) {
    throw std::runtime_error(base::PublisherErrorText(e.what()));
  }
  return result;
}

bool ExportOnlineCsv(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job) {
  try {
    if (!OnlineCsvGate(session, prompts)) return false;
  } catch (const std::exception& e) {
    prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  }
  if (!session.PersonalFolder().empty()) {
    std::error_code ec;
    fs::create_directories(base::PathFromUtf8(session.PersonalFolder()), ec);
  }
  const FileDialogRequest request{"导出文件存放为", kCsvFilter, session.PersonalFolder(), "", "csv"};
  const std::optional<std::string> chosen = prompts.saveFileName(request);
  if (!chosen || base::Trim(*chosen).empty()) return false;
  const std::string path = WithExtension(*chosen, ".csv");
  try {
    WriteOnlineCsv(session, path, job);
    job.finish();
    prompts.message(kCsvExportedText, MessageKind::Information);
    return true;
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
}

namespace {

// Why the chosen file cannot be imported as a CSV file before it is read; nullopt when it can.
std::optional<std::string> CsvFileRefusal(const std::string& path, const std::string& openDatabase) {
  const intake::ChosenFile chosen = intake::CheckChosenFile(path, openDatabase);
  if (chosen == intake::ChosenFile::Missing) return intake::ChosenMissingText(path);
  // Only a file that is a database by its whole header is refused: a CSV may start with any byte.
  if (chosen == intake::ChosenFile::OpenDatabase || files::IsDatabaseFile(path))
    return "文件" + base::QuotedPath(path) + "是数据库文件，不是CSV文件" + kNothingImported;
  return std::nullopt;
}

// The first line: the columns of the file, in GBK text.
std::vector<ImportColumn> ReadCsvHeader(db::Connection& c, CsvLineReader& reader, text::GbkDecoder& gbk) {
  std::string raw, line;
  bool ended = false;
  if (!reader.next(raw, ended) || (raw.empty() && !ended)) throw LineError("文件是空的");
  if (raw.rfind("\xEF\xBB\xBF", 0) == 0)
    throw LineError("文件是UTF-8编码的，网络版的数据文件应为GBK编码（请另存为ANSI/GBK编码）");
  if (HasBinaryBytes(raw)) throw LineError("文件不是文本文件");
  DecodeLine(raw, 1, gbk, line);
  return ReadHeader(c, line);
}

// The insert of a staged row: the file's columns, then the stamp (c900) and the row number (id).
std::string StagingInsertSql(const std::vector<ImportColumn>& columns) {
  std::string sql = std::string("INSERT INTO temp.") + kStagingCopy + "(";
  for (const ImportColumn& col : columns) sql += base::QuoteSqlName(col.name) + ",";
  // Each staged row gets the next free row number, so that the rows go into dt_data without being
  // numbered again one by one.
  sql += "c900,id) VALUES (";
  for (std::size_t i = 1; i <= columns.size() + 2; ++i) sql += (i > 1 ? ",?" : "?") + std::to_string(i);
  sql += ")";
  return sql;
}

// A line must have one cell for each column, every cell ended by a comma.
void RequireCellCount(const std::vector<std::string_view>& cells, std::string_view rest, std::size_t columns,
                      std::int64_t number, bool ended) {
  if (cells.size() + 1 == columns && !rest.empty() && ended)
    throw LineError(At(number) + "的最后一个单元格后面没有逗号；网络版的数据文件在每个单元格后面都有一个逗号");
  if (cells.size() != columns || !rest.empty()) {
    const std::size_t n = cells.size() + (rest.empty() ? 0 : 1);
    throw LineError(At(number) + "有" + std::to_string(n) + "个单元格，应为" + std::to_string(columns) + "个" +
                    (ended ? "" : "（文件在这一行中间结束了）"));
  }
}

// Binds the cells of line `number` to the insert and keeps them in `values` for the record check.
void BindCells(const std::vector<std::string_view>& cells, const std::vector<ImportColumn>& columns,
               std::int64_t number, db::Statement& insert, std::vector<db::Variant>& values) {
  for (std::size_t k = 0; k < cells.size(); ++k) {
    const std::string_view cell = cells[k];
    const ImportColumn& col = columns[k];
    const int bindAt = static_cast<int>(k) + 1;
    if (!cell.empty() && cell.front() == '"') throw LineError(At(number, k, col.name) + "带有引号；网络版的数据文件不加引号");
    switch (col.rule) {
      case CellRule::Integer: {
        std::int64_t v = 0;
        if (!ParseInteger(cell, v))
          throw LineError(At(number, k, col.name) + (cell.empty() ? "是空的" : "不是整数") + "，应为整数");
        insert.bindInt64(bindAt, v);
        values[k] = db::Variant(v);
        break;
      }
      case CellRule::Decimal: {
        double v = 0;
        if (!ParseDecimal(cell, v))
          throw LineError(At(number, k, col.name) + (cell.empty() ? "是空的" : "不是数值") + "，应为数值");
        insert.bindDouble(bindAt, v);
        values[k] = db::Variant(v);
        break;
      }
      case CellRule::Text:
      case CellRule::Other: {
        insert.bindText(bindAt, cell);
        values[k] = db::Variant(std::string(cell));
        break;
      }
    }
  }
}

// The staged rows go into dt_data, or, when codes of theirs are taken already (listed in
// r.conflicts), into dt_data_dt_data for the report, dt_data unchanged.
void MoveStagedRows(db::Connection& c, jobs::Job& job, CsvImportResult& r) {
  {
    db::Statement list = db::Statement::Native(c, std::string("select c901,c902 from temp.") + kStagingCopy +
                                                      " where c901 in (select c901 from main.dt_data order by c901)");
    while (list.step()) r.conflicts.push_back({list.value(0).toString(), list.text(1)});
  }
  db::ProgressScope scope(c, job);
  if (!r.conflicts.empty()) {
    // dt_data is unchanged; the staged rows stay in dt_data_dt_data for the report.
    db::Statement::Native(c, std::string("insert into main.dt_data_dt_data select * from temp.") + kStagingCopy).run();
  } else {
    r.imported = db::Statement::Native(c, std::string("insert into main.dt_data select * from temp.") + kStagingCopy).run();
  }
  c.executeNative(std::string("drop table temp.") + kStagingCopy);
}

}  // namespace

CsvImportResult ImportOnlineCsvFile(session::DatabaseSession& session, const std::string& path, const std::string& stamp,
                                    jobs::Job& job) {
  CsvImportResult r;
  if (const std::optional<std::string> refusal = CsvFileRefusal(path, session.DatabasePath())) {
    r.status = CsvImportStatus::Refused;
    r.message = *refusal;
    return r;
  }
  std::error_code ec;
  const fs::path p = base::PathFromUtf8(path);
  const std::int64_t size = static_cast<std::int64_t>(fs::file_size(p, ec));
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    r.status = CsvImportStatus::Refused;
    r.message = "无法读取文件" + base::QuotedPath(path) + kNothingImported;
    return r;
  }

  db::Connection& c = session.SysADOConnection();
  try {
    CsvLineReader reader(in, kCsvMaxLineBytes);
    text::GbkDecoder gbk;
    const std::vector<ImportColumn> columns = ReadCsvHeader(c, reader, gbk);
    std::vector<std::string> names;
    for (const ImportColumn& col : columns) names.push_back(col.name);
    // Every record passes the checks of the entry form's boxes, the code's uniqueness in the file
    // among them, as the cells are bound.
    intake::RecordCheck check(c, names);
    const int codeAt = check.codeColumn();

    db::Transaction tx(c);
    c.execute("delete from dt_data_dt_data");
    c.executeNative(std::string("drop table if exists temp.") + kStagingCopy + ";create temp table " + kStagingCopy +
                    " as select * from main.dt_data_dt_data where 0");
    db::Statement insert = db::Statement::Native(c, StagingInsertSql(columns));
    const int stampIndex = static_cast<int>(columns.size()) + 1;
    std::int64_t nextId = 0;
    {
      db::Statement top(c, "select max(id) from dt_data");
      nextId = top.step() ? top.int64(0) : 0;
    }
    job.start(size > 0 ? size : 1, 0);
    jobs::JobTicker ticker(job, 512);
    std::string raw, line;
    bool ended = false;
    std::vector<std::string_view> cells;
    std::string_view rest;
    std::vector<db::Variant> values(columns.size());
    std::int64_t emptyLines = 0, stepped = 0;
    while (reader.next(raw, ended)) {
      const std::int64_t number = reader.number();
      if (raw.empty()) {
        ++emptyLines;
        continue;
      }
      if (emptyLines > 0) throw LineError(At(number - 1) + "是空行");
      if (HasBinaryBytes(raw)) throw LineError(At(number) + "含有文本中不会有的字节，文件不是网络版的数据文件");
      DecodeLine(raw, number, gbk, line);
      SplitCells(line, cells, rest);
      RequireCellCount(cells, rest, columns.size(), number, ended);
      BindCells(cells, columns, number, insert, values);
      if (auto fault = check.check(values, number)) throw LineError(Refusal(*fault, names, cells));
      if (codeAt >= 0)
        if (auto fault = check.checkUnique(values[static_cast<std::size_t>(codeAt)], number))
          throw LineError(Refusal(*fault, names, cells));
      insert.bindStaticText(stampIndex, stamp);
      insert.bindInt64(stampIndex + 1, ++nextId);
      insert.run();
      insert.reset();
      ++r.lines;
      const std::int64_t now = reader.bytes();
      job.step(now - stepped);
      stepped = now;
      if (!ticker.tick()) throw LineError("导入已停止");
    }
    MoveStagedRows(c, job, r);
    tx.commit();
    r.status = r.conflicts.empty() ? CsvImportStatus::Imported : CsvImportStatus::Conflicts;
  } catch (const LineError& e) {
    r.status = CsvImportStatus::Refused;
    r.message = std::string(e.what()) + kNothingImported;
    r.lines = 0;
  } catch (const CsvLinesError& e) {
    r.status = CsvImportStatus::Refused;
    r.message = std::string(e.what()) + kNothingImported;
    r.lines = 0;
  } catch (const db::DbError& e) {
    r.status = CsvImportStatus::Failed;
    r.message = db::IsInterrupted(e) ? std::string("导入已停止") + kNothingImported
                                     : base::PublisherErrorText(e.what());
    r.lines = 0;
  }
  return r;
}

CsvImportResult ImportOnlineCsv(session::DatabaseSession& session, UserPrompts& prompts, const std::string& path, const std::string& stamp,
                                jobs::Job& job, const std::string& reportPath) {
  if (base::Trim(path).empty()) {
    prompts.message(kCsvNoFileText, MessageKind::Warning);
    CsvImportResult r;
    r.status = CsvImportStatus::Refused;
    r.message = kCsvNoFileText;
    return r;
  }
  CsvImportResult r = ImportOnlineCsvFile(session, path, stamp, job);
  job.finish();
  switch (r.status) {
    case CsvImportStatus::Imported:
      prompts.message(kCsvImportedText, MessageKind::Information);
      break;
    case CsvImportStatus::Conflicts:
      r.reportPath = reportPath.empty() ? ConflictReportPath(session.PersonalFolder()) : reportPath;
      try {
        WriteConflictReport(r.reportPath, SingleReportLines(r.conflicts), session.DatabasePath());
        OpenForUser(prompts, r.reportPath, "编号冲突报告");
      } catch (const std::exception& e) {
        prompts.message(std::string("无法写出编号冲突报告：") + e.what(), MessageKind::Error);
      }
      break;
    case CsvImportStatus::Refused:
    case CsvImportStatus::Failed:
      prompts.message(r.message, MessageKind::Error);
      break;
  }
  return r;
}

std::string CompletedCsvName(const std::string& chosen) { return WithExtension(base::Trim(chosen), ".csv"); }

}  // namespace velmora::exchange
