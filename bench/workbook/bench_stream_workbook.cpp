// velmora-bench-workbook: a streamed export of N rows × 20 columns through StreamWorkbook against
// libxlsxwriter writing the same cells directly in constant-memory mode (the floor). Each run is
// a child process of its own, so its peak resident memory is measured alone.
//
//   velmora-bench-workbook [--rows N[,N...]] [--runs R] [--dir DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "core/office/number_format.h"
#include "core/office/stream_workbook.h"

namespace {

namespace fs = std::filesystem;
using velmora::bench::Median;
using velmora::bench::Stopwatch;

constexpr int kColumns = 20;

// The formats of the columns, as the table export gives them.
const char* ColumnFormat(int column) {
  if (column <= 2) return "@";
  if (column == 3) return "yyyy-mm-dd";
  if (column <= 13) return "#,##0_ ";
  if (column <= 18) return "￥#,##0.00;￥-#,##0.00";
  return "";
}

// The cells of one row, the same for both writers.
struct RowData {
  std::string code, name, date, typed, note;
  std::int64_t counts[10];
  double amounts[5];
};

void Fill(RowData& r, std::int64_t i) {
  r.code = std::to_string(100000000000 + i);
  r.code[0] = '0';
  r.name = "某某市第" + std::to_string(i % 977) + "基层工会委员会";
  r.date = "2024-" + std::to_string(10 + i % 3) + "-" + std::to_string(10 + i % 19);
  r.typed = std::to_string(i % 1000);
  r.note = i % 5 ? std::string() : "备注" + std::to_string(i);
  for (int k = 0; k < 10; ++k) r.counts[k] = (i * (k + 7)) % 100000;
  for (int k = 0; k < 5; ++k) r.amounts[k] = static_cast<double>((i * (k + 3)) % 1000000) / 4;
}

void WriteOurs(const fs::path& file, std::int64_t rows) {
  using velmora::office::StreamWorkbook;
  StreamWorkbook book(file.string(), "基层工会查询结果");
  for (int c = 1; c <= kColumns; ++c)
    if (*ColumnFormat(c)) book.setColumnNumberFormat(c, ColumnFormat(c));
  book.setFont(2, 1, true, 12);
  book.setString(2, 1, "导出日期:");
  book.setCellNumberFormat(2, 2, "@");
  book.setText(2, 2, "2024-05-01");
  for (int c = 1; c <= kColumns; ++c) book.setString(3, c, "列" + std::to_string(c));
  RowData r;
  for (std::int64_t i = 0; i < rows; ++i) {
    Fill(r, i);
    const int row = static_cast<int>(5 + i);
    book.setText(row, 1, r.code);
    book.setText(row, 2, r.name);
    book.setText(row, 3, r.date);
    for (int k = 0; k < 10; ++k) book.setInteger(row, 4 + k, r.counts[k]);
    for (int k = 0; k < 5; ++k) book.setNumber(row, 14 + k, r.amounts[k]);
    book.setText(row, 19, r.typed);
    book.setText(row, 20, r.note);
  }
  book.autoFitColumns(1, kColumns);
  book.save();
}

void WriteFloor(const fs::path& file, std::int64_t rows) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  std::string tmpdir = file.parent_path().string();
  options.tmpdir = tmpdir.data();
  lxw_workbook* wb = workbook_new_opt(file.string().c_str(), &options);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "基层工会查询结果");
  // One format per distinct code, as a careful direct user makes them: the library looks a
  // duplicate format up again for every cell.
  lxw_format* formats[kColumns + 1] = {};
  for (int c = 1; c <= kColumns; ++c) {
    if (!*ColumnFormat(c)) continue;
    for (int earlier = 1; earlier < c && !formats[c]; ++earlier)
      if (std::string(ColumnFormat(earlier)) == ColumnFormat(c)) formats[c] = formats[earlier];
    if (formats[c]) continue;
    formats[c] = workbook_add_format(wb);
    format_set_num_format(formats[c], velmora::office::FormatCode(ColumnFormat(c)).c_str());
  }
  lxw_format* bold = workbook_add_format(wb);
  format_set_bold(bold);
  format_set_font_size(bold, 12);
  worksheet_write_string(ws, 1, 0, "导出日期:", bold);
  worksheet_write_string(ws, 1, 1, "2024-05-01", formats[1]);
  for (int c = 1; c <= kColumns; ++c) worksheet_write_string(ws, 2, static_cast<lxw_col_t>(c - 1), ("列" + std::to_string(c)).c_str(), nullptr);
  RowData r;
  for (std::int64_t i = 0; i < rows; ++i) {
    Fill(r, i);
    const auto row = static_cast<lxw_row_t>(4 + i);
    worksheet_write_string(ws, row, 0, r.code.c_str(), formats[1]);
    worksheet_write_string(ws, row, 1, r.name.c_str(), formats[2]);
    worksheet_write_string(ws, row, 2, r.date.c_str(), formats[3]);
    for (int k = 0; k < 10; ++k)
      worksheet_write_number(ws, row, static_cast<lxw_col_t>(3 + k), static_cast<double>(r.counts[k]), formats[4 + k]);
    for (int k = 0; k < 5; ++k) worksheet_write_number(ws, row, static_cast<lxw_col_t>(13 + k), r.amounts[k], formats[14 + k]);
    worksheet_write_number(ws, row, 18, std::strtod(r.typed.c_str(), nullptr), nullptr);
    if (!r.note.empty()) worksheet_write_string(ws, row, 19, r.note.c_str(), nullptr);
  }
  for (int c = 1; c <= kColumns; ++c)
    worksheet_set_column(ws, static_cast<lxw_col_t>(c - 1), static_cast<lxw_col_t>(c - 1), 12, formats[c]);
  if (workbook_close(wb) != LXW_NO_ERROR) std::exit(2);
}

struct Run {
  double ms = 0;
  double peakMb = 0;
  bool ok = false;
};

// Runs `write` in a child process; the time is the child's wall time, the memory its peak.
Run InChild(const std::function<void()>& write) {
  Stopwatch watch;
  const pid_t child = fork();
  if (child == 0) {
    try {
      write();
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      _exit(1);
    }
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Run run;
  run.ms = watch.ms();
  run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::int64_t> sizes{100000};
  int runs = 3;
  fs::path dir = "/tmp/velmora-bench-workbook";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i], value = argv[i + 1];
    if (arg == "--rows") {
      sizes.clear();
      std::stringstream in(value);
      for (std::string part; std::getline(in, part, ',');) sizes.push_back(std::stoll(part));
    } else if (arg == "--runs") {
      runs = std::stoi(value);
    } else if (arg == "--dir") {
      dir = value;
    } else {
      std::cerr << "usage: velmora-bench-workbook [--rows N[,N...]] [--runs R] [--dir DIR]\n";
      return 2;
    }
  }
  fs::create_directories(dir);
  std::printf("%-10s %12s %12s %7s %12s %12s\n", "rows", "ours ms", "floor ms", "ratio", "ours MB", "floor MB");
  for (std::int64_t rows : sizes) {
    std::vector<double> ours, floor, oursMb, floorMb;
    for (int r = 0; r < runs; ++r) {
      const fs::path a = dir / "ours.xlsx", b = dir / "floor.xlsx";
      // Alternate which goes first, so neither always meets a warm or a busy disk.
      Run o, f;
      if (r % 2 == 0) {
        o = InChild([&] { WriteOurs(a, rows); });
        f = InChild([&] { WriteFloor(b, rows); });
      } else {
        f = InChild([&] { WriteFloor(b, rows); });
        o = InChild([&] { WriteOurs(a, rows); });
      }
      if (!o.ok || !f.ok) {
        std::cerr << "a run failed\n";
        return 1;
      }
      ours.push_back(o.ms);
      floor.push_back(f.ms);
      oursMb.push_back(o.peakMb);
      floorMb.push_back(f.peakMb);
      if (!std::getenv("VELMORA_BENCH_KEEP")) {  // kept for a look at the two workbooks
        fs::remove(a);
        fs::remove(b);
      }
    }
    const double oursMs = Median(ours), floorMs = Median(floor);
    std::printf("%-10lld %12.0f %12.0f %7.2f %12.1f %12.1f\n", static_cast<long long>(rows), oursMs, floorMs,
                oursMs / floorMs, Median(oursMb), Median(floorMb));
  }
  return 0;
}
