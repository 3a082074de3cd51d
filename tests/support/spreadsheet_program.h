#pragma once
// Workbooks as a spreadsheet program sees them: LibreOffice, headless, converts every sheet of a
// workbook to CSV in one call, and the rows are read back as texts. The values are the stored
// ones (numbers in their general form), not as the number formats show them.
//
// Each call starts the program with a profile of its own, so tests running side by side do not
// wait for each other. A missing program is a failure (std::runtime_error), never a skip: the
// machines that run these tests install libreoffice-calc-nogui.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace velmora::testing {

using SheetRows = std::vector<std::vector<std::string>>;

// Sheet name → its rows, each row its cells from column A.
std::map<std::string, SheetRows> SheetsAsSpreadsheetProgramReadsThem(const std::filesystem::path& workbook);

// The cell (1-based row and column) of a converted sheet; "" outside the rows written.
const std::string& CellOf(const SheetRows& rows, std::size_t row, std::size_t column);

// The rows of one CSV text (comma, double quotes, UTF-8).
SheetRows ParseCsv(const std::string& text);

}  // namespace velmora::testing
