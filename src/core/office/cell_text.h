#pragma once
// What a spreadsheet makes of a text typed into a cell. A text that reads as a number ("12",
// " -3.5 ", "1e3", "0012") is stored as that number unless the cell is formatted as text ("@");
// everything else stays text. Both workbook engines write cells through this one rule.

#include <optional>
#include <string>
#include <string_view>

namespace velmora::office {

// The number a text reads as, or nullopt when the spreadsheet keeps it as text. Blanks around the
// number are ignored; thousands separators, currency signs, percent signs and dates stay text.
std::optional<double> ReadsAsNumber(std::string_view text);

// A cell's content as written or read back.
struct CellValue {
  enum class Kind { Empty, Number, Text };
  Kind kind = Kind::Empty;
  double number = 0;
  std::string text;

  static CellValue Empty() { return {}; }
  static CellValue Number(double value) { return {Kind::Number, value, {}}; }
  static CellValue Text(std::string value) { return {Kind::Text, 0, std::move(value)}; }
  bool operator==(const CellValue&) const = default;
};

// The cell a text becomes: empty text is an empty cell; a number-like text is a number unless
// `textFormat` (the cell is formatted "@").
CellValue ConvertTypedText(std::string_view text, bool textFormat);

// The column width (in the spreadsheet's character units) that shows `text` whole: one unit per
// character, two for a wide (CJK, full-width) character, plus a little margin. Auto-fit of both
// engines takes the widest cell of a column through this one estimate.
double EstimatedColumnWidth(std::string_view utf8Text);

}  // namespace velmora::office
