#pragma once
// The insides of the template editor, shared by the workbook and its sheets.

#include <list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "core/office/package.h"
#include "core/office/styles_part.h"
#include "core/office/template_workbook.h"

namespace velmora::office::detail {

using Attributes = std::vector<std::pair<std::string, std::string>>;

struct Cell {
  int column = 1;
  int style = -1;            // -1: no s attribute
  std::string type;          // t: "", "n", "s", "str", "inlineStr", "b", "e"
  Attributes otherAttributes;
  bool hasFormula = false;
  Attributes formulaAttributes;
  std::string formula;
  bool hasValue = false;
  std::string value;         // text of <v>
  std::string inlineXml;     // <is>…</is> as read or written
  std::string inlineText;    // its text
  std::string tailXml;       // other children (extLst), as read
};

struct Row {
  int gap = 0;  // rows without an entry between the previous row and this one
  int style = -1;
  bool customFormat = false;
  Attributes attributes;  // all but r, spans, s, customFormat
  std::vector<Cell> cells;  // by column
};

// A sheet read into memory: its XML without the rows, and the rows as a list whose row numbers
// follow from the gaps, so that a row inserted near the top moves every row below it at no cost.
struct SheetRows {
  pugi::xml_document doc;
  pugi::xml_node sheetData;
  std::list<Row> rows;
  int lastRow = 0;
  std::vector<std::list<Row>::iterator> formulaRows;  // rows holding a formula
  bool changed = false;
  // The sheet's drawing, read when its anchors first move.
  std::string drawingPart;
  std::unique_ptr<pugi::xml_document> drawing;
};

struct WorkbookData {
  Package package;
  std::string workbookPart;
  pugi::xml_document workbook, workbookRels, contentTypes, app;
  std::string appPart;
  bool appChanged = false;
  bool workbookChanged = false;
  bool sheetsRemoved = false;
  std::string stylesPart;
  std::unique_ptr<StylesPart> styles;
  std::string sharedStringsPart;
  std::unique_ptr<std::vector<std::string>> sharedStrings;
  std::vector<std::unique_ptr<TemplateSheet>> sheets;
  // (part, text) of sheets not yet read whose formulas were found not to mention the text: an
  // unread part does not change, so each is searched once however many rows are inserted.
  std::set<std::pair<std::string, std::string>> notMentioning;

  static std::unique_ptr<WorkbookData> Load(const std::string& path);

  StylesPart& stylesOf();
  const std::string& sharedString(size_t index);
  int indexOf(const TemplateSheet& sheet) const;  // 0-based
  std::unique_ptr<SheetRows> readSheet(const std::string& partName) const;
  // The sheet's rows, reading it when it mentions `text` (or always when `text` is empty).
  SheetRows* sheetMentioning(TemplateSheet& sheet, const std::string& text);
  pugi::xml_node definedNames();
  void renameSheet(TemplateSheet& sheet, const std::string& newName);
  void shiftRowsOf(TemplateSheet& sheet, int at, int count);  // defined names and other sheets' formulas
  void deleteSheet(int index0);
  void activateSheet(int index0);
  int activeSheet() const;
  void save(const std::string& path);

  static std::unique_ptr<TemplateSheet> MakeSheet(WorkbookData& book, std::string name, std::string part) {
    return std::make_unique<TemplateSheet>(SheetKey{}, book, std::move(name), std::move(part));
  }
  static SheetRows& RowsOf(TemplateSheet& sheet) { return sheet.rows(); }
  static bool Loaded(const TemplateSheet& sheet) { return sheet.rows_ != nullptr; }
  static void SetName(TemplateSheet& sheet, std::string name) { sheet.name_ = std::move(name); }
  static const std::string& PartOf(const TemplateSheet& sheet) { return sheet.partName_; }
};

// Serialisation shared by the parts.
std::string EscapeXml(std::string_view text, bool attribute);
std::string XmlText(const pugi::xml_document& doc);
bool LoadXml(pugi::xml_document& doc, const std::string& data);
// An element's name without its namespace prefix.
std::string_view LocalName(pugi::xml_node node);
// Cell text as the file format stores it: "_xHHHH_" stands for a character XML cannot hold, so a
// literal "_x0041_" is stored with its underscore escaped; and back.
std::string EncodeCellText(std::string_view text);
std::string DecodeCellText(std::string_view stored);
// The rows of a sheet written out: its XML with the row list in <sheetData>.
std::string SheetXml(SheetRows& rows);
// Rewrites the formulas of every formula cell of the sheet.
void RewriteSheetFormulas(SheetRows& rows, const std::function<std::string(const std::string&)>& rewrite);

}  // namespace velmora::office::detail
