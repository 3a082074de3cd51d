#include "support/workbook_package.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <stdexcept>

namespace velmora::testing {

namespace {

const char* kStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="@"/></numFmts>)"
    R"(<fonts count="2"><font><sz val="11"/><name val="宋体"/></font><font><b/><sz val="14"/><name val="黑体"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="5"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"><alignment horizontal="center"/></xf>)"
    R"(<xf numFmtId="2" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="常规" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

}  // namespace

PackageParts FixtureWorkbook(const std::vector<FixtureSheet>& sheets, const FixtureOptions& o) {
  PackageParts parts;
  std::string types =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/><Default Extension="bin" ContentType="application/octet-stream"/>)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.)" +
      std::string(o.isTemplate ? "template" : "sheet") + R"(.main+xml"/>)"
      R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
      R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
      R"(<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>)";
  std::string workbook = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns=")" + std::string(kMain) +
                         R"(" xmlns:r=")" + kRel + R"("><bookViews><workbookView)" +
                         (o.activeTab.empty() ? "" : " activeTab=\"" + o.activeTab + "\"") + "/></bookViews><sheets>";
  std::string rels = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
  std::string titles;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const FixtureSheet& s = sheets[i];
    types += R"(<Override PartName="/xl/worksheets/sheet)" + n +
             R"(.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)";
    workbook += "<sheet name=\"" + s.name + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet" + n +
            ".xml\"/>";
    titles += "<vt:lpstr>" + s.name + "</vt:lpstr>";
    parts["xl/worksheets/sheet" + n + ".xml"] =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns=")" + std::string(kMain) + R"(" xmlns:r=")" +
        kRel + R"("><dimension ref="A1"/>)" + s.beforeData + "<sheetData>" + s.sheetData + "</sheetData>" + s.afterData +
        "</worksheet>";
    if (!s.relationships.empty()) parts["xl/worksheets/_rels/sheet" + n + ".xml.rels"] = s.relationships;
  }
  workbook += "</sheets>";
  if (!o.definedNames.empty()) workbook += "<definedNames>" + o.definedNames + "</definedNames>";
  workbook += "</workbook>";
  rels += R"(<Relationship Id="rIdS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
          R"(<Relationship Id="rIdT" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
          "</Relationships>";
  for (const auto& named : o.namedRanges) titles += "<vt:lpstr>" + named + "</vt:lpstr>";
  std::string headings = "<vt:variant><vt:lpstr>工作表</vt:lpstr></vt:variant><vt:variant><vt:i4>" +
                         std::to_string(sheets.size()) + "</vt:i4></vt:variant>";
  if (!o.namedRanges.empty())
    headings += "<vt:variant><vt:lpstr>命名范围</vt:lpstr></vt:variant><vt:variant><vt:i4>" +
                std::to_string(o.namedRanges.size()) + "</vt:i4></vt:variant>";
  const size_t headingCount = o.namedRanges.empty() ? 2 : 4;
  types += "</Types>";
  parts["[Content_Types].xml"] = types;
  parts["_rels/.rels"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
      R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" Target="docProps/app.xml"/>)"
      "</Relationships>";
  parts["xl/workbook.xml"] = workbook;
  parts["xl/_rels/workbook.xml.rels"] = rels;
  parts["xl/styles.xml"] = kStyles;
  parts["xl/sharedStrings.xml"] =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><sst xmlns=")" + std::string(kMain) +
      R"(" count="2" uniqueCount="2"><si><t>共享文本</t></si><si><r><t>00</t></r><r><t>12</t></r></si></sst>)";
  if (o.appProperties)
    parts["docProps/app.xml"] =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes"><Application>Microsoft Excel</Application><HeadingPairs><vt:vector size=")" +
        std::to_string(headingCount) + R"(" baseType="variant">)" + headings + R"(</vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=")" +
        std::to_string(sheets.size() + o.namedRanges.size()) + R"(" baseType="lpstr">)" + titles +
        "</vt:vector></TitlesOfParts></Properties>";
  std::string binary(300, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 37 + 11) & 0xFF);
  parts["custom/data.bin"] = binary;
  return parts;
}

void WritePackage(const std::filesystem::path& file, const PackageParts& parts) {
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("cannot create " + file.string());
  for (const auto& [name, data] : parts) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
      throw std::runtime_error("cannot add " + name);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + file.string());
}

PackageParts ReadPackage(const std::filesystem::path& file) {
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) throw std::runtime_error("cannot open " + file.string() + " as zip");
  PackageParts parts;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    std::string data(static_cast<size_t>(st.size), '\0');
    zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (!data.empty()) zip_fread(f, data.data(), data.size());
    zip_fclose(f);
    parts[st.name] = std::move(data);
  }
  zip_close(archive);
  return parts;
}

pugi::xml_document ParseXml(const std::string& xml) {
  pugi::xml_document doc;
  const pugi::xml_parse_result result = doc.load_buffer(xml.data(), xml.size());
  EXPECT_TRUE(result) << result.description() << " in " << xml.substr(0, 200);
  return doc;
}

}  // namespace velmora::testing
