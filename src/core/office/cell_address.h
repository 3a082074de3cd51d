#pragma once
// A1-style cell addresses as the spreadsheet understands them in Range(address): "B3", "$B$3",
// "b3", "B3:D5". Rows and columns are 1-based; the largest sheet is XFD1048576.

#include <optional>
#include <string>
#include <string_view>

namespace velmora::office {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

struct CellAddress {
  int row = 1;
  int column = 1;
  bool operator==(const CellAddress&) const = default;
};

// A rectangle of cells, `first` the upper left and `last` the lower right corner.
struct CellRange {
  CellAddress first, last;
  bool operator==(const CellRange&) const = default;
  bool contains(int row, int column) const {
    return row >= first.row && row <= last.row && column >= first.column && column <= last.column;
  }
};

// The range an address names (a single cell is a range of one), with its corners ordered; nullopt
// for anything else ("", "ZZZ", "C0", "A1:", a cell beyond XFD1048576).
std::optional<CellRange> ParseRange(std::string_view a1);

// "A", "Z", "AA", ... "XFD"; empty for a column outside 1..16384.
std::string ColumnLetters(int column);
// "B3".
std::string AddressText(CellAddress address);
// "B3" for one cell, "B3:D5" otherwise.
std::string RangeText(const CellRange& range);

}  // namespace velmora::office
