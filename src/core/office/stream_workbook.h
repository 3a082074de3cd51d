#pragma once
// A workbook made from nothing, written row by row in constant memory (libxlsxwriter's
// constant_memory mode): only the row being filled is held; earlier rows are already on disk.
//
// Rows and columns are 1-based, as the spreadsheet counts them. Rows are written in ascending order;
// a row may get several cells in any column order, but a row once left cannot be written again.
// Column widths and column formats are written into the sheet when it is saved, so auto-fit may be
// asked for after the rows; the writer keeps nothing per cell, only the widest text of each column.
//
// The workbook is written into a temporary file beside the target (the atomic writer's temporary
// names) and renamed over the target by save(). Until then the target is untouched; a failed save,
// or a workbook destroyed without save(), removes the temporary file. Every failure is an OfficeError.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velmora::office {

// The sheet name a spreadsheet accepts for `name`: the characters []:*?/\ and control characters
// become "_", apostrophes at either end are dropped, at most 31 characters (UTF-16 units) are kept,
// and an empty result becomes "Sheet1".
std::string ValidSheetName(std::string_view name);

class StreamWorkbook {
 public:
  // Throws OfficeError when the temporary file cannot be made (folder missing or not writable).
  StreamWorkbook(const std::string& targetPath, std::string_view sheetName);
  ~StreamWorkbook();
  StreamWorkbook(const StreamWorkbook&) = delete;
  StreamWorkbook& operator=(const StreamWorkbook&) = delete;

  // The first sheet's name as written.
  const std::string& sheetName() const;

  // The number format (local syntax, see number_format.h) of a whole column; only before any cell
  // is written. Cells of the column get it unless they have their own.
  void setColumnNumberFormat(int column, std::string_view localFormat);

  // The spreadsheet's conversion of typed text: a number-like text is a number unless the cell's
  // format is "@"; an empty text leaves the cell empty.
  void setText(int row, int column, std::string_view text);
  void setString(int row, int column, std::string_view text);  // always text
  void setNumber(int row, int column, double value);
  void setInteger(int row, int column, std::int64_t value);

  // A cell's font and its own number format; given before the cell is written (or for a cell that
  // stays empty: it is written blank with that look when its row is left).
  void setFont(int row, int column, bool bold, double size);
  void setCellNumberFormat(int row, int column, std::string_view localFormat);

  // Columns first..last get the width that shows the widest text written into them (as the number
  // formats show numbers). May be called at any time before save().
  void autoFitColumns(int first, int last);

  // Closes the workbook and renames it over the target. On failure (disk full, folder gone) an
  // OfficeError; the temporary file is removed and the target left as it was. No cell can be
  // written afterwards.
  void save();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velmora::office
