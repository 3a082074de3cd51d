#include "core/office/stream_workbook.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "core/base/paths.h"
#include "core/db/variant.h"
#include "core/files/atomic_file.h"
#include "core/office/cell_text.h"
#include "core/office/number_format.h"
#include "core/office/office_error.h"

namespace velmora::office {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr double kMaxColumnWidth = 255;
constexpr std::string_view kTemporaryPrefix = "~vmx";

// The length of the UTF-8 sequence led by `lead`, or 0 when `lead` cannot start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xF0 && lead < 0xF5) return 4;
  return 0;
}

// The text a number shows in a cell of `localFormat`, close enough for a column width: the
// section for its sign, its decimals, thousands separators and the literal characters around.
std::string DisplayedNumber(double value, std::string_view localFormat) {
  if (localFormat.empty() || localFormat == kTextFormat) return db::FormatNumber(value);
  const bool dateLike = localFormat.find_first_of("ymdhs") != std::string_view::npos;
  if (dateLike) return std::string(localFormat);  // a date shows as many characters as its pattern
  std::string_view section = localFormat;
  const std::size_t split = localFormat.find(';');
  bool signShown = true;
  if (split != std::string_view::npos) {
    section = value < 0 ? localFormat.substr(split + 1) : localFormat.substr(0, split);
    if (const std::size_t next = section.find(';'); next != std::string_view::npos) section = section.substr(0, next);
    signShown = false;  // the negative section writes its own sign
  }
  const std::size_t firstDigit = section.find_first_of("0#");
  if (firstDigit == std::string_view::npos) return std::string(section);
  const std::size_t lastDigit = section.find_last_of("0#");
  const std::string_view pattern = section.substr(firstDigit, lastDigit - firstDigit + 1);
  const bool grouped = pattern.find(',') != std::string_view::npos;
  int decimals = 0;
  if (const std::size_t point = pattern.find('.'); point != std::string_view::npos)
    decimals = static_cast<int>(std::count_if(pattern.begin() + static_cast<std::ptrdiff_t>(point), pattern.end(),
                                              [](char c) { return c == '0' || c == '#'; }));
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.*f", decimals, std::fabs(value));
  std::string body = digits;
  if (grouped) {
    const std::size_t point = body.find('.');
    std::size_t integerEnd = point == std::string::npos ? body.size() : point;
    for (std::size_t at = integerEnd; at > 3; at -= 3) body.insert(at - 3, 1, ',');
  }
  auto literal = [](std::string_view part) {
    std::string out;
    for (std::size_t i = 0; i < part.size(); ++i) {
      if (part[i] == '"' || part[i] == '\\') continue;
      if (part[i] == '_' || part[i] == '*') {  // the width of the next character, or a fill
        out += ' ';
        ++i;
        continue;
      }
      out += part[i];
    }
    return out;
  };
  std::string shown = literal(section.substr(0, firstDigit));
  if (value < 0 && signShown) shown += '-';
  shown += body;
  shown += literal(section.substr(lastDigit + 1));
  return shown;
}

constexpr std::string_view kSheetEnd = "</worksheet>";

// True when the first sheet's part in the package reads to its end and holds at least the
// `rowBytes` of row data. The library copies the rows into the package without checking its
// writes, so this read is what tells a complete workbook from one cut short by a full disk.
bool SheetPartComplete(const std::string& package, std::uint64_t rowBytes) {
  int error = 0;
  zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
  if (!archive) return false;
  bool complete = false;
  if (zip_file_t* part = zip_fopen(archive, "xl/worksheets/sheet1.xml", 0)) {
    std::vector<char> buffer(1 << 18);
    std::string tail;
    std::uint64_t total = 0;
    zip_int64_t read = 0;
    while ((read = zip_fread(part, buffer.data(), buffer.size())) > 0) {
      total += static_cast<std::uint64_t>(read);
      tail.append(buffer.data(), static_cast<std::size_t>(read));
      if (tail.size() > kSheetEnd.size()) tail.erase(0, tail.size() - kSheetEnd.size());
    }
    complete = read == 0 && total >= rowBytes + kSheetEnd.size() && tail == kSheetEnd;
    zip_fclose(part);
  }
  zip_discard(archive);
  return complete;
}

struct CellLook {
  std::optional<std::string> numberFormat;
  std::optional<std::pair<bool, double>> font;
};

struct Column {
  std::string numberFormat;           // local syntax; empty: general
  lxw_format* plain = nullptr;        // the column's format for cells without a look of their own
  int lastRow = 0;                    // the last row a cell of this column was written in
  double widest = 0;                  // EstimatedColumnWidth of the widest text written
  double largest = 0, smallest = 0;   // numbers written in the column's own format
  bool anyNumber = false;
  bool fit = false;
};

}  // namespace

std::string ValidSheetName(std::string_view name) {
  std::string valid;
  int units = 0;  // UTF-16 units, as the spreadsheet counts a name's length
  for (std::size_t i = 0; i < name.size();) {
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t length = SequenceLength(lead);
    bool wellFormed = length != 0 && i + length <= name.size();
    for (std::size_t k = 1; wellFormed && k < length; ++k)
      wellFormed = (static_cast<unsigned char>(name[i + k]) & 0xC0) == 0x80;
    if (!wellFormed) length = 1;
    std::string_view piece = name.substr(i, length);
    const bool forbidden = !wellFormed || lead < 0x20 || lead == 0x7F ||
                           std::string_view("[]:*?/\\").find(static_cast<char>(lead)) != std::string_view::npos;
    const int pieceUnits = length == 4 ? 2 : 1;
    if (units + pieceUnits > 31) break;
    valid += forbidden ? std::string_view("_") : piece;
    units += pieceUnits;
    i += length;
  }
  while (!valid.empty() && valid.front() == '\'') valid.erase(valid.begin());
  while (!valid.empty() && valid.back() == '\'') valid.pop_back();
  return valid.empty() ? std::string("Sheet1") : valid;
}

struct StreamWorkbook::State {
  files::AtomicFile file;
  std::string sheetName;
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  bool saved = false;
  bool anyCell = false;
  int currentRow = 0;
  std::vector<Column> columns;
  std::map<std::pair<int, int>, CellLook> looks;  // cells of the current or later rows, not yet written
  std::map<std::tuple<std::string, bool, double>, lxw_format*> formats;
  std::string scratch;

  explicit State(const std::string& target) : file(target, std::string(kTemporaryPrefix)) {}

  std::string targetText() const { return "“" + file.target() + "”"; }

  // Gives the workbook up without writing it. The library's own free leaves the unnamed row file
  // open, and its disk space taken, so that file is closed here first.
  void abandon() {
    if (!workbook) return;
    if (sheet && sheet->optimize_tmpfile) {
      std::fclose(sheet->optimize_tmpfile);
      sheet->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(workbook);
    workbook = nullptr;
    sheet = nullptr;
  }

  [[noreturn]] void fail(const std::string& what) const { throw OfficeError(what); }

  void checkOpen() const {
    if (saved || !workbook) fail("工作簿" + targetText() + "已经关闭，不能再写入");
  }

  Column& column(int index) {
    if (static_cast<std::size_t>(index) > columns.size()) columns.resize(static_cast<std::size_t>(index));
    return columns[static_cast<std::size_t>(index) - 1];
  }

  void checkCell(int row, int col) const {
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns)
      fail("单元格（第" + std::to_string(row) + "行，第" + std::to_string(col) + "列）超出工作表的范围");
  }

  // The one format of a look; made once per combination, none for the plain look.
  lxw_format* format(const std::string& numberFormat, bool hasFont, bool bold, double size) {
    if (numberFormat.empty() && !hasFont) return nullptr;
    auto key = std::make_tuple(numberFormat, hasFont && bold, hasFont ? size : 0.0);
    auto found = formats.find(key);
    if (found != formats.end()) return found->second;
    lxw_format* made = workbook_add_format(workbook);
    if (!made) fail("无法为工作簿" + targetText() + "建立单元格格式");
    if (!numberFormat.empty()) format_set_num_format(made, FormatCode(numberFormat).c_str());
    if (hasFont) {
      if (bold) format_set_bold(made);
      if (size > 0) format_set_font_size(made, size);
    }
    formats.emplace(std::move(key), made);
    return made;
  }

  void writeBlank(int row, int col, const CellLook& look) {
    Column& c = column(col);
    const std::string& numberFormat = look.numberFormat ? *look.numberFormat : c.numberFormat;
    lxw_format* f = format(numberFormat, look.font.has_value(), look.font ? look.font->first : false,
                           look.font ? look.font->second : 0);
    if (f) check(worksheet_write_blank(sheet, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(col - 1), f));
  }

  // Moves to `row`, writing the cells left blank with a look of their own in the rows before it.
  void enterRow(int row) {
    if (row < currentRow)
      fail("第" + std::to_string(row) + "行已经写出，工作表只能按行号从小到大写入（当前第" +
           std::to_string(currentRow) + "行）");
    if (row == currentRow) return;
    while (!looks.empty() && looks.begin()->first.first < row) {
      auto node = looks.extract(looks.begin());
      currentRow = node.key().first;
      writeBlank(node.key().first, node.key().second, node.mapped());
    }
    currentRow = row;
  }

  void check(lxw_error error) const {
    if (error != LXW_NO_ERROR) fail("无法写入工作簿" + targetText() + "：" + lxw_strerror(error));
  }

  // Where one cell is written: its column, format and number format.
  struct Target {
    Column* column;
    lxw_format* format;
    const std::string* numberFormat;
    bool ownLook;
  };

  // Positions the write of one cell. A look of its own stays in `looks` until written() drops it.
  Target prepare(int row, int col) {
    checkOpen();
    checkCell(row, col);
    enterRow(row);
    anyCell = true;
    Column& c = column(col);
    c.lastRow = row;
    if (!looks.empty()) {
      auto found = looks.find({row, col});
      if (found != looks.end()) {
        const CellLook& look = found->second;
        const std::string* numberFormat = look.numberFormat ? &*look.numberFormat : &c.numberFormat;
        return {&c,
                format(*numberFormat, look.font.has_value(), look.font ? look.font->first : false,
                       look.font ? look.font->second : 0),
                numberFormat, true};
      }
    }
    return {&c, c.plain, &c.numberFormat, false};
  }

  void written(int row, int col) {
    if (!looks.empty()) looks.erase({row, col});
  }

  static void noteText(Column& c, std::string_view text) {
    // A character is never wider than its UTF-8 bytes, so most texts need no closer look.
    if (static_cast<double>(text.size()) + 1.5 <= c.widest) return;
    c.widest = std::max(c.widest, EstimatedColumnWidth(text));
  }

  // The width a number needs. In a formatted column the widest shown number is the largest or the
  // most negative one, so only those two are kept and shown at save.
  static void noteNumber(const Target& t, double value) {
    Column& c = *t.column;
    const std::string& numberFormat = *t.numberFormat;
    if (numberFormat.empty() || numberFormat == kTextFormat) {
      if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(value)).ptr;
        noteText(c, std::string_view(digits, static_cast<std::size_t>(end - digits)));
      } else if (c.widest < 24) {  // the general form never shows more than about 21 characters
        noteText(c, db::FormatNumber(value));
      }
    } else if (t.ownLook) {
      noteText(c, DisplayedNumber(value, numberFormat));
    } else {
      c.largest = c.anyNumber ? std::max(c.largest, value) : value;
      c.smallest = c.anyNumber ? std::min(c.smallest, value) : value;
      c.anyNumber = true;
    }
  }

  void writeString(int row, int col, std::string_view text, const Target& t) {
    scratch.assign(text);  // the library takes a terminated string
    check(worksheet_write_string(sheet, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(col - 1),
                                 scratch.c_str(), t.format));
    noteText(*t.column, text);
    written(row, col);
  }

  void writeNumber(int row, int col, double value, const Target& t) {
    check(worksheet_write_number(sheet, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(col - 1), value,
                                 t.format));
    noteNumber(t, value);
    written(row, col);
  }

  CellLook& lookOf(int row, int col) {
    checkOpen();
    checkCell(row, col);
    if (row < currentRow || (row == currentRow && column(col).lastRow == row))
      fail("单元格（第" + std::to_string(row) + "行，第" + std::to_string(col) + "列）已经写出，格式须在写入之前设置");
    return looks[{row, col}];
  }
};

StreamWorkbook::StreamWorkbook(const std::string& targetPath, std::string_view sheetName) {
  try {
    state_ = std::make_unique<State>(targetPath);
  } catch (const files::AtomicFileError& e) {
    throw OfficeError(e.what());
  }
  State& s = *state_;
  s.sheetName = ValidSheetName(sheetName);
  // The rows wait in an unnamed temporary file beside the target, on the disk the workbook goes to.
  std::string folder = base::Utf8FromPath(base::PathFromUtf8(s.file.tempPath()).parent_path());
  if (folder.empty()) folder = ".";
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = folder.data();
  options.use_zip64 = LXW_FALSE;  // decided at save, by the size of the rows (see there)
  s.workbook = workbook_new_opt(s.file.tempPath().c_str(), &options);
  if (s.workbook) s.sheet = workbook_add_worksheet(s.workbook, s.sheetName.c_str());
  if (!s.workbook || !s.sheet || !s.sheet->optimize_tmpfile) {
    s.abandon();
    throw OfficeError("无法建立工作簿" + s.targetText());
  }
}

StreamWorkbook::~StreamWorkbook() {
  if (state_) state_->abandon();
  // The atomic file removes the temporary unless the save renamed it.
}

const std::string& StreamWorkbook::sheetName() const { return state_->sheetName; }

void StreamWorkbook::setColumnNumberFormat(int column, std::string_view localFormat) {
  State& s = *state_;
  s.checkOpen();
  s.checkCell(1, column);
  if (s.anyCell) s.fail("列格式须在写入第一个单元格之前设置");
  Column& c = s.column(column);
  c.numberFormat = std::string(localFormat);
  c.plain = s.format(c.numberFormat, false, false, 0);
}

void StreamWorkbook::setText(int row, int column, std::string_view text) {
  State& s = *state_;
  const State::Target t = s.prepare(row, column);
  const CellValue value = ConvertTypedText(text, *t.numberFormat == kTextFormat);
  switch (value.kind) {
    case CellValue::Kind::Number:
      s.writeNumber(row, column, value.number, t);
      break;
    case CellValue::Kind::Text:
      s.writeString(row, column, value.text, t);
      break;
    case CellValue::Kind::Empty:
      if (t.format)
        s.check(worksheet_write_blank(s.sheet, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(column - 1),
                                      t.format));
      s.written(row, column);
      break;
  }
}

void StreamWorkbook::setString(int row, int column, std::string_view text) {
  State& s = *state_;
  s.writeString(row, column, text, s.prepare(row, column));
}

void StreamWorkbook::setNumber(int row, int column, double value) {
  State& s = *state_;
  if (!std::isfinite(value)) s.fail("单元格（第" + std::to_string(row) + "行，第" + std::to_string(column) + "列）的数值无效");
  s.writeNumber(row, column, value, s.prepare(row, column));
}

void StreamWorkbook::setInteger(int row, int column, std::int64_t value) {
  setNumber(row, column, static_cast<double>(value));
}

void StreamWorkbook::setFont(int row, int column, bool bold, double size) {
  state_->lookOf(row, column).font = std::make_pair(bold, size);
}

void StreamWorkbook::setCellNumberFormat(int row, int column, std::string_view localFormat) {
  state_->lookOf(row, column).numberFormat = std::string(localFormat);
}

void StreamWorkbook::autoFitColumns(int first, int last) {
  State& s = *state_;
  s.checkOpen();
  if (first < 1 || last > kMaxColumns || first > last) return;
  for (int col = first; col <= last; ++col) s.column(col).fit = true;
}

void StreamWorkbook::save() {
  State& s = *state_;
  s.checkOpen();
  try {
    // Cells left blank with a look of their own, then the column part of the sheet.
    for (auto& [cell, look] : s.looks) {
      s.currentRow = cell.first;
      s.writeBlank(cell.first, cell.second, look);
    }
    s.looks.clear();
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
      Column& c = s.columns[i];
      if (c.anyNumber) {
        State::noteText(c, DisplayedNumber(c.largest, c.numberFormat));
        State::noteText(c, DisplayedNumber(c.smallest, c.numberFormat));
      }
      if (!c.fit && !c.plain) continue;
      const double width = c.fit && c.widest > 0 ? std::min(c.widest, kMaxColumnWidth) : LXW_DEF_COL_WIDTH;
      s.check(worksheet_set_column(s.sheet, static_cast<lxw_col_t>(i), static_cast<lxw_col_t>(i), width, c.plain));
    }
  } catch (...) {
    s.abandon();
    s.file.discard();
    throw;
  }
  // The library does not check its writes of the row data, so a full disk would give a workbook
  // cut short without an error: the rows are flushed and checked here, and the sheet part in the
  // package is read back after the close.
  lxw_worksheet_write_single_row(s.sheet);
  std::FILE* rows = s.sheet->optimize_tmpfile;
  const bool rowsWritten = std::fflush(rows) == 0 && !std::ferror(rows);
  const long rowBytes = std::ftell(rows);
  if (!rowsWritten || rowBytes < 0) {
    s.abandon();
    s.saved = true;
    s.file.discard();
    s.fail("无法保存工作簿" + s.targetText() + "：写入数据时出错（磁盘空间不足？）");
  }
  // A close that cannot make its file fails before it takes the row file over, leaving that file
  // open; so the temporary is opened once here, and a folder gone is told before the close.
  try {
    s.file.open();
    s.file.close();
  } catch (const files::AtomicFileError& e) {
    s.abandon();
    s.saved = true;
    s.file.discard();
    throw OfficeError(e.what());
  }
  // ZIP64 only when a part may pass 4 GB: other readers (libzip among them) find fault with the
  // library's ZIP64 entries, so a workbook of ordinary size is written without.
  s.workbook->options.use_zip64 = static_cast<std::int64_t>(rowBytes) > (std::int64_t{3} << 30) ? LXW_TRUE : LXW_FALSE;
  const lxw_error closed = workbook_close(s.workbook);  // frees the workbook whatever the outcome
  s.workbook = nullptr;
  s.saved = true;
  if (closed != LXW_NO_ERROR) {
    s.file.discard();
    s.fail("无法保存工作簿" + s.targetText() + "：" + lxw_strerror(closed));
  }
  if (!SheetPartComplete(s.file.tempPath(), static_cast<std::uint64_t>(rowBytes))) {
    s.file.discard();
    s.fail("无法保存工作簿" + s.targetText() + "：工作表没有完整写入（磁盘空间不足？）");
  }
  try {
    s.file.commit();
  } catch (const files::AtomicFileError& e) {
    s.file.discard();
    throw OfficeError(e.what());
  }
}

}  // namespace velmora::office
