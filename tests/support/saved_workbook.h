#pragma once
// A saved .xlsx package read back part by part (libzip + pugixml), to check what a writer put into
// it: the first sheet's cells in document order, their styles, the column widths and the sheet name.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

struct SavedStyle {
  std::string numberFormat;  // the format code; "" for the general format
  bool bold = false;
  double size = 0;
};

struct SavedCell {
  std::string reference;  // "B5"
  bool number = false;    // a number cell (no type), otherwise a text cell
  std::string value;      // the number as stored, or the text
  SavedStyle style;
};

struct SavedWorkbook {
  std::string sheetName;
  std::vector<SavedCell> cells;          // in document order
  std::map<int, double> widths;          // 1-based column → width, for columns given one
  std::map<int, SavedStyle> columnStyles;
  std::size_t formatCount = 0;           // cell formats in the style sheet (the default included)
  std::vector<std::string> entries;      // names of the package's parts
  std::uint64_t sheetPartSize = 0;       // bytes of the first sheet's XML

  const SavedCell* cell(const std::string& reference) const;
};

// Throws std::runtime_error when the package or one of its parts cannot be read.
SavedWorkbook ReadSavedWorkbook(const std::filesystem::path& file);

// The names of every sheet of a saved package, in workbook order (whatever its cells hold).
std::vector<std::string> SheetNamesOf(const std::filesystem::path& file);

}  // namespace velmora::testing
