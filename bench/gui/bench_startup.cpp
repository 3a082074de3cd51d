// velmora-bench-gui DATABASE [RUNS]
// The main window on a large database, offscreen: from the window's creation until its first rows
// are painted; jumping to the last row; the program's resident memory afterwards. The floor is
// the same SQL through plain SQLite in the same run (count plus the first page by c901, and the
// last page read backwards).
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "../bench_timing.h"
#include "core/session/session.h"
#include "core/settings/settings.h"
#include "gui/app/main_window.h"
#include "gui/records/grid_bound_records.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/qt_prompts.h"

namespace {

using velmora::bench::Median;
using velmora::bench::Stopwatch;

long ResidentKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

// Count plus the first page by c901 (or the last page, read backwards), in plain SQLite.
double FloorMs(const std::string& file, bool lastPage) {
  Stopwatch w;
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  for (const char* sql : {"select count(*) from dt_data",
                          lastPage ? "select * from view_data order by c901 desc limit 50"
                                   : "select * from view_data order by c901 asc limit 50"}) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
      for (int i = 0; i < sqlite3_column_count(st); ++i) sqlite3_column_value(st, i);
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return w.ms();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: velmora-bench-gui DATABASE [RUNS]\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string database = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  // The program folder holds the database under the default name.
  QTemporaryDir folder;
  const std::string program = folder.path().toStdString();
  if (!QFile::link(QString::fromStdString(database), folder.filePath("2012Velmora.mdb"))) {
    std::cerr << "cannot link " << database << "\n";
    return 1;
  }
  velmora::settings::MemorySettingsStore store;
  velmora::settings::ScopedStore scoped(store);
  velmora::gui::QtPrompts prompts;

  std::vector<double> open, last, floorOpen, floorLast, formOpen, formLoad, formBuild;
  long records = 0;
  for (int i = 0; i < runs; ++i) {
    velmora::session::DatabaseSession session(program, prompts);
    Stopwatch w;
    if (!session.OpenDatabase("")) return 1;
    velmora::gui::TMainForm window(session, prompts);
    window.resize(1280, 800);
    window.FormCreate();
    window.show();
    QApplication::processEvents();
    window.recordGrid()->viewport()->repaint();  // the first rows are on screen
    window.recordGrid()->model()->data(window.recordGrid()->model()->index(0, 1));
    open.push_back(w.ms());
    records = window.recordGrid()->recordCount();

    Stopwatch j;
    velmora::gui::RecordGrid* grid = window.recordGrid();
    grid->setCurrentRow(static_cast<int>(records - 1));
    QApplication::processEvents();
    grid->viewport()->repaint();
    // the last row's values are read (from the page cache or the database)
    grid->model()->data(grid->model()->index(static_cast<int>(records - 1), 1));
    last.push_back(j.ms());

    // The entry form: building its window (once, at start), then opening it on a record
    // (caches, record, shown).
    grid->setCurrentRow(static_cast<int>(records / 2));
    velmora::gui::GridBoundRecords bound(*grid);
    {
      Stopwatch b;
      velmora::gui::TdlgSurveyDataForm form(session, prompts, &window);
      formBuild.push_back(b.ms());
      Stopwatch f;
      form.IsNew = false;
      form.setBoundRecords(&bound);
      form.FormShow();
      form.show();
      QApplication::processEvents();
      formOpen.push_back(f.ms());
      Stopwatch l;
      form.LoadRecord();
      formLoad.push_back(l.ms());
      form.hide();
    }

    floorOpen.push_back(FloorMs(program + "/2012Velmora.mdb", false));
    floorLast.push_back(FloorMs(program + "/2012Velmora.mdb", true));
  }
  auto row = [](const char* op, double ours, double floor) {
    std::printf("| %s | %.1f | %.1f | %.2f |\n", op, ours, floor, floor > 0 ? ours / floor : 0.0);
  };
  std::printf("records: %ld, runs: %d\n\n", records, runs);
  std::printf("| operation | ours median (ms) | floor median (ms) | ratio |\n|---|---:|---:|---:|\n");
  row("main window to first rows", Median(open), Median(floorOpen));
  row("jump to the last row", Median(last), Median(floorLast));
  std::printf("| entry form opened on a record | %.1f | | |\n", Median(formOpen));
  std::printf("| entry form window built (once, at start) | %.1f | | |\n", Median(formBuild));
  std::printf("| entry form loads a record again | %.1f | | |\n", Median(formLoad));
  std::printf("\nresident memory: %ld KB now, %ld KB at the peak\n", ResidentKb("VmRSS:"), ResidentKb("VmHWM:"));
  return 0;
}
