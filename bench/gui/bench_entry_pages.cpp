// velmora-bench-entry [ROUNDS]
// The entry form, offscreen, on a small generated database: the time of a page change with its
// two page checks and the notes, and of a move from field to field with the arrow keys. There is
// no engine floor for these; the figures are milliseconds per change, medians over five runs.
#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "core/catalogue/field_catalogue.h"
#include "core/entry/enabling_rules.h"
#include "core/entry/field_groups.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "core/settings/settings_store.h"
#include "gui/entry/message_list_win.h"
#include "gui/records/grid_bound_records.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/record_grid.h"

namespace {

using velmora::bench::Median;
using velmora::bench::Stopwatch;

// Messages go to standard error (silenced by run.sh); questions are answered "no".
using QuietPrompts = velmora::ConsolePrompts;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  namespace gui = velmora::gui;
  namespace entry = velmora::entry;

  QTemporaryDir folder;
  const std::string program = folder.path().toStdString();
  velmora::GenerateDatabase(SHIPPED_DATABASE, program + "/2012Velmora.mdb", velmora::GenerateOptions{12, 7, 0});
  velmora::settings::MemorySettingsStore store;
  velmora::settings::ScopedStore scoped(store);
  QuietPrompts prompts;
  velmora::session::DatabaseSession session(program, prompts);
  if (!session.OpenDatabase("")) return 1;
  gui::RecordGrid grid(session, prompts);
  grid.setFieldData(velmora::catalogue::LoadFieldData(session.SysADOConnection(), session.Edition()));
  grid.open();
  gui::GridBoundRecords records(grid);
  gui::TdlgSurveyDataForm form(session, prompts);
  form.setBoundRecords(&records);

  // Record 2 modified, reporting as a private company (every page open), with values that pass
  // every rule, so that the page checks run and say nothing.
  grid.setCurrentRow(2);
  form.IsNew = false;
  form.FormShow();
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form)) std::cerr << "the form did not become active\n";
  entry::EntryForm image = form.image();
  form.applyEffects(entry::ApplyReportingState(form.context(), image, 1));
  image = form.image();
  form.applyEffects(entry::ApplyUnitCategory(form.context(), image, 170));
  auto set = [&](const char* field, const char* plain) { form.numericBox(field)->setPlain(plain); };
  for (const std::string& name : entry::IndicatorFields()) set(name.c_str(), "0");
  form.cover()->c904->setPlain("1");
  for (auto [field, value] : {std::pair{"z001", "1"}, {"z002", "10"}, {"z006", "10"}, {"z010", "1"},
                              {"z012", "1"}, {"z015", "1"}, {"b003", "10"}, {"b004", "5"}, {"b005", "5000"},
                              {"b006", "2000"}, {"b029", "300"}, {"h001", "1"}, {"h002", "5"}, {"f007", "3"}})
    set(field, value);
  if (!form.setActivePage(3)) {
    std::cerr << "page 3 cannot be shown\n";
    return 1;
  }

  QWidget* f003 = form.control("f003");
  std::vector<double> pages, moves;
  for (int run = 0; run < 5; ++run) {
    Stopwatch pageWatch;
    for (int i = 0; i < rounds; ++i) form.setActivePage(i % 2 ? 3 : 5);
    pages.push_back(pageWatch.ms() / rounds);

    Stopwatch moveWatch;
    for (int i = 0; i < rounds; ++i) {
      for (int page = 0; page < form.DataPage()->count(); ++page)
        if (form.DataPage()->widget(page)->isAncestorOf(f003)) form.DataPage()->setCurrentIndex(page);
      f003->setFocus(Qt::OtherFocusReason);
      if (QWidget* target = QApplication::focusWidget()) QTest::keyClick(target, Qt::Key_Down);
    }
    moves.push_back(moveWatch.ms() / rounds);
  }
  std::printf("page change with two page checks and notes: %.2f ms\n", Median(pages));
  std::printf("field to field: %.3f ms\n", Median(moves));
  form.MessageListWin()->hide();
  form.hide();
  return 0;
}
