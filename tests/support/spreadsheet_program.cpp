#include "support/spreadsheet_program.h"

#include <cstdlib>
#include <stdexcept>

#include "support/test_paths.h"

namespace velmora::testing {

namespace fs = std::filesystem;

namespace {

// The CSV export of every sheet: comma, double quote, UTF-8, from line 1, stored values, one
// file per sheet ("<name>-<sheet>.csv").
constexpr const char* kFilter = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1";

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

SheetRows ParseCsv(const std::string& text) {
  SheetRows rows;
  std::vector<std::string> row;
  std::string cell;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
      continue;
    }
    any = true;
    if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(cell));
      cell.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      row.push_back(std::move(cell));
      cell.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
    } else {
      cell += c;
    }
  }
  if (any || !cell.empty() || !row.empty()) {
    row.push_back(std::move(cell));
    rows.push_back(std::move(row));
  }
  return rows;
}

const std::string& CellOf(const SheetRows& rows, std::size_t row, std::size_t column) {
  static const std::string empty;
  if (row < 1 || row > rows.size() || column < 1 || column > rows[row - 1].size()) return empty;
  return rows[row - 1][column - 1];
}

std::map<std::string, SheetRows> SheetsAsSpreadsheetProgramReadsThem(const fs::path& workbook) {
  TempDir work;
  const fs::path profile = work / "profile";
  const fs::path out = work / "out";
  fs::create_directories(out);
  const std::string command =
      "timeout 300 soffice -env:UserInstallation=file://" + profile.string() + " --headless --norestore --convert-to " +
      Quoted(kFilter) + " --outdir " + Quoted(out.string()) + " " + Quoted(fs::absolute(workbook).string()) +
      " >" + Quoted((work / "log.txt").string()) + " 2>&1";
  const int status = std::system(command.c_str());
  if (status != 0)
    throw std::runtime_error("the spreadsheet program (soffice) failed or is missing: " + ReadFileBytes(work / "log.txt"));
  std::map<std::string, SheetRows> sheets;
  const std::string prefix = workbook.stem().string() + "-";
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".csv" || name.compare(0, prefix.size(), prefix) != 0) continue;
    sheets[name.substr(prefix.size(), name.size() - prefix.size() - 4)] = ParseCsv(ReadFileBytes(entry.path()));
  }
  if (sheets.empty())
    throw std::runtime_error("the spreadsheet program wrote no sheet of " + workbook.string() + ": " +
                             ReadFileBytes(work / "log.txt"));
  return sheets;
}

}  // namespace velmora::testing
