#include "core/exchange/data_list.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/db/query.h"
#include "core/db/statement.h"
#include "core/intake/source_file.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_scope.h"
#include "core/text/gbk_decoder.h"

namespace velmora::exchange {

namespace {

// True when the bytes hold multi-byte UTF-8 sequences and nothing that is not UTF-8.
bool LooksLikeUtf8(const std::string& bytes) {
  bool multibyte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (follow < 0 || i + static_cast<std::size_t>(follow) >= bytes.size()) return false;
    for (int k = 1; k <= follow; ++k)
      if ((static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) >> 6) != 0x2) return false;
    multibyte = multibyte || follow > 0;
    i += static_cast<std::size_t>(follow) + 1;
  }
  return multibyte;
}

// The symbols of the group item dialog's two boxes, as the condition spells them.
constexpr std::array<const char*, 2> kLowSymbols{">", ">="};
constexpr std::array<const char*, 2> kHighSymbols{"<", "<="};
// The largest bound the dialog's boxes take (13 digits).
constexpr std::int64_t kMaxGroupBound = 9999999999999;

// The symbol of the fixed table that equals `stored`, or nullptr.
const char* SymbolOf(const std::array<const char*, 2>& table, const std::string& stored) {
  for (const char* s : table)
    if (stored == s) return s;
  return nullptr;
}

// A stored bound: a whole number the boxes take, or the fault naming the value.
bool BoundOf(const db::Variant& v, const char* what, std::int64_t& bound, std::string& fault) {
  if (v.isInteger() && v.toInt64() >= 0 && v.toInt64() <= kMaxGroupBound) {
    bound = v.toInt64();
    return true;
  }
  if (fault.empty())
    fault = std::string(what) + "“" + (v.isNull() ? std::string() : intake::ShownValue(v.toString())) + "”不是0到" +
            std::to_string(kMaxGroupBound) + "之间的整数";
  return false;
}

GroupItem GroupItemOf(db::Query& q) {
  GroupItem g;
  g.id = q.fieldByName("id").asInt64();
  g.title = q.fieldByName("Title").asString();
  g.lowSymbol = q.fieldByName("LowSymbol").asString();
  g.highSymbol = q.fieldByName("HighSymbol").asString();
  BoundOf(q.fieldByName("LowBoundary").value(), "编号下限", g.low, g.fault);
  BoundOf(q.fieldByName("HighBoundary").value(), "编号上限", g.high, g.fault);
  return g;
}

}  // namespace

std::optional<std::vector<std::string>> ReadExportTableCaptions(const std::string& programFolder, std::string& error) {
  const std::filesystem::path file = base::PathFromUtf8(programFolder) / kExportTableFile;
  const std::string where = "“" + base::Utf8FromPath(file) + "”";
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "找不到导出表的列表文件" + where + "，请重新安装程序。";
    return std::nullopt;
  }
  // A list of column captions is a few kilobytes: a larger file is not read.
  constexpr std::size_t kMaxListBytes = std::size_t{1} << 20;
  std::string raw(kMaxListBytes + 1, '\0');
  in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
  raw.resize(static_cast<std::size_t>(in.gcount()));
  if (raw.size() > kMaxListBytes) {
    error = "文件" + where + "过大（超过 1 MB），不是导出表的列表文件，请重新安装程序。";
    return std::nullopt;
  }
  if (raw.rfind("\xEF\xBB\xBF", 0) == 0 || LooksLikeUtf8(raw)) {
    error = "导出表的列表文件" + where + "不是GBK编码的文本，请重新安装程序。";
    return std::nullopt;
  }
  text::GbkDecoder gbk;
  std::vector<std::string> lines;
  std::istringstream text(gbk.Decode(raw));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  if (lines.empty()) {
    error = "导出表的列表文件" + where + "是空的，请重新安装程序。";
    return std::nullopt;
  }
  if (lines.size() > kSurveyTables) {
    error = "导出表的列表文件" + where + "有" + std::to_string(lines.size()) + "行，最多只能有" +
            std::to_string(kSurveyTables) + "行，请重新安装程序。";
    return std::nullopt;
  }
  return lines;
}

std::vector<GroupItem> ReadGroupItems(db::Connection& connection) {
  db::Query q(connection);
  q.setSql("select * from DT_GroupItem");
  q.open();
  std::vector<GroupItem> items;
  for (q.first(); !q.eof(); q.next()) items.push_back(GroupItemOf(q));
  return items;
}

std::optional<GroupItem> ReadGroupItem(db::Connection& connection, std::int64_t id) {
  db::Query q(connection);
  q.setSql("select * from DT_GroupItem where id=" + std::to_string(id));
  q.open();
  if (q.isEmpty()) return std::nullopt;
  return GroupItemOf(q);
}

std::string DataListColumnSuffix(db::Connection& connection, const std::array<bool, kSurveyTables>& ticked) {
  std::string suffix = ",";
  for (std::size_t i = 0; i < kSurveyTables; ++i) {
    if (!ticked[i]) continue;
    db::Statement st(connection, std::string("select FieldName from dt_fieldlist where FieldName like'%") +
                                     kFamilyLetters[i] + "%' and sequence>=7 and sequence<1000 order by sequence");
    while (st.step()) suffix += st.text(0) + ",";
  }
  if (suffix == ",") return {};
  suffix.pop_back();
  return suffix;
}

std::optional<std::string> DataListSql(db::Connection& connection, DataListRequest& request, UserPrompts& prompts) {
  const std::string select = kDataListSelect + DataListColumnSuffix(connection, request.ticked);
  switch (request.scope) {
    case DataListScope::All:
      return select + " from dt_data order by c901";
    case DataListScope::Range: {
      const records::RangeResolution r = records::ResolveCodeRange(request.lowText, request.highText);
      if (r.refusal == records::RangeRefusal::Missing) {
        prompts.message(kEnterRangeText, MessageKind::Warning);
        return std::nullopt;
      }
      if (r.refusal == records::RangeRefusal::NotACode) {
        prompts.message(records::NotACodeMessage("单位编号", r.refusedText), MessageKind::Warning);
        return std::nullopt;
      }
      return select + " from dt_data where " + records::RangeCondition(*r.range) + " order by c901";
    }
    case DataListScope::Group: {
      if (!request.group) {
        prompts.message("请选择自定义分组", MessageKind::Warning);
        return std::nullopt;
      }
      const GroupItem& g = *request.group;
      const char* low = SymbolOf(kLowSymbols, g.lowSymbol);
      const char* high = SymbolOf(kHighSymbols, g.highSymbol);
      if (!low || !high) {
        prompts.message("自定义分组“" + g.title + "”的比较符号不正确", MessageKind::Warning);
        return std::nullopt;
      }
      if (!g.fault.empty()) {
        prompts.message("自定义分组“" + g.title + "”的" + g.fault, MessageKind::Warning);
        return std::nullopt;
      }
      // Symbols from the fixed table, bounds as whole numbers spelt here.
      return select + " from dt_data where c901" + low + std::to_string(g.low) + " and c901" + high +
             std::to_string(g.high) + " order by c901";
    }
  }
  return std::nullopt;
}

catalogue::TFieldDataArray DataListColumns(const db::Statement& statement) {
  catalogue::TFieldDataArray columns;
  for (int i = 0; i < statement.columnCount(); ++i) {
    catalogue::TFieldData f;
    f.ShowName = statement.columnName(i);
    f.Hint = f.ShowName;
    f.QueryShow = true;
    const exports::ExportField field = exports::FieldOfDeclaredType(f.ShowName, statement.declaredType(i));
    switch (field.kind) {
      case exports::FieldKind::Text:
      case exports::FieldKind::Integer:
      case exports::FieldKind::Float:
      case exports::FieldKind::Date: f.FieldType = exports::ColumnTypeOf(field); break;
      default: break;
    }
    columns.push_back(std::move(f));
  }
  return columns;
}

exports::ExportOutcome ExportDataList(exports::ExportContext& context, db::Connection& connection,
                                      DataListRequest& request, const std::string& databaseLabel,
                                      const std::optional<std::string>& path) {
  catalogue::TFieldDataArray columns;
  std::optional<std::string> sql;
  try {
    sql = DataListSql(connection, request, context.prompts);
    if (!sql) return {};
    db::Statement st(connection, *sql);
    columns = DataListColumns(st);
  } catch (const std::exception& e) {
    context.prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    return {};
  }
  const exports::ExportSource source{connection, *sql};
  const std::string title = databaseLabel + kDataListTitleSuffix;
  if (path) return exports::ExportQueryToWorkbook(context, source, title, columns, *path);
  return exports::SaveQueryAsExcel(context, source, title, columns);
}

}  // namespace velmora::exchange
