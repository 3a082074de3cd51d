#include <charconv>
#include <cmath>
#include <sstream>

#include "core/db/variant.h"
#include "core/office/formula_refs.h"
#include "core/office/number_format.h"
#include "core/office/office_error.h"
#include "core/office/workbook_data.h"

namespace velmora::office {

using detail::Attributes;
using detail::Cell;
using detail::Row;
using detail::SheetRows;

namespace detail {

namespace {

std::string NodeXml(pugi::xml_node node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

std::string InlineText(pugi::xml_node is) {
  std::string text;
  for (pugi::xml_node child : is.children()) {
    const std::string_view name = LocalName(child);
    if (name == "t") text += child.text().get();
    if (name == "r") text += child.child("t").text().get();
  }
  return DecodeCellText(text);
}

// "B9" → column 2 (0 when the reference has no letters).
int ColumnOf(std::string_view ref) {
  int column = 0;
  for (char c : ref) {
    if (c >= 'A' && c <= 'Z') column = column * 26 + (c - 'A' + 1);
    else if (c >= 'a' && c <= 'z') column = column * 26 + (c - 'a' + 1);
    else break;
  }
  return column;
}

void AppendAttributes(std::string& out, const Attributes& attributes) {
  for (const auto& [name, value] : attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    out += EscapeXml(value, true);
    out += '"';
  }
}

}  // namespace

std::string_view LocalName(pugi::xml_node node) {
  std::string_view name = node.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string EscapeXml(std::string_view text, bool attribute) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      default:
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          char escaped[8];  // a character XML cannot hold, in the spreadsheet's own escape
          std::snprintf(escaped, sizeof escaped, "_x%04X_", u);
          out += escaped;
        } else if (attribute && (c == '\n' || c == '\r' || c == '\t')) {
          out += c == '\n' ? "&#10;" : c == '\r' ? "&#13;" : "&#9;";
        } else {
          out += c;
        }
    }
  }
  return out;
}

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// "_xHHHH_" at `i`.
bool EscapeAt(std::string_view text, size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return false;
  for (size_t k = 2; k < 6; ++k)
    if (!IsHex(text[i + k])) return false;
  return true;
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string EncodeCellText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (EscapeAt(text, i)) {
      out += "_x005F_";
      continue;
    }
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "_x%04X_", u);
      out += escaped;
      continue;
    }
    out += text[i];
  }
  return EscapeXml(out, false);
}

std::string DecodeCellText(std::string_view stored) {
  if (stored.find("_x") == std::string_view::npos) return std::string(stored);
  std::string out;
  out.reserve(stored.size());
  for (size_t i = 0; i < stored.size();) {
    if (EscapeAt(stored, i)) {
      AppendUtf8(out, static_cast<unsigned>(std::stoul(std::string(stored.substr(i + 2, 4)), nullptr, 16)));
      i += 7;
    } else {
      out += stored[i++];
    }
  }
  return out;
}

bool LoadXml(pugi::xml_document& doc, const std::string& data) {
  return doc.load_buffer(data.data(), data.size(),
                         pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata);
}

std::string XmlText(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

std::unique_ptr<SheetRows> WorkbookData::readSheet(const std::string& partName) const {
  const std::string* data = package.find(partName);
  if (!data) throw OfficeError("工作簿已损坏：缺少工作表部件" + partName);
  auto sheet = std::make_unique<SheetRows>();
  if (!LoadXml(sheet->doc, *data)) throw OfficeError("工作簿已损坏：工作表部件" + partName + "无法读出");
  pugi::xml_node root = sheet->doc.document_element();
  if (LocalName(root) != "worksheet") throw OfficeError("工作表" + partName + "不是普通工作表，不能写入单元格");
  sheet->sheetData = root.child("sheetData");
  if (!sheet->sheetData) {
    pugi::xml_node before = root.child("sheetCalcPr");
    for (const char* name : {"sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState",
                             "dataConsolidate", "customSheetViews", "mergeCells"})
      if (!before) before = root.child(name);
    sheet->sheetData = before ? root.insert_child_before("sheetData", before) : root.append_child("sheetData");
  }
  int previousRow = 0;
  for (pugi::xml_node rowNode : sheet->sheetData.children()) {
    if (LocalName(rowNode) != "row") continue;
    Row row;
    int number = rowNode.attribute("r").as_int(previousRow + 1);
    if (number <= previousRow) number = previousRow + 1;
    row.gap = number - previousRow - 1;
    previousRow = number;
    bool formula = false;
    for (pugi::xml_attribute a : rowNode.attributes()) {
      const std::string_view name = a.name();
      if (name == "r" || name == "spans") continue;
      if (name == "s") row.style = a.as_int(-1);
      else if (name == "customFormat") row.customFormat = a.as_bool();
      else row.attributes.emplace_back(a.name(), a.value());
    }
    int previousColumn = 0;
    for (pugi::xml_node c : rowNode.children()) {
      if (LocalName(c) != "c") continue;
      Cell cell;
      const int column = ColumnOf(c.attribute("r").value());
      cell.column = column > previousColumn ? column : previousColumn + 1;
      previousColumn = cell.column;
      for (pugi::xml_attribute a : c.attributes()) {
        const std::string_view name = a.name();
        if (name == "r") continue;
        if (name == "s") cell.style = a.as_int(-1);
        else if (name == "t") cell.type = a.value();
        else cell.otherAttributes.emplace_back(a.name(), a.value());
      }
      for (pugi::xml_node child : c.children()) {
        const std::string_view name = LocalName(child);
        if (name == "f") {
          cell.hasFormula = formula = true;
          for (pugi::xml_attribute a : child.attributes()) cell.formulaAttributes.emplace_back(a.name(), a.value());
          cell.formula = child.text().get();
        } else if (name == "v") {
          cell.hasValue = true;
          cell.value = child.text().get();
        } else if (name == "is") {
          cell.inlineXml = NodeXml(child);
          cell.inlineText = InlineText(child);
        } else if (child.type() == pugi::node_element) {
          cell.tailXml += NodeXml(child);
        }
      }
      row.cells.push_back(std::move(cell));
    }
    sheet->rows.push_back(std::move(row));
    if (formula) sheet->formulaRows.push_back(std::prev(sheet->rows.end()));
  }
  sheet->lastRow = previousRow;
  while (pugi::xml_node child = sheet->sheetData.first_child()) sheet->sheetData.remove_child(child);
  return sheet;
}

std::string SheetXml(SheetRows& sheet) {
  // The dimension follows the cells.
  int number = 0, firstColumn = 0, lastColumn = 0, firstRow = 0;
  std::string rows;
  rows.reserve(sheet.rows.size() * 160);
  for (const Row& row : sheet.rows) {
    number += row.gap + 1;
    rows += "<row r=\"" + std::to_string(number) + '"';
    if (row.style >= 0) rows += " s=\"" + std::to_string(row.style) + '"';
    if (row.customFormat) rows += " customFormat=\"1\"";
    AppendAttributes(rows, row.attributes);
    if (row.cells.empty()) {
      rows += "/>";
      continue;
    }
    rows += '>';
    const std::string rowText = std::to_string(number);
    for (const Cell& cell : row.cells) {
      if (!firstRow) firstRow = number;
      if (!firstColumn || cell.column < firstColumn) firstColumn = cell.column;
      lastColumn = std::max(lastColumn, cell.column);
      rows += "<c r=\"" + ColumnLetters(cell.column) + rowText + '"';
      if (cell.style >= 0) rows += " s=\"" + std::to_string(cell.style) + '"';
      if (!cell.type.empty()) rows += " t=\"" + cell.type + '"';
      AppendAttributes(rows, cell.otherAttributes);
      if (!cell.hasFormula && !cell.hasValue && cell.inlineXml.empty() && cell.tailXml.empty()) {
        rows += "/>";
        continue;
      }
      rows += '>';
      if (cell.hasFormula) {
        rows += "<f";
        AppendAttributes(rows, cell.formulaAttributes);
        rows += '>' + EscapeXml(cell.formula, false) + "</f>";
      }
      if (cell.hasValue) rows += "<v>" + EscapeXml(cell.value, false) + "</v>";
      rows += cell.inlineXml;
      rows += cell.tailXml;
      rows += "</c>";
    }
    rows += "</row>";
  }
  pugi::xml_node root = sheet.doc.document_element();
  if (pugi::xml_node dimension = root.child("dimension")) {
    const std::string ref = firstRow ? RangeText({{firstRow, firstColumn}, {number, lastColumn}}) : "A1";
    dimension.remove_attribute("ref");
    dimension.append_attribute("ref").set_value(ref.c_str());
  }
  pugi::xml_node marker = sheet.sheetData.append_child(pugi::node_comment);
  marker.set_value("velmora-rows");
  std::string xml = XmlText(sheet.doc);
  sheet.sheetData.remove_child(marker);
  const std::string markerText = "<!--velmora-rows-->";
  const size_t at = xml.find(markerText);
  if (at == std::string::npos) throw OfficeError("无法写出工作表");
  xml.replace(at, markerText.size(), rows);
  return xml;
}

void RewriteSheetFormulas(SheetRows& sheet, const std::function<std::string(const std::string&)>& rewrite) {
  for (auto row : sheet.formulaRows)
    for (Cell& cell : row->cells) {
      if (!cell.hasFormula) continue;
      std::string rewritten = rewrite(cell.formula);
      if (rewritten != cell.formula) {
        cell.formula = std::move(rewritten);
        sheet.changed = true;
      }
    }
}

}  // namespace detail

namespace {

// The row of that number, made when missing.
Row& RowAt(SheetRows& sheet, int number) {
  int current = 0;
  for (auto it = sheet.rows.begin(); it != sheet.rows.end(); ++it) {
    const int here = current + it->gap + 1;
    if (here == number) return *it;
    if (here > number) {
      Row row;
      row.gap = number - current - 1;
      it->gap = here - number - 1;
      return *sheet.rows.insert(it, std::move(row));
    }
    current = here;
  }
  Row row;
  row.gap = number - current - 1;
  sheet.rows.push_back(std::move(row));
  sheet.lastRow = number;
  return sheet.rows.back();
}

const Row* FindRow(const SheetRows& sheet, int number) {
  int current = 0;
  for (const Row& row : sheet.rows) {
    current += row.gap + 1;
    if (current == number) return &row;
    if (current > number) return nullptr;
  }
  return nullptr;
}

const Cell* FindCell(const Row& row, int column) {
  auto it = std::lower_bound(row.cells.begin(), row.cells.end(), column,
                             [](const Cell& c, int col) { return c.column < col; });
  return it != row.cells.end() && it->column == column ? &*it : nullptr;
}

int ColumnStyle(const SheetRows& sheet, int column) {
  for (pugi::xml_node col : sheet.doc.document_element().child("cols").children("col"))
    if (column >= col.attribute("min").as_int() && column <= col.attribute("max").as_int())
      return col.attribute("style").as_int(-1);
  return -1;
}

void CheckCell(int row, int column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw OfficeError("单元格(" + std::to_string(row) + "," + std::to_string(column) + ")超出了工作表的范围");
}

// The cell of the row, made when missing with the style its row or column gives it.
Cell& CellIn(const SheetRows& sheet, Row& row, int column) {
  auto it = std::lower_bound(row.cells.begin(), row.cells.end(), column,
                             [](const Cell& c, int col) { return c.column < col; });
  if (it != row.cells.end() && it->column == column) return *it;
  Cell cell;
  cell.column = column;
  cell.style = row.customFormat ? row.style : ColumnStyle(sheet, column);
  return *row.cells.insert(it, std::move(cell));
}

Cell& CellAt(SheetRows& sheet, int rowNumber, int column) {
  CheckCell(rowNumber, column);
  return CellIn(sheet, RowAt(sheet, rowNumber), column);
}

void ClearContent(Cell& cell) {
  cell.type.clear();
  cell.hasFormula = false;
  cell.formulaAttributes.clear();
  cell.formula.clear();
  cell.hasValue = false;
  cell.value.clear();
  cell.inlineXml.clear();
  cell.inlineText.clear();
}

std::string NumberText(double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "0";
}

// Text a cell can hold: whole UTF-8 characters (a broken sequence becomes U+FFFD), at most the
// spreadsheet's 32 767 characters.
std::string CellTextOf(std::string_view text) {
  std::string out;
  out.reserve(std::min<size_t>(text.size(), 32767 * 3));
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (valid && length == 2) valid = lead >= 0xC2;
    const size_t width = valid && length == 4 ? 2 : 1;
    if (units + width > 32767) break;
    units += width;
    if (valid) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      i += 1;
    }
  }
  return out;
}

void PutValue(Cell& cell, const CellValue& value) {
  ClearContent(cell);
  if (value.kind == CellValue::Kind::Number) {
    cell.hasValue = true;
    cell.value = NumberText(value.number);
  } else if (value.kind == CellValue::Kind::Text) {
    cell.type = "inlineStr";
    const std::string t = CellTextOf(value.text);
    const bool keepSpaces = !t.empty() && (t.front() == ' ' || t.back() == ' ' || t.find_first_of("\n\t") != std::string::npos);
    cell.inlineXml = std::string(keepSpaces ? "<is><t xml:space=\"preserve\">" : "<is><t>") +
                     detail::EncodeCellText(t) + "</t></is>";
    cell.inlineText = t;
  }
}

CellRange CheckedRange(const CellRange& range) {
  CheckCell(range.first.row, range.first.column);
  CheckCell(range.last.row, range.last.column);
  return range;
}

// Every cell of the range through `change` (made when missing), the rows visited in one pass.
template <typename Change>
void EachCell(SheetRows& sheet, const CellRange& range, Change&& change) {
  CheckedRange(range);
  int current = 0;
  auto it = sheet.rows.begin();
  for (int r = range.first.row; r <= range.last.row; ++r) {
    while (it != sheet.rows.end() && current + it->gap + 1 < r) current += (it++)->gap + 1;
    if (it == sheet.rows.end() || current + it->gap + 1 > r) {  // no row r yet
      Row row;
      row.gap = r - current - 1;
      if (it != sheet.rows.end()) it->gap -= row.gap + 1;
      else sheet.lastRow = r;
      it = sheet.rows.insert(it, std::move(row));
    }
    for (int c = range.first.column; c <= range.last.column; ++c) change(CellIn(sheet, *it, c));
  }
  sheet.changed = true;
}

// The <col> element of exactly that column, split out of a wider one or made.
pugi::xml_node ColumnNode(SheetRows& sheet, int column) {
  pugi::xml_node root = sheet.doc.document_element();
  pugi::xml_node cols = root.child("cols");
  if (!cols) cols = root.insert_child_before("cols", sheet.sheetData);
  for (pugi::xml_node col : cols.children("col")) {
    const int min = col.attribute("min").as_int(), max = col.attribute("max").as_int();
    if (column < min) {
      pugi::xml_node made = cols.insert_child_before("col", col);
      made.append_attribute("min").set_value(column);
      made.append_attribute("max").set_value(column);
      return made;
    }
    if (column > max) continue;
    if (min < column) {
      pugi::xml_node before = cols.insert_copy_before(col, col);
      before.attribute("max").set_value(column - 1);
    }
    if (max > column) {
      pugi::xml_node after = cols.insert_copy_after(col, col);
      after.attribute("min").set_value(column + 1);
    }
    col.attribute("min").set_value(column);
    col.attribute("max").set_value(column);
    return col;
  }
  pugi::xml_node made = cols.append_child("col");
  made.append_attribute("min").set_value(column);
  made.append_attribute("max").set_value(column);
  return made;
}

// The width of a column without one of its own: the sheet's default, or the spreadsheet's.
double DefaultColumnWidth(const SheetRows& sheet) {
  return sheet.doc.document_element().child("sheetFormatPr").attribute("defaultColWidth").as_double(9.140625);
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a) a = node.append_attribute(name);
  a.set_value(value.c_str());
}

// Moves every range of a space-separated list ("A9:B10 D4") at or below `at` down.
bool ShiftListAttribute(pugi::xml_node node, const char* name, int at, int count) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a) return false;
  std::string text = a.value(), out;
  bool moved = false, overflow = false;
  std::istringstream in(text);
  for (std::string piece; in >> piece;) {
    auto shifted = detail::ShiftedReference(piece, at, count, overflow);
    if (shifted) moved = true;
    out += (out.empty() ? "" : " ") + (shifted ? *shifted : piece);
  }
  if (moved) a.set_value(out.c_str());
  return moved;
}

void ShiftFormulaText(pugi::xml_node node, const std::string& sheetName, int at, int count) {
  if (!node) return;
  bool overflow = false;
  const std::string shifted = detail::ShiftRowsInFormula(node.text().get(), sheetName, true, at, count, overflow);
  node.text().set(shifted.c_str());
}

// The part the first relationship of that type (by the end of its type) of `part` targets; empty
// when there is none.
std::string RelatedPart(const detail::WorkbookData& book, const std::string& part, std::string_view typeEnd) {
  const std::string* rels = book.package.find(detail::RelationshipsPartOf(part));
  if (!rels) return {};
  pugi::xml_document doc;
  if (!doc.load_buffer(rels->data(), rels->size())) return {};
  for (pugi::xml_node r : doc.document_element().children()) {
    const std::string_view type = r.attribute("Type").value();
    if (type.size() >= typeEnd.size() && type.substr(type.size() - typeEnd.size()) == typeEnd)
      return std::string_view(r.attribute("TargetMode").value()) == "External"
                 ? std::string("external")
                 : detail::ResolvePartName(part, r.attribute("Target").value());
  }
  return {};
}

bool HasRelationship(const detail::WorkbookData& book, const std::string& part, std::string_view typeEnd) {
  return !RelatedPart(book, part, typeEnd).empty();
}

// The anchors of pictures and shapes count rows from 0; those at or below `at` move down.
void ShiftAnchors(pugi::xml_node drawing, int at, int count) {
  for (pugi::xml_node anchor : drawing.children())
    for (const char* end : {"from", "to"})
      for (pugi::xml_node node : anchor.children()) {
        if (detail::LocalName(node) != end) continue;
        for (pugi::xml_node row : node.children())
          if (detail::LocalName(row) == "row" && row.text().as_int() + 1 >= at)
            row.text().set(std::min(row.text().as_int() + count, kMaxRows - 1));
      }
}

CellValue ValueOf(detail::WorkbookData& book, const Cell& cell) {
  if (cell.type == "inlineStr") return CellValue::Text(cell.inlineText);
  if (!cell.hasValue) return CellValue::Empty();
  if (cell.type == "s") {
    size_t index = 0;
    std::from_chars(cell.value.data(), cell.value.data() + cell.value.size(), index);
    return CellValue::Text(book.sharedString(index));
  }
  if (cell.type == "str" || cell.type == "e") return CellValue::Text(cell.value);
  double number = 0;
  std::from_chars(cell.value.data(), cell.value.data() + cell.value.size(), number);
  return CellValue::Number(number);
}

}  // namespace

TemplateSheet::TemplateSheet(detail::SheetKey, detail::WorkbookData& book, std::string name, std::string partName)
    : book_(&book), name_(std::move(name)), partName_(std::move(partName)) {}

TemplateSheet::~TemplateSheet() = default;

SheetRows& TemplateSheet::rows() const {
  if (!rows_) rows_ = book_->readSheet(partName_);
  return *rows_;
}

void TemplateSheet::rename(std::string_view name) { book_->renameSheet(*this, std::string(name)); }

// Before the first cell of a shared formula loses its formula, the other cells of the group get
// formulas of their own, translated from it.
void DissolveSharedFormula(SheetRows& sheet, int row, const Cell& master) {
  std::string group;
  bool shared = false, first = false;
  for (const auto& [name, value] : master.formulaAttributes) {
    if (name == "t") shared = value == "shared";
    if (name == "ref") first = true;
    if (name == "si") group = value;
  }
  if (!master.hasFormula || !shared || !first) return;
  int number = 0;
  size_t next = 0;
  for (auto it = sheet.rows.begin(); it != sheet.rows.end() && next < sheet.formulaRows.size(); ++it) {
    number += it->gap + 1;
    if (std::find(sheet.formulaRows.begin(), sheet.formulaRows.end(), it) == sheet.formulaRows.end()) continue;
    ++next;
    for (Cell& cell : it->cells) {
      if (&cell == &master || !cell.hasFormula) continue;
      bool member = false, isShared = false;
      for (const auto& [name, value] : cell.formulaAttributes) {
        if (name == "t") isShared = value == "shared";
        if (name == "si") member = value == group;
      }
      if (!member || !isShared) continue;
      cell.formula = detail::TranslateFormula(master.formula, number - row, cell.column - master.column);
      std::erase_if(cell.formulaAttributes, [](const auto& a) { return a.first == "t" || a.first == "si"; });
    }
  }
  sheet.changed = true;
}

void TemplateSheet::setText(int row, int column, std::string_view text) {
  SheetRows& sheet = rows();
  Cell& cell = CellAt(sheet, row, column);
  DissolveSharedFormula(sheet, row, cell);
  const bool textFormat = cell.style >= 0 && book_->stylesOf().isTextFormat(cell.style);
  PutValue(cell, ConvertTypedText(text, textFormat));
  sheet.changed = true;
}

void TemplateSheet::setNumber(int row, int column, double value) {
  if (!std::isfinite(value)) throw OfficeError("单元格不能写入非有限的数值");
  SheetRows& sheet = rows();
  Cell& cell = CellAt(sheet, row, column);
  DissolveSharedFormula(sheet, row, cell);
  PutValue(cell, CellValue::Number(value));
  sheet.changed = true;
}

void TemplateSheet::setRange(std::string_view address, std::string_view text) {
  auto range = ParseRange(address);
  if (!range) throw OfficeError("单元格地址“" + std::string(address) + "”无效");
  for (int r = range->first.row; r <= range->last.row; ++r)
    for (int c = range->first.column; c <= range->last.column; ++c) setText(r, c, text);
}

CellValue TemplateSheet::value(int row, int column) const {
  const Row* r = FindRow(rows(), row);
  const Cell* cell = r ? FindCell(*r, column) : nullptr;
  return cell ? ValueOf(*book_, *cell) : CellValue::Empty();
}

void TemplateSheet::insertRowAbove(int row) {
  CheckCell(row, 1);
  SheetRows& sheet = rows();
  pugi::xml_node root = sheet.doc.document_element();
  // What cannot follow the rows refuses the insertion before anything changes.
  const std::string refused = "不能在工作表“" + name_ + "”中插入行：";
  for (auto it : sheet.formulaRows)
    for (const Cell& cell : it->cells)
      for (const auto& [attribute, value] : cell.formulaAttributes)
        if (attribute == "t" && (value == "shared" || value == "dataTable"))
          throw OfficeError(refused + "它含有共享公式或模拟运算表");
  if (root.child("tableParts").first_child() || HasRelationship(*book_, partName_, "/table"))
    throw OfficeError(refused + "它含有表格");
  if (HasRelationship(*book_, partName_, "/comments") || HasRelationship(*book_, partName_, "/pivotTable"))
    throw OfficeError(refused + "它含有批注或数据透视表");
  if (sheet.lastRow >= kMaxRows) throw OfficeError(refused + "最后一行已有内容");
  if (!sheet.drawing) {
    const std::string drawingPart = RelatedPart(*book_, partName_, "/drawing");
    if (!drawingPart.empty()) {
      if (HasRelationship(*book_, drawingPart, "/chart")) throw OfficeError(refused + "它含有图表");
      auto drawing = std::make_unique<pugi::xml_document>();
      const std::string* data = book_->package.find(drawingPart);
      if (!data || !detail::LoadXml(*drawing, *data)) throw OfficeError(refused + "它的绘图部件无法读出");
      sheet.drawingPart = drawingPart;
      sheet.drawing = std::move(drawing);
    }
  }

  // The rows: the one at `row` (when there is one) gets a copy of its styles above it.
  int current = 0;
  for (auto it = sheet.rows.begin(); it != sheet.rows.end(); ++it) {
    const int here = current + it->gap + 1;
    if (here < row) {
      current = here;
      continue;
    }
    if (here == row) {
      Row copy;
      copy.gap = it->gap;
      copy.style = it->style;
      copy.customFormat = it->customFormat;
      copy.attributes = it->attributes;
      copy.cells.reserve(it->cells.size());
      for (const Cell& cell : it->cells)
        if (cell.style >= 0) {
          Cell styled;
          styled.column = cell.column;
          styled.style = cell.style;
          copy.cells.push_back(std::move(styled));
        }
      it->gap = 0;
      sheet.rows.insert(it, std::move(copy));
    } else {
      it->gap += 1;
    }
    ++sheet.lastRow;
    break;
  }

  bool overflow = false;
  detail::RewriteSheetFormulas(sheet, [&](const std::string& f) {
    return detail::ShiftRowsInFormula(f, name_, true, row, 1, overflow);
  });
  for (auto it : sheet.formulaRows)
    for (Cell& cell : it->cells)
      for (auto& [attribute, value] : cell.formulaAttributes)
        if (attribute == "ref")
          if (auto shifted = detail::ShiftedReference(value, row, 1, overflow)) value = *shifted;
  for (pugi::xml_node merge : root.child("mergeCells").children("mergeCell")) ShiftListAttribute(merge, "ref", row, 1);
  for (pugi::xml_node link : root.child("hyperlinks").children("hyperlink")) ShiftListAttribute(link, "ref", row, 1);
  ShiftListAttribute(root.child("autoFilter"), "ref", row, 1);
  for (pugi::xml_node format : root.children("conditionalFormatting")) {
    ShiftListAttribute(format, "sqref", row, 1);
    for (pugi::xml_node rule : format.children("cfRule"))
      for (pugi::xml_node f : rule.children("formula")) ShiftFormulaText(f, name_, row, 1);
  }
  for (pugi::xml_node validation : root.child("dataValidations").children("dataValidation")) {
    ShiftListAttribute(validation, "sqref", row, 1);
    ShiftFormulaText(validation.child("formula1"), name_, row, 1);
    ShiftFormulaText(validation.child("formula2"), name_, row, 1);
  }
  for (pugi::xml_node brk : root.child("rowBreaks").children("brk"))
    if (brk.attribute("id").as_int() >= row) brk.attribute("id").set_value(brk.attribute("id").as_int() + 1);
  if (sheet.drawing) ShiftAnchors(sheet.drawing->document_element(), row, 1);
  book_->shiftRowsOf(*this, row, 1);
  sheet.changed = true;
}

void TemplateSheet::setNumberFormat(const CellRange& range, std::string_view localFormat) {
  const std::string code = FormatCode(localFormat);
  detail::StylesPart& styles = book_->stylesOf();
  EachCell(rows(), range, [&](Cell& cell) { cell.style = styles.withNumberFormat(std::max(cell.style, 0), code); });
}

void TemplateSheet::setColumnNumberFormat(int column, std::string_view localFormat) {
  CheckCell(1, column);
  const std::string code = FormatCode(localFormat);
  detail::StylesPart& styles = book_->stylesOf();
  SheetRows& sheet = rows();
  pugi::xml_node col = ColumnNode(sheet, column);
  SetAttribute(col, "style", std::to_string(styles.withNumberFormat(col.attribute("style").as_int(0), code)));
  if (!col.attribute("width")) SetAttribute(col, "width", db::FormatNumber(DefaultColumnWidth(sheet)));  // a column element needs its width
  for (Row& row : sheet.rows)
    for (Cell& cell : row.cells)
      if (cell.column == column) cell.style = styles.withNumberFormat(std::max(cell.style, 0), code);
  sheet.changed = true;
}

void TemplateSheet::setFont(const CellRange& range, bool bold, double size) {
  if (!(size >= 1 && size <= 409)) throw OfficeError("字号必须在1到409之间");
  detail::StylesPart& styles = book_->stylesOf();
  EachCell(rows(), range, [&](Cell& cell) { cell.style = styles.withFont(std::max(cell.style, 0), bold, size); });
}

void TemplateSheet::setBoldColor(const CellRange& range, std::string_view argb) {
  const bool hex = argb.size() == 8 && argb.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
  if (!hex) throw OfficeError("颜色必须是8位十六进制数");
  detail::StylesPart& styles = book_->stylesOf();
  EachCell(rows(), range, [&](Cell& cell) { cell.style = styles.withBoldColor(std::max(cell.style, 0), argb); });
}

void TemplateSheet::setHorizontalAlignment(const CellRange& range, HorizontalAlignment alignment) {
  detail::StylesPart& styles = book_->stylesOf();
  EachCell(rows(), range, [&](Cell& cell) { cell.style = styles.withAlignment(std::max(cell.style, 0), alignment); });
}

void TemplateSheet::setBorders(const CellRange& range) {
  detail::StylesPart& styles = book_->stylesOf();
  EachCell(rows(), range, [&](Cell& cell) { cell.style = styles.withThinBorder(std::max(cell.style, 0)); });
}

double TemplateSheet::columnWidth(int column) const {
  CheckCell(1, column);
  pugi::xml_node root = rows().doc.document_element();
  for (pugi::xml_node col : root.child("cols").children("col"))
    if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int() && col.attribute("width"))
      return col.attribute("width").as_double();
  return DefaultColumnWidth(rows());
}

void TemplateSheet::setColumnWidth(int column, double width) {
  CheckCell(1, column);
  if (!(width >= 0 && width <= 255)) throw OfficeError("列宽必须在0到255之间");
  SheetRows& sheet = rows();
  pugi::xml_node col = ColumnNode(sheet, column);
  SetAttribute(col, "width", db::FormatNumber(std::round(width * 100) / 100));
  SetAttribute(col, "customWidth", "1");
  col.remove_attribute("bestFit");
  sheet.changed = true;
}

void TemplateSheet::autoFitColumn(int column) {
  CheckCell(1, column);
  SheetRows& sheet = rows();
  std::vector<CellRange> wideMerges;
  for (pugi::xml_node merge : sheet.doc.document_element().child("mergeCells").children("mergeCell"))
    if (auto range = ParseRange(merge.attribute("ref").value()))
      if (range->first.column != range->last.column && range->first.column <= column && range->last.column >= column)
        wideMerges.push_back(*range);
  double width = 0;
  int number = 0;
  for (const Row& row : sheet.rows) {
    number += row.gap + 1;
    const Cell* cell = FindCell(row, column);
    if (!cell) continue;
    bool merged = false;
    for (const CellRange& m : wideMerges) merged = merged || m.contains(number, column);
    if (merged) continue;
    const CellValue v = ValueOf(*book_, *cell);
    if (v.kind == CellValue::Kind::Empty) continue;
    const std::string shown = v.kind == CellValue::Kind::Number ? db::FormatNumber(v.number) : v.text;
    width = std::max(width, EstimatedColumnWidth(shown));
  }
  if (width <= 0) return;
  width = std::min(width, 255.0);
  pugi::xml_node col = ColumnNode(sheet, column);
  SetAttribute(col, "width", db::FormatNumber(std::round(width * 100) / 100));
  SetAttribute(col, "customWidth", "1");
  SetAttribute(col, "bestFit", "1");
  sheet.changed = true;
}

}  // namespace velmora::office
