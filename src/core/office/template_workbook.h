#pragma once
// The template editor: opens an .xltx/.xlsx package, changes the cells, rows and sheets it is told
// to and saves the package with every other part (styles, themes, page setup, print titles,
// drawings, parts it does not know) carried over byte for byte. Sheets are read when first used and
// only those used are written anew; a sheet is held as rows in memory and serialised once at save,
// so inserting rows at the same place again and again stays linear.
//
// New text is written as inline strings; the shared strings of the template are read, never changed.
// Setting a number format, a font or an alignment on a cell gives the cell a style of its own (a
// copy of its previous one), so other cells sharing that style keep it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/office/cell_address.h"
#include "core/office/cell_text.h"

namespace velmora::office {

enum class HorizontalAlignment { General = 1, Left = -4131, Center = -4108, Right = -4152 };

namespace detail {
struct WorkbookData;
struct SheetRows;
class SheetKey {
  friend struct WorkbookData;
  SheetKey() = default;
};
}  // namespace detail

class TemplateSheet {  // owned by its workbook
 public:
  TemplateSheet(detail::SheetKey, detail::WorkbookData& book, std::string name, std::string partName);
  ~TemplateSheet();
  TemplateSheet(const TemplateSheet&) = delete;
  TemplateSheet& operator=(const TemplateSheet&) = delete;

  const std::string& name() const { return name_; }
  // Refuses (OfficeError) an empty name, one longer than 31 characters, one with : \ / ? * [ ] or
  // an apostrophe at either end, and the name of another sheet of the workbook. Defined names and
  // formulas naming the sheet follow.
  void rename(std::string_view name);

  // The spreadsheet's conversion of typed text: a number-like text becomes a number unless the
  // cell's style (or, for a cell not yet written, its row's or column's) is the text format "@".
  // Empty text empties the cell; the cell keeps its style either way.
  void setText(int row, int column, std::string_view text);
  void setNumber(int row, int column, double value);
  // Range(address) := text: every cell of the range; OfficeError on an address the sheet cannot hold.
  void setRange(std::string_view address, std::string_view text);
  CellValue value(int row, int column) const;

  // A new row above `row`: the rows from `row` on move down with their cells, heights and styles,
  // and so do merged ranges, formulas (of every sheet), hyperlinks, conditional formats,
  // validations, page breaks, pictures and defined names (the print area and print titles among
  // them) that refer to them. The new row takes the styles and height of the row it pushed down,
  // without values. OfficeError, with nothing changed, when the sheet holds what cannot be moved (a
  // shared formula, a data table, a table, comments, a pivot table, a chart) or its last row is in use.
  void insertRowAbove(int row);

  void setNumberFormat(const CellRange& range, std::string_view localFormat);
  void setColumnNumberFormat(int column, std::string_view localFormat);
  void setFont(const CellRange& range, bool bold, double size);
  // The cells' own font made bold in the colour `argb` (eight hex digits, "FFFF0000" red); OfficeError
  // for anything else.
  void setBoldColor(const CellRange& range, std::string_view argb);
  void setHorizontalAlignment(const CellRange& range, HorizontalAlignment alignment);
  // Every cell of the range framed by a thin line on each edge (the lines inside the range too).
  void setBorders(const CellRange& range);
  // The column's width in characters: its own, or the sheet's default.
  double columnWidth(int column) const;
  // OfficeError outside 0..255.
  void setColumnWidth(int column, double width);
  // The column's width from EstimatedColumnWidth of its longest cell text as shown (cells merged
  // across columns do not count); a column without text keeps its width.
  void autoFitColumn(int column);

 private:
  friend struct detail::WorkbookData;
  detail::SheetRows& rows() const;  // reads the sheet on first use

  detail::WorkbookData* book_;
  std::string name_;
  std::string partName_;
  mutable std::unique_ptr<detail::SheetRows> rows_;
};

class TemplateWorkbook {
 public:
  // .xltx or .xlsx. OfficeError with a text for the user for a missing or empty file, a file that
  // is not a zip package, and a package without a workbook.
  static TemplateWorkbook Open(const std::string& path);
  ~TemplateWorkbook();
  TemplateWorkbook(TemplateWorkbook&&) noexcept;
  TemplateWorkbook& operator=(TemplateWorkbook&&) noexcept;

  int sheetCount() const;
  TemplateSheet& sheet(int index);  // 1-based; OfficeError outside 1..sheetCount
  TemplateSheet* sheetNamed(std::string_view name);
  // Removes the sheet with its own parts; defined names of the sheet, or referring to it, go too,
  // and formulas of other sheets referring to it read #REF!. References to the sheet object become
  // invalid; the sheets after it move up by one. The last visible sheet cannot be deleted (OfficeError).
  void deleteSheet(int index);
  // Sets the workbook's active tab and selects that tab alone; a hidden sheet is refused (OfficeError).
  void activateSheet(int index);
  int activeSheet() const;

  // Writes the workbook beside `path` and renames it into place; a template becomes a workbook.
  // OfficeError on failure, and then nothing is left behind and a previous file stays as it was.
  void save(const std::string& path);

 private:
  explicit TemplateWorkbook(std::unique_ptr<detail::WorkbookData> data);
  std::unique_ptr<detail::WorkbookData> data_;
};

}  // namespace velmora::office
