#pragma once
// Small workbook packages made in the tests with libzip, and the parts of a saved package read back
// independently of the editor.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace velmora::testing {

using PackageParts = std::map<std::string, std::string>;  // part name → bytes

struct FixtureSheet {
  std::string name;
  std::string sheetData;        // the rows: "<row r=\"1\"><c r=\"A1\" .../></row>"
  std::string beforeData;       // elements before <sheetData> after the dimension: sheetViews, cols
  std::string afterData;        // elements after </sheetData>: mergeCells, pageSetup, …
  std::string relationships;    // the sheet's own .rels part, when it has one
};

struct FixtureOptions {
  bool isTemplate = true;
  std::string definedNames;     // "<definedName …>…</definedName>…"
  std::string activeTab;        // the activeTab attribute, when set
  bool appProperties = true;    // docProps/app.xml with HeadingPairs and TitlesOfParts
  std::vector<std::string> namedRanges;  // further TitlesOfParts entries ("Sheet1!Print_Area")
};

// A package with one worksheet part per sheet, styles (0 general, 1 "@" by id 49, 2 a custom "@",
// 3 bold, 4 "0.00"), shared strings "共享文本" and "0012", and an unknown part "custom/data.bin".
PackageParts FixtureWorkbook(const std::vector<FixtureSheet>& sheets, const FixtureOptions& options = {});

void WritePackage(const std::filesystem::path& file, const PackageParts& parts);
PackageParts ReadPackage(const std::filesystem::path& file);

// Parses a part; the test fails when it is not well-formed.
pugi::xml_document ParseXml(const std::string& xml);

}  // namespace velmora::testing
