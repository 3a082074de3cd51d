// Printing the annual report form from the main window's list and from the entry form's "打  印",
// as the program shows them: the workbook lands in the documents folder and is opened.
#include <gtest/gtest.h>

#include <QApplication>
#include <QToolButton>

#include <filesystem>
#include <memory>
#include <string>

#include "core/office/template_workbook.h"
#include "core/print/record_print.h"
#include "core/session/session.h"
#include "gui/app/main_window.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "support/database.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;
using velmora::testing::ScriptedPrompts;
using velmora::testing::WhenModalOpens;

class RecordPrintWindowTest : public ::testing::Test {
 protected:
  RecordPrintWindowTest() {
    fs::create_directories(dir / "program");
    fs::create_directories(dir / "docs");
    fs::copy_file(velmora::testing::ShippedDatabase(), dir / "program" / "2012Velmora.mdb");
    fs::copy_file(velmora::testing::ProgramDir() / print::kPrintTemplateName, dir / "program" / print::kPrintTemplateName);
    file = dir.copyOfShipped("work.mdb");
    velmora::testing::Exec(file,
                           "insert into dt_data (c901, c902, z001, RecordState) values (110101000001, '甲工会', 7, 1);"
                           "insert into dt_data (c901, c902, z001, RecordState) values (110101000002, '乙工会', 8, 1)");
    session = std::make_unique<session::DatabaseSession>((dir / "program").string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase(file.string()));
  }

  velmora::testing::TempDir dir;
  fs::path file;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(RecordPrintWindowTest, TheListPrintsItsCurrentRecordOnTheFirstSheet) {
  TMainForm w(*session, prompts);
  w.FormCreate();
  ASSERT_TRUE(w.action("actPrint")->isEnabled());
  w.action("actPrint")->trigger();
  ASSERT_EQ(prompts.openedDocuments.size(), 1u) << prompts.lastMessage();
  const fs::path printed = prompts.openedDocuments.front();
  EXPECT_EQ(printed.parent_path(), dir / "docs");
  EXPECT_EQ(printed.filename().string().rfind("年报表-110101000001-", 0), 0u) << printed;
  office::TemplateWorkbook book = office::TemplateWorkbook::Open(printed.string());
  EXPECT_EQ(book.activeSheet(), 1);
  EXPECT_EQ(book.sheet(1).value(5, 3), office::CellValue::Text("110101000001"));
}

TEST_F(RecordPrintWindowTest, TheEntryFormPrintsWhatItShowsUntilSomethingChanges) {
  TMainForm w(*session, prompts);
  w.FormCreate();
  bool ran = false;
  WhenModalOpens([&](QWidget* modal) {
    auto* form = qobject_cast<TdlgSurveyDataForm*>(modal);
    ASSERT_NE(form, nullptr);
    QApplication::processEvents();
    QToolButton* print = form->button("tbPrint");
    EXPECT_TRUE(print->isEnabled());
    print->click();
    EXPECT_EQ(prompts.openedDocuments.size(), 1u) << prompts.lastMessage();
    form->numericBox("z001")->setPlain("9");
    EXPECT_FALSE(print->isEnabled());
    ran = true;
    prompts.askAnswers = {Answer::No};
    form->button("tbReturn")->click();
  });
  w.action("actModify")->trigger();
  EXPECT_TRUE(ran);
  ASSERT_EQ(prompts.openedDocuments.size(), 1u);
  office::TemplateWorkbook book = office::TemplateWorkbook::Open(prompts.openedDocuments.front());
  EXPECT_GT(book.activeSheet(), 1);  // the last sheet filled stays active
}

TEST_F(RecordPrintWindowTest, AMissingTemplateIsToldAndNothingIsOpened) {
  fs::remove(dir / "program" / print::kPrintTemplateName);
  TMainForm w(*session, prompts);
  w.FormCreate();
  w.action("actPrint")->trigger();
  EXPECT_EQ(prompts.lastMessage().rfind(std::string(print::kTemplateOpenFailed) + "\n", 0), 0u) << prompts.lastMessage();
  EXPECT_TRUE(prompts.openedDocuments.empty());
  EXPECT_TRUE(fs::is_empty(dir / "docs"));
}

}  // namespace
}  // namespace velmora::gui
