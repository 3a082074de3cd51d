#pragma once
// Number formats are given in the spreadsheet's local syntax, as the program's callers know them
// ("@", "yyyy-mm-dd", "￥#,##0.00;￥-#,##0.00", "#,##0_ "), and stored in the workbook as
// format codes that every spreadsheet program reads.

#include <string>
#include <string_view>

namespace velmora::office {

inline constexpr std::string_view kTextFormat = "@";

// The workbook format code of a local format: literal characters that are not format symbols
// (the currency sign "￥") are quoted; the rest passes unchanged.
std::string FormatCode(std::string_view localFormat);

}  // namespace velmora::office
