#include "bench_template.h"

#include <zip.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "core/office/cell_address.h"
#include "core/office/template_workbook.h"

namespace velmora::bench {

namespace {

constexpr int kColumns = 15;

using Parts = std::vector<std::pair<std::string, std::string>>;

std::string SheetXml(const std::string& rows) {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1"/><sheetData>)" +
         rows + R"(</sheetData><mergeCells count="2"><mergeCell ref="A1:O1"/><mergeCell ref="A10:O11"/></mergeCells><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
}

// A summary-like template: a title, headers in row 8, a styled data row 9 and a note below.
Parts TemplateParts() {
  std::string rows = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>表一  工会组织建设状况(1)</t></is></c></row><row r="8">)";
  for (int c = 1; c <= kColumns; ++c) rows += "<c r=\"" + office::ColumnLetters(c) + "8\" t=\"inlineStr\"><is><t>指标</t></is></c>";
  rows += "</row><row r=\"9\">";
  for (int c = 1; c <= kColumns; ++c) rows += "<c r=\"" + office::ColumnLetters(c) + "9\" s=\"1\"/>";
  rows += R"(</row><row r="10"><c r="A10" t="inlineStr"><is><t>注</t></is></c></row>)";
  return {
      {"[Content_Types].xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/></Types>)"},
      {"_rels/.rels",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
      {"xl/workbook.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="表一" sheetId="1" r:id="rId1"/></sheets><definedNames><definedName name="_xlnm.Print_Area" localSheetId="0">'表一'!$A$1:$O$11</definedName></definedNames></workbook>)"},
      {"xl/_rels/workbook.xml.rels",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)"},
      {"xl/styles.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="1"><font><sz val="11"/><name val="宋体"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border><border><left style="thin"/><right style="thin"/><top style="thin"/><bottom style="thin"/><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1"/></cellXfs></styleSheet>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(rows)},
  };
}

void WriteZip(const std::filesystem::path& file, const Parts& parts) {
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("cannot write " + file.string());
  for (const auto& [name, data] : parts)
    if (zip_file_add(archive, name.c_str(), zip_source_buffer(archive, data.data(), data.size(), 0), ZIP_FL_ENC_UTF_8) < 0)
      throw std::runtime_error("cannot add " + name);
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + file.string());
}

std::string CellText(std::int64_t row, int column) {
  return column == 1 ? "类别" + std::to_string(row) : std::to_string(row * 7 + column);
}

office::TemplateWorkbook FillInMemory(const std::filesystem::path& source, std::int64_t rows) {
  auto book = office::TemplateWorkbook::Open(source.string());
  office::TemplateSheet& sheet = book.sheet(1);
  for (std::int64_t i = 0; i < rows; ++i) {
    if (i > 0) sheet.insertRowAbove(9);
    for (int c = 1; c <= kColumns; ++c) sheet.setText(9, c, CellText(i, c));
  }
  return book;
}

void FillOurs(const std::filesystem::path& source, const std::filesystem::path& out, std::int64_t rows) {
  auto book = FillInMemory(source, rows);
  office::TemplateSheet& sheet = book.sheet(1);
  sheet.autoFitColumn(1);
  sheet.setHorizontalAlignment({{9, 1}, {static_cast<int>(rows) + 8, 1}}, office::HorizontalAlignment::Left);
  book.save(out.string());
}

std::string FloorRows(std::int64_t rows) {
  std::string data;
  data.reserve(static_cast<size_t>(rows) * kColumns * 40);
  for (std::int64_t i = rows - 1, r = 9; i >= 0; --i, ++r) {
    const std::string row = std::to_string(r);
    data += "<row r=\"" + row + "\">";
    for (int c = 1; c <= kColumns; ++c) {
      const std::string ref = office::ColumnLetters(c) + row;
      if (c == 1)
        data += "<c r=\"" + ref + "\" s=\"1\" t=\"inlineStr\"><is><t>" + CellText(i, c) + "</t></is></c>";
      else
        data += "<c r=\"" + ref + "\" s=\"1\"><v>" + CellText(i, c) + "</v></c>";
    }
    data += "</row>";
  }
  return data;
}

void FillFloor(const std::filesystem::path& out, std::int64_t rows) {
  Parts parts = TemplateParts();
  parts.back().second = SheetXml(FloorRows(rows));
  WriteZip(out, parts);
}

}  // namespace

std::vector<TemplateTiming> MeasureTemplateFill(const std::filesystem::path& scratch, std::int64_t rows, int runs) {
  const auto source = scratch / "template-fill.xltx";
  const auto ours = scratch / "template-ours.xlsx";
  const auto floor = scratch / "template-floor.xlsx";
  WriteZip(source, TemplateParts());
  TemplateTiming fill{"tpl-fill", rows};
  fill.ours = MedianMs(runs, [] {}, [&] { FillInMemory(source, rows); });
  fill.floor = MedianMs(runs, [] {}, [&] { volatile size_t n = FloorRows(rows).size(); (void)n; });
  TemplateTiming t{"tpl-save", rows};
  t.ours = MedianMs(runs, [] {}, [&] { FillOurs(source, ours, rows); });
  t.floor = MedianMs(runs, [] {}, [&] { FillFloor(floor, rows); });
  auto check = office::TemplateWorkbook::Open(ours.string());
  if (check.sheet(1).value(9, 1) != office::CellValue::Text(CellText(rows - 1, 1)) ||
      check.sheet(1).value(static_cast<int>(rows) + 8, 2) != office::CellValue::Number(static_cast<double>(2)))
    throw std::runtime_error("the filled template does not hold the rows written");
  std::error_code ec;
  for (const auto& f : {source, ours, floor}) std::filesystem::remove(f, ec);
  return {fill, t};
}

}  // namespace velmora::bench
