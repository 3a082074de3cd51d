#pragma once
// The entry form over a program folder of its own: a generated database of twelve records, the
// record list as the form's record set, scripted prompts and in-memory settings.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>

#include <memory>
#include <string>

#include "core/catalogue/field_catalogue.h"
#include "core/session/session.h"
#include "core/db/statement.h"
#include "core/records/generator.h"
#include "core/settings/settings_store.h"
#include "gui/entry/message_list_win.h"
#include "gui/records/grid_bound_records.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {

class EntryFormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{12, 7, 0});
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->setFieldData(catalogue::LoadFieldData(session->SysADOConnection(), session->Edition()));
    grid->open();
    records = std::make_unique<GridBoundRecords>(*grid);
    form = std::make_unique<TdlgSurveyDataForm>(*session, prompts);
    form->setBoundRecords(records.get());
  }
  void TearDown() override {
    if (form) {
      form->MessageListWin()->hide();
      form->hide();
    }
  }

  // The user leaving a cover field.
  void leave(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
  }
  // A new record's cover filled with valid values, each coded field left as the user would.
  void fillValidCover() {
    TCoverPage* cover = form->cover();
    cover->c902->setText("测试工会");
    cover->c903->setPlain("320102");
    leave(cover->c903);
    cover->c905->setPlain("1");
    leave(cover->c905);
    cover->c906->setPlain("110");
    leave(cover->c906);
    cover->c912->setPlain("1");
    leave(cover->c912);
    cover->c910->setText("王明");
    cover->c911->setText("025-1234");
  }

  // The first value of a statement run on the database, as text.
  std::string sql(const std::string& statement) {
    velmora::db::Statement st = velmora::db::Statement::Native(session->SysADOConnection(), statement);
    return st.step() ? st.text(0) : std::string();
  }

  velmora::testing::TempDir dir;
  velmora::testing::ScriptedPrompts prompts;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  std::unique_ptr<GridBoundRecords> records;
  std::unique_ptr<TdlgSurveyDataForm> form;
};

}  // namespace velmora::gui
