#include "core/office/formula_refs.h"

#include <algorithm>
#include <cctype>

#include "core/base/text.h"
#include "core/office/cell_address.h"

namespace velmora::office::detail {

namespace {

bool IsRunChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || c == '.' || c == '\\' || u >= 0x80;
}
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class Part { None, Cell, Row, Column };

// What a run of characters is as one end of a reference.
Part PartKind(std::string_view run) {
  size_t i = 0;
  if (i < run.size() && run[i] == '$') ++i;
  size_t letters = 0, digits = 0;
  while (i < run.size() && IsLetter(run[i])) ++i, ++letters;
  if (letters > 3) return Part::None;
  if (letters > 0 && i < run.size() && run[i] == '$') ++i;
  while (i < run.size() && IsDigit(run[i])) ++i, ++digits;
  if (i != run.size() || digits > 7) return Part::None;
  if (letters > 0 && digits > 0) return ParseRange(run) ? Part::Cell : Part::None;
  if (letters > 0) return Part::Column;
  if (digits > 0 && (run[0] != '$' || run.size() > 1)) return Part::Row;
  return Part::None;
}

size_t RunEnd(std::string_view text, size_t i) {
  while (i < text.size() && IsRunChar(text[i])) ++i;
  return i;
}

// The reference starting at `i` (a cell, or two ends of the same kind around ':'); its end, or
// `i` when there is none. A name followed by '(' is a function.
size_t ReferenceEnd(std::string_view text, size_t i, bool qualified) {
  const size_t end1 = RunEnd(text, i);
  const Part first = PartKind(text.substr(i, end1 - i));
  if (first == Part::None) return i;
  size_t end = end1;
  if (end1 < text.size() && text[end1] == ':') {
    const size_t end2 = RunEnd(text, end1 + 1);
    if (PartKind(text.substr(end1 + 1, end2 - end1 - 1)) == first) end = end2;
  }
  if (end == end1 && first != Part::Cell) return i;
  if (end < text.size() && text[end] == '(') return i;
  (void)qualified;
  return end;
}

// One end "$B$9" or "$9" moved down.
std::string ShiftEnd(std::string_view end, int at, int count, bool& overflow, bool& moved) {
  size_t i = 0;
  while (i < end.size() && !IsDigit(end[i])) ++i;
  if (i == end.size()) return std::string(end);
  const long row = std::stol(std::string(end.substr(i)));
  if (row < at) return std::string(end);
  long shifted = row + count;
  if (shifted > kMaxRows) {
    overflow = true;
    shifted = kMaxRows;
  }
  if (shifted == row) return std::string(end);
  moved = true;
  return std::string(end.substr(0, i)) + std::to_string(shifted);
}

}  // namespace

bool SameSheetName(std::string_view a, std::string_view b) { return base::SameIgnoringCase(a, b); }

std::string SheetQualifier(std::string_view name) {
  bool plain = !name.empty() && (IsLetter(name[0]) || name[0] == '_');
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) plain = false;
  if (plain && PartKind(name) != Part::None) plain = false;  // "A1", "XFD": read as references
  if (plain) return std::string(name);
  std::string quoted = "'";
  for (char c : name) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

std::string RewriteReferences(std::string_view f, const ReferenceEdit& edit) {
  std::string out;
  out.reserve(f.size() + 8);
  size_t i = 0;
  bool external = false;  // the next qualified reference belongs to another workbook
  auto reference = [&](size_t tokenStart, size_t refStart, const std::string* sheet) {
    const size_t end = ReferenceEnd(f, refStart, sheet != nullptr);
    const bool foreign = external || (sheet && sheet->find('[') != std::string::npos);
    external = false;
    if (end == refStart || foreign) {  // not a reference of this workbook: copy the qualifier, go on after it
      out.append(f.substr(tokenStart, refStart - tokenStart));
      i = refStart;
      if (foreign && end != refStart) {
        out.append(f.substr(refStart, end - refStart));
        i = end;
      }
      return;
    }
    auto replaced = edit(sheet, f.substr(tokenStart, refStart - tokenStart), f.substr(refStart, end - refStart));
    out.append(replaced ? std::string_view(*replaced) : f.substr(tokenStart, end - tokenStart));
    i = end;
  };
  while (i < f.size()) {
    const char c = f[i];
    if (c == '"') {
      size_t j = i + 1;
      while (j < f.size()) {
        if (f[j] == '"') {
          if (j + 1 < f.size() && f[j + 1] == '"') {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      j = std::min(j + 1, f.size());
      out.append(f.substr(i, j - i));
      i = j;
    } else if (c == '\'') {
      std::string name;
      size_t j = i + 1;
      while (j < f.size()) {
        if (f[j] == '\'') {
          if (j + 1 < f.size() && f[j + 1] == '\'') {
            name += '\'';
            j += 2;
            continue;
          }
          break;
        }
        name += f[j++];
      }
      if (j + 1 < f.size() && f[j + 1] == '!') {
        reference(i, j + 2, &name);
      } else {
        j = std::min(j + 1, f.size());
        out.append(f.substr(i, j - i));
        i = j;
      }
    } else if (c == '[') {
      const size_t close = f.find(']', i);
      const size_t j = close == std::string_view::npos ? f.size() : close + 1;
      out.append(f.substr(i, j - i));
      i = j;
      external = true;
    } else if (IsRunChar(c)) {
      const size_t end = RunEnd(f, i);
      if (end < f.size() && f[end] == '!') {
        const std::string name(f.substr(i, end - i));
        reference(i, end + 1, &name);
      } else {
        const size_t refEnd = ReferenceEnd(f, i, false);
        external = false;
        if (refEnd == i) {
          out.append(f.substr(i, end - i));
          i = end;
        } else {
          reference(i, i, nullptr);
        }
      }
    } else {
      external = false;
      out += c;
      ++i;
    }
  }
  return out;
}

std::optional<std::string> ShiftedReference(std::string_view reference, int at, int count, bool& overflow) {
  const size_t colon = reference.find(':');
  bool moved = false;
  std::string shifted = ShiftEnd(reference.substr(0, colon), at, count, overflow, moved);
  if (colon != std::string_view::npos) shifted += ":" + ShiftEnd(reference.substr(colon + 1), at, count, overflow, moved);
  if (!moved) return std::nullopt;
  return shifted;
}

namespace {

// One end "$B9", "C$3", "$9", "B" moved by rows and columns where it is relative.
std::string TranslateEnd(std::string_view end, int rows, int columns) {
  size_t i = 0;
  const bool absoluteColumn = i < end.size() && end[i] == '$';
  if (absoluteColumn) ++i;
  const size_t letters = i;
  while (i < end.size() && IsLetter(end[i])) ++i;
  std::string out;
  if (i > letters) {
    int column = 0;
    for (size_t k = letters; k < i; ++k) column = column * 26 + (std::toupper(static_cast<unsigned char>(end[k])) - 'A' + 1);
    if (!absoluteColumn) column = std::clamp(column + columns, 1, kMaxColumns);
    out = (absoluteColumn ? "$" : "") + ColumnLetters(column);
  } else if (absoluteColumn) {
    i = 0;  // "$9": the dollar belongs to the row
  }
  if (i == end.size()) return out;
  const bool absoluteRow = end[i] == '$';
  if (absoluteRow) ++i;
  int row = std::stoi(std::string(end.substr(i)));
  if (!absoluteRow) row = std::clamp(row + rows, 1, kMaxRows);
  return out + (absoluteRow ? "$" : "") + std::to_string(row);
}

}  // namespace

std::string TranslateFormula(std::string_view formula, int rows, int columns) {
  return RewriteReferences(formula, [&](const std::string*, std::string_view written,
                                        std::string_view ref) -> std::optional<std::string> {
    const size_t colon = ref.find(':');
    std::string out = std::string(written) + TranslateEnd(ref.substr(0, colon), rows, columns);
    if (colon != std::string_view::npos) out += ":" + TranslateEnd(ref.substr(colon + 1), rows, columns);
    return out;
  });
}

std::string ShiftRowsInFormula(std::string_view formula, std::string_view sheetName, bool unqualifiedIsSheet, int at,
                               int count, bool& overflow) {
  return RewriteReferences(formula, [&](const std::string* sheet, std::string_view written,
                                       std::string_view ref) -> std::optional<std::string> {
    if (sheet ? !SameSheetName(*sheet, sheetName) : !unqualifiedIsSheet) return std::nullopt;
    auto shifted = ShiftedReference(ref, at, count, overflow);
    if (!shifted) return std::nullopt;
    return std::string(written) + *shifted;
  });
}

bool FormulaNamesSheet(std::string_view formula, std::string_view sheetName) {
  bool named = false;
  RewriteReferences(formula, [&](const std::string* sheet, std::string_view, std::string_view) -> std::optional<std::string> {
    if (sheet && SameSheetName(*sheet, sheetName)) named = true;
    return std::nullopt;
  });
  return named;
}

}  // namespace velmora::office::detail
