#include "core/office/cell_address.h"

#include <algorithm>
#include <cctype>

namespace velmora::office {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One corner "$B$3"; the whole text must be the corner.
std::optional<CellAddress> ParseCell(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  long column = 0;
  size_t letters = 0;
  while (i < text.size() && IsLetter(text[i])) {
    column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
    if (++letters > 3) return std::nullopt;
    ++i;
  }
  if (letters == 0 || column > kMaxColumns) return std::nullopt;
  if (i < text.size() && text[i] == '$') ++i;
  long row = 0;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    row = row * 10 + (text[i] - '0');
    if (++digits > 7) return std::nullopt;
    ++i;
  }
  if (digits == 0 || i != text.size() || row < 1 || row > kMaxRows) return std::nullopt;
  return CellAddress{static_cast<int>(row), static_cast<int>(column)};
}

}  // namespace

std::optional<CellRange> ParseRange(std::string_view a1) {
  while (!a1.empty() && a1.front() == ' ') a1.remove_prefix(1);
  while (!a1.empty() && a1.back() == ' ') a1.remove_suffix(1);
  const size_t colon = a1.find(':');
  auto first = ParseCell(a1.substr(0, colon));
  if (!first) return std::nullopt;
  if (colon == std::string_view::npos) return CellRange{*first, *first};
  auto last = ParseCell(a1.substr(colon + 1));
  if (!last) return std::nullopt;
  return CellRange{{std::min(first->row, last->row), std::min(first->column, last->column)},
                   {std::max(first->row, last->row), std::max(first->column, last->column)}};
}

std::string ColumnLetters(int column) {
  if (column < 1 || column > kMaxColumns) return {};
  std::string letters;
  while (column > 0) {
    const int digit = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return letters;
}

std::string AddressText(CellAddress address) { return ColumnLetters(address.column) + std::to_string(address.row); }

std::string RangeText(const CellRange& range) {
  if (range.first == range.last) return AddressText(range.first);
  return AddressText(range.first) + ":" + AddressText(range.last);
}

}  // namespace velmora::office
