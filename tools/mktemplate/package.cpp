#include "package.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <deque>
#include <set>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

namespace velmora::mktemplate {

namespace {

constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kPackageRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
// Every part carries one fixed time, so the same sources make the same file.
constexpr std::time_t kPartTime = 1325376000;  // 2012-01-01 00:00:00 UTC

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// Code points, which is what the spreadsheet counts for the Chinese names used here.
std::size_t CodePoints(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void CheckSheetName(const std::string& name) {
  if (name.empty() || CodePoints(name) > 31 || name.find_first_of("[]:*?/\\") != std::string::npos ||
      name.front() == '\'' || name.back() == '\'')
    throw std::runtime_error("not a usable sheet name: " + name);
}

std::string QuotedSheet(const std::string& name) {
  std::string out = "'";
  for (char c : name) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

const char* kStyles = R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="4">
<font><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><b/><sz val="18"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><b/><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><sz val="13"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
</fonts>
<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>
<borders count="2">
<border><left/><right/><top/><bottom/><diagonal/></border>
<border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right><top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border>
</borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="10">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="2" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center" wrapText="1"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1" applyAlignment="1"><alignment horizontal="left" vertical="center" wrapText="1"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1" applyAlignment="1"><alignment vertical="center"/></xf>
<xf numFmtId="49" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyBorder="1" applyAlignment="1"><alignment horizontal="left" vertical="center"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="2" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="left" vertical="center"/></xf>
<xf numFmtId="0" fontId="3" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="left" vertical="center"/></xf>
</cellXfs>
<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>
<dxfs count="0"/>
<tableStyles count="0"/>
</styleSheet>
)";

class SharedStrings {
 public:
  int index(const std::string& text) {
    auto [it, added] = indexes_.emplace(text, static_cast<int>(texts_.size()));
    if (added) texts_.push_back(text);
    ++uses_;
    return it->second;
  }
  std::string xml() const {
    std::string out = kXmlHead;
    out += "<sst xmlns=\"" + std::string(kMainNs) + "\" count=\"" + std::to_string(uses_) + "\" uniqueCount=\"" +
           std::to_string(texts_.size()) + "\">";
    for (const auto& t : texts_) {
      const bool keepSpace = !t.empty() && (t.front() == ' ' || t.back() == ' ' || t.find("  ") != std::string::npos);
      out += keepSpace ? "<si><t xml:space=\"preserve\">" : "<si><t>";
      out += Escape(t) + "</t></si>";
    }
    return out + "</sst>\n";
  }

 private:
  std::unordered_map<std::string, int> indexes_;
  std::vector<std::string> texts_;
  int uses_ = 0;
};

std::string SheetXml(const Sheet& sheet, bool selected, SharedStrings& strings) {
  const int lastRow = std::max(1, sheet.lastRow());
  const int lastColumn = std::max(1, std::max(sheet.lastColumn(), static_cast<int>(sheet.widths.size())));
  std::string out = kXmlHead;
  out += "<worksheet xmlns=\"" + std::string(kMainNs) + "\" xmlns:r=\"" + kRelNs + "\">";
  out += "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>";
  out += "<dimension ref=\"A1:" + CellName(lastRow, lastColumn) + "\"/>";
  out += "<sheetViews><sheetView showGridLines=\"0\"";
  if (selected) out += " tabSelected=\"1\"";
  out += " workbookViewId=\"0\"/></sheetViews>";
  out += "<sheetFormatPr defaultRowHeight=\"15\"/>";
  if (!sheet.widths.empty()) {
    out += "<cols>";
    for (std::size_t i = 0; i < sheet.widths.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      out += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + Number(sheet.widths[i]) + "\" customWidth=\"1\"/>";
    }
    out += "</cols>";
  }
  out += "<sheetData>";
  // Rows that only carry a height are written as empty rows.
  std::set<int> rows;
  for (const auto& [key, cell] : sheet.cells) rows.insert(key.first);
  for (const auto& [row, height] : sheet.heights) rows.insert(row);
  auto cell = sheet.cells.begin();
  for (int row : rows) {
    out += "<row r=\"" + std::to_string(row) + "\"";
    if (auto h = sheet.heights.find(row); h != sheet.heights.end())
      out += " ht=\"" + Number(h->second) + "\" customHeight=\"1\"";
    out += ">";
    for (; cell != sheet.cells.end() && cell->first.first == row; ++cell) {
      out += "<c r=\"" + CellName(row, cell->first.second) + "\"";
      if (cell->second.style != kPlain) out += " s=\"" + std::to_string(cell->second.style) + "\"";
      if (cell->second.text.empty()) {
        out += "/>";
      } else {
        out += " t=\"s\"><v>" + std::to_string(strings.index(cell->second.text)) + "</v></c>";
      }
    }
    out += "</row>";
  }
  out += "</sheetData>";
  if (!sheet.merges.empty()) {
    out += "<mergeCells count=\"" + std::to_string(sheet.merges.size()) + "\">";
    for (const auto& m : sheet.merges) out += "<mergeCell ref=\"" + m + "\"/>";
    out += "</mergeCells>";
  }
  out += "<printOptions horizontalCentered=\"1\"/>";
  out += "<pageMargins left=\"0.6\" right=\"0.6\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
  out += "<pageSetup paperSize=\"9\" orientation=\"";
  out += sheet.landscape ? "landscape" : "portrait";
  out += "\" fitToWidth=\"1\" fitToHeight=\"0\"/>";
  out += "<headerFooter><oddFooter>&amp;C第 &amp;P 页，共 &amp;N 页</oddFooter></headerFooter>";
  out += "</worksheet>\n";
  return out;
}

class ZipWriter {
 public:
  explicit ZipWriter(const std::filesystem::path& file) {
    int error = 0;
    zip_ = zip_open(file.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip_) throw std::runtime_error("cannot create " + file.string());
  }
  ~ZipWriter() {
    if (zip_) zip_discard(zip_);
  }
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  void add(const std::string& name, std::string content) {
    const std::string& kept = parts_.emplace_back(std::move(content));
    zip_source_t* source = zip_source_buffer(zip_, kept.data(), kept.size(), 0);
    if (!source) throw std::runtime_error("cannot add " + name);
    const zip_int64_t index = zip_file_add(zip_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      throw std::runtime_error("cannot add " + name);
    }
    zip_file_set_mtime(zip_, static_cast<zip_uint64_t>(index), kPartTime, 0);
  }
  void close() {
    if (zip_close(zip_) != 0) throw std::runtime_error(std::string("cannot write the package: ") + zip_strerror(zip_));
    zip_ = nullptr;
  }

 private:
  zip_t* zip_ = nullptr;
  std::deque<std::string> parts_;  // the buffers live until the package is closed
};

}  // namespace

bool Sheet::put(int row, int column, std::string text, int style) {
  return cells.emplace(std::make_pair(row, column), Cell{std::move(text), style}).second;
}

void Sheet::merge(int row1, int column1, int row2, int column2, std::string text, int style) {
  for (int r = row1; r <= row2; ++r)
    for (int c = column1; c <= column2; ++c) cells[{r, c}] = Cell{r == row1 && c == column1 ? text : "", style};
  if (row1 != row2 || column1 != column2) merges.push_back(CellName(row1, column1) + ":" + CellName(row2, column2));
}

int Sheet::lastRow() const { return cells.empty() ? 0 : cells.rbegin()->first.first; }

int Sheet::lastColumn() const {
  int last = 0;
  for (const auto& [key, cell] : cells) last = std::max(last, key.second);
  return last;
}

std::string ColumnName(int column) {
  std::string name;
  for (; column > 0; column = (column - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
  return name;
}

std::string CellName(int row, int column) { return ColumnName(column) + std::to_string(row); }

std::optional<std::pair<int, int>> ParseCell(std::string_view address) {
  std::size_t i = 0;
  int column = 0;
  while (i < address.size() && address[i] >= 'A' && address[i] <= 'Z' && i < 3) column = column * 26 + (address[i++] - 'A' + 1);
  if (i == 0 || i == address.size() || address[i] == '0') return std::nullopt;
  int row = 0;
  for (; i < address.size(); ++i) {
    if (address[i] < '0' || address[i] > '9' || row > 104857) return std::nullopt;
    row = row * 10 + (address[i] - '0');
  }
  if (column > 16384 || row > 1048576) return std::nullopt;
  return std::make_pair(row, column);
}

void WriteTemplate(const Workbook& book, const std::filesystem::path& out) {
  if (book.sheets.empty()) throw std::runtime_error("a workbook needs a sheet");
  SharedStrings strings;
  std::vector<std::string> sheetParts;
  std::string sheetsXml, names, workbookRels, overrides;
  for (std::size_t i = 0; i < book.sheets.size(); ++i) {
    const Sheet& sheet = book.sheets[i];
    CheckSheetName(sheet.name);
    for (std::size_t j = 0; j < i; ++j)
      if (book.sheets[j].name == sheet.name) throw std::runtime_error("two sheets named " + sheet.name);
    const std::string n = std::to_string(i + 1);
    sheetParts.push_back(SheetXml(sheet, i == 0, strings));
    sheetsXml += "<sheet name=\"" + Escape(sheet.name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    workbookRels += "<Relationship Id=\"rId" + n +
                    "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                    "Target=\"worksheets/sheet" + n + ".xml\"/>";
    overrides += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    const std::string local = " localSheetId=\"" + std::to_string(i) + "\">";
    if (sheet.printArea && sheet.lastRow() > 0) {
      const int lastColumn = std::max(sheet.lastColumn(), static_cast<int>(sheet.widths.size()));
      names += "<definedName name=\"_xlnm.Print_Area\"" + local + Escape(QuotedSheet(sheet.name)) + "!$A$1:$" +
               ColumnName(lastColumn) + "$" + std::to_string(sheet.lastRow()) + "</definedName>";
    }
    if (sheet.titleRows > 0)
      names += "<definedName name=\"_xlnm.Print_Titles\"" + local + Escape(QuotedSheet(sheet.name)) + "!$1:$" +
               std::to_string(sheet.titleRows) + "</definedName>";
  }
  const std::size_t count = book.sheets.size();
  const std::string stylesId = "rId" + std::to_string(count + 1);
  const std::string stringsId = "rId" + std::to_string(count + 2);

  std::string workbook = kXmlHead;
  workbook += "<workbook xmlns=\"" + std::string(kMainNs) + "\" xmlns:r=\"" + kRelNs + "\">";
  workbook += "<bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>" + sheetsXml + "</sheets>";
  if (!names.empty()) workbook += "<definedNames>" + names + "</definedNames>";
  workbook += "<calcPr calcId=\"0\"/></workbook>\n";

  workbookRels = std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelNs + "\">" + workbookRels +
                 "<Relationship Id=\"" + stylesId +
                 "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                 "Target=\"styles.xml\"/>"
                 "<Relationship Id=\"" + stringsId +
                 "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                 "Target=\"sharedStrings.xml\"/></Relationships>\n";

  const std::string contentTypes =
      std::string(kXmlHead) +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml\"/>" +
      overrides +
      "<Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
      "<Override PartName=\"/xl/sharedStrings.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
      "<Override PartName=\"/docProps/core.xml\" "
      "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
      "<Override PartName=\"/docProps/app.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>\n";

  const std::string rootRels =
      std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelNs + "\">" +
      "<Relationship Id=\"rId1\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
      "Target=\"xl/workbook.xml\"/>"
      "<Relationship Id=\"rId2\" "
      "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
      "Target=\"docProps/core.xml\"/>"
      "<Relationship Id=\"rId3\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties\" "
      "Target=\"docProps/app.xml\"/></Relationships>\n";

  const std::string core =
      std::string(kXmlHead) +
      "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
      "<dc:title>" + Escape(book.title) + "</dc:title><dc:creator>Velmora</dc:creator>"
      "<dcterms:created xsi:type=\"dcterms:W3CDTF\">2012-01-01T00:00:00Z</dcterms:created>"
      "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2012-01-01T00:00:00Z</dcterms:modified>"
      "</cp:coreProperties>\n";
  const std::string app =
      std::string(kXmlHead) +
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
      "<Application>Velmora</Application><DocSecurity>0</DocSecurity></Properties>\n";

  std::filesystem::path partial = out;
  partial += ".partial";
  {
    ZipWriter zip(partial);
    zip.add("[Content_Types].xml", contentTypes);
    zip.add("_rels/.rels", rootRels);
    zip.add("docProps/core.xml", core);
    zip.add("docProps/app.xml", app);
    zip.add("xl/workbook.xml", workbook);
    zip.add("xl/_rels/workbook.xml.rels", workbookRels);
    zip.add("xl/styles.xml", std::string(kXmlHead) + kStyles);
    for (std::size_t i = 0; i < sheetParts.size(); ++i)
      zip.add("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", sheetParts[i]);
    zip.add("xl/sharedStrings.xml", strings.xml());
    zip.close();
  }
  std::error_code ec;
  std::filesystem::rename(partial, out, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    throw std::runtime_error("cannot put " + out.string() + " in place");
  }
}

}  // namespace velmora::mktemplate
