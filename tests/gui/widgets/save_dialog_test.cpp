// The program's save dialog asks its overwrite question for the name that will be written: the
// extension the caller adds is added before the question, not after it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/widgets/qt_prompts.h"
#include "support/modal_dialogs.h"
#include "support/test_paths.h"

using velmora::FileDialogRequest;
using velmora::gui::QtPrompts;
using velmora::testing::TempDir;
using velmora::testing::WhenModalOpens;
using velmora::testing::WriteFileBytes;

namespace {

// Types `typed` into the open save dialog and accepts it.
void TypeAndAccept(QWidget* modal, const QString& typed) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
  auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  edit->setText(typed);
  QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

TEST(SaveDialog, AsksBeforeReplacingTheNameThatWillBeWritten) {
  struct Case {
    const char* typed;
    const char* extension;
    bool answerYes;          // to the overwrite question, when it comes
    bool question;           // the question is asked
    const char* written;     // the name returned; empty for none
  } cases[] = {
      {"backup1", "mdb", true, true, "backup1.mdb"},      // the extension is added: the existing file is asked about
      {"backup1", "mdb", false, true, ""},                // 否: the dialog opens again; then it is cancelled
      {"backup1.mdb", "mdb", true, true, "backup1.mdb"},  // typed in full: one question, not two
      {"backup2", "mdb", true, false, "backup2.mdb"},     // a new name: no question
      {"list", "dat", true, true, "list.dat"},            // a package typed without .dat
      {"list.x", "dat", true, false, "list.x.dat"},       // another suffix: the extension still follows
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TempDir dir;
    WriteFileBytes(dir / "backup1.mdb", "old backup");
    WriteFileBytes(dir / "list.dat", "old package");
    WriteFileBytes(dir / "list.x", "not the package");

    bool dialogShown = false;
    QString questionText;
    int questions = 0;
    bool reopened = false;
    // The watcher for the question outlives a case without one; it must not touch the next case.
    auto live = std::make_shared<bool>(true);
    WhenModalOpens([&, live](QWidget* modal) {
      dialogShown = qobject_cast<QFileDialog*>(modal) != nullptr;
      // The question, when asked, comes while the dialog's exec() has returned or is still open.
      WhenModalOpens(
          [&, live](QWidget* next) {
            if (!*live) return;
            if (auto* box = qobject_cast<QMessageBox*>(next)) {
              ++questions;
              questionText = box->text();
              QPushButton* button = nullptr;
              for (QPushButton* b : box->findChildren<QPushButton*>())
                if (b->text().remove('&').startsWith(c.answerYes ? "是" : "否")) button = b;
              ASSERT_NE(button, nullptr);
              if (!c.answerYes) {
                WhenModalOpens([&](QWidget* again) {
                  reopened = qobject_cast<QFileDialog*>(again) != nullptr;
                  again->close();
                });
              }
              button->click();
            } else {
              next->close();  // no question: the next modal must not be there; close whatever it is
            }
          },
          nullptr, 1500);
      TypeAndAccept(modal, c.typed);
    });
    QtPrompts prompts;
    const std::optional<std::string> chosen =
        prompts.saveFileName(FileDialogRequest{"备份文件存放为", "数据备份文件(*.mdb)|*.mdb", dir.path().string(), "",
                                               c.extension});
    *live = false;
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(questions, c.question ? 1 : 0) << questionText.toStdString();
    if (c.question) {
      EXPECT_TRUE(questionText.contains(QString::fromUtf8(c.written[0] ? c.written : "backup1.mdb")))
          << questionText.toStdString();
    }
    if (!c.answerYes) {
      EXPECT_TRUE(reopened);
    }
    if (c.written[0] == '\0') {
      EXPECT_FALSE(chosen.has_value());
    } else {
      ASSERT_TRUE(chosen.has_value());
      EXPECT_EQ(std::filesystem::path(*chosen), dir / c.written);
    }
    EXPECT_EQ(velmora::testing::ReadFileBytes(dir / "backup1.mdb"), "old backup");
  }
}
