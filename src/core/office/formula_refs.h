#pragma once
// The cell references inside formulas and defined names ("Sheet1!$A$1:$H$30", "'表 一'!$1:$8",
// "SUM(B9:B20)"), found by a small tokenizer that leaves string literals, function names and
// external references alone. The workbook editor moves them when rows are inserted and renames or
// removes their sheet qualifiers when sheets are renamed or deleted.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::office::detail {

// `sheet` is the unquoted qualifier of the reference (nullptr when there is none), `written` the
// qualifier as the formula writes it ("'表 一'!", empty when there is none); `reference` the cell,
// cell range, row range or column range after it. The edit returns the text that replaces qualifier
// and reference together, or nullopt to keep them. References into other workbooks ("[1]Sheet1!A1")
// are never edited.
using ReferenceEdit = std::function<std::optional<std::string>(const std::string* sheet, std::string_view written,
                                                               std::string_view reference)>;
std::string RewriteReferences(std::string_view formula, const ReferenceEdit& edit);

// The reference with every row at or below `at` moved down by `count`; nullopt when nothing moves.
// A row that would pass the last row of a sheet stays the last row, and `overflow` is set.
std::optional<std::string> ShiftedReference(std::string_view reference, int at, int count, bool& overflow);

// The formula with the references of `sheetName` (and, when `unqualifiedIsSheet`, the unqualified
// ones) moved down as by ShiftedReference.
std::string ShiftRowsInFormula(std::string_view formula, std::string_view sheetName, bool unqualifiedIsSheet,
                               int at, int count, bool& overflow);

// The formula as it reads in a cell `rows` below and `columns` right of its own: relative rows and
// columns move, absolute ones ("$A$9") stay. A shared formula's text is its first cell's.
std::string TranslateFormula(std::string_view formula, int rows, int columns);

// True when a reference of the formula is qualified with `sheetName`.
bool FormulaNamesSheet(std::string_view formula, std::string_view sheetName);

// The qualifier as a formula writes it: quoted ('Sheet 1', 'It''s') unless it is a plain name.
std::string SheetQualifier(std::string_view sheetName);

// Sheet names compare without regard to the case of Latin letters, as the spreadsheet does.
bool SameSheetName(std::string_view a, std::string_view b);

}  // namespace velmora::office::detail
