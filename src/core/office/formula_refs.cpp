#include "core/office/formula_refs.h"

#include <algorithm>
#include <cctype>

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
  moved = true;
  if (row + count > kMaxRows) overflow = true;
  return std::string(end.substr(0, i)) + std::to_string(row + count);
}

}  // namespace

bool SameSheetName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

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
  auto reference = [&](size_t tokenStart, size_t refStart, const std::string* sheet) {
    const size_t end = ReferenceEnd(f, refStart, sheet != nullptr);
    if (end == refStart) {  // not a reference: copy the qualifier and go on after it
      out.append(f.substr(tokenStart, refStart - tokenStart));
      i = refStart;
      return;
    }
    auto replaced = edit(sheet, f.substr(refStart, end - refStart));
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
    } else if (IsRunChar(c)) {
      const size_t end = RunEnd(f, i);
      if (end < f.size() && f[end] == '!') {
        const std::string name(f.substr(i, end - i));
        reference(i, end + 1, &name);
      } else {
        const size_t refEnd = ReferenceEnd(f, i, false);
        if (refEnd == i) {
          out.append(f.substr(i, end - i));
          i = end;
        } else {
          reference(i, i, nullptr);
        }
      }
    } else {
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

std::string ShiftRowsInFormula(std::string_view formula, std::string_view sheetName, bool unqualifiedIsSheet, int at,
                               int count, bool& overflow) {
  return RewriteReferences(formula, [&](const std::string* sheet, std::string_view ref) -> std::optional<std::string> {
    if (sheet ? !SameSheetName(*sheet, sheetName) : !unqualifiedIsSheet) return std::nullopt;
    auto shifted = ShiftedReference(ref, at, count, overflow);
    if (!shifted) return std::nullopt;
    return sheet ? SheetQualifier(*sheet) + "!" + *shifted : *shifted;
  });
}

bool FormulaNamesSheet(std::string_view formula, std::string_view sheetName) {
  bool named = false;
  RewriteReferences(formula, [&](const std::string* sheet, std::string_view) -> std::optional<std::string> {
    if (sheet && SameSheetName(*sheet, sheetName)) named = true;
    return std::nullopt;
  });
  return named;
}

}  // namespace velmora::office::detail
