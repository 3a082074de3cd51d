#pragma once
// A workbook template described cell by cell, written as an .xltx package: a fixed set of cell
// styles, column widths, merged ranges, A4 page setup and the print names of each sheet.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::mktemplate {

// The cell styles every template shares (indexes into styles.xml's cellXfs).
enum Style : int {
  kPlain = 0,
  kTitle,      // large bold, centred
  kSubtitle,   // centred
  kHeading,    // bold, centred, wrapped, boxed
  kLabel,      // a caption: left, wrapped, boxed
  kNumber,     // a value cell for figures: boxed
  kText,       // a value cell whose digits stay text: format "@", boxed
  kCentered,   // serial numbers and field codes: centred, boxed
  kSection,    // a section line inside a table: bold, left, boxed
  kCoverLine,  // a line of a cover page: larger, left
};

struct Cell {
  std::string text;
  int style = kPlain;
};

struct Sheet {
  std::string name;
  std::vector<double> widths;  // from column A
  std::map<int, double> heights;
  std::map<std::pair<int, int>, Cell> cells;  // (row, column), both from 1
  std::vector<std::string> merges;
  bool landscape = false;
  bool printArea = true;   // the used range is the print area
  int titleRows = 0;       // rows 1..titleRows repeat on every printed page

  // Places a cell; false when the cell already holds something.
  bool put(int row, int column, std::string text, int style);
  // A merged range: the text in its first cell, every cell of it in `style` so the box is whole.
  void merge(int row1, int column1, int row2, int column2, std::string text, int style);
  int lastRow() const;
  int lastColumn() const;
};

struct Workbook {
  std::string title;
  std::vector<Sheet> sheets;
};

// "A" for 1, "AA" for 27.
std::string ColumnName(int column);
std::string CellName(int row, int column);
// (row, column) of an A1-style address of one cell, without "$".
std::optional<std::pair<int, int>> ParseCell(std::string_view address);

// Writes the package beside `out` and renames it into place. Throws std::runtime_error.
void WriteTemplate(const Workbook& book, const std::filesystem::path& out);

}  // namespace velmora::mktemplate
