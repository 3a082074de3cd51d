// The entry form: binding by name, the numeric boxes, the reporting state closing every box, the
// temporary and formal save while adding, and the close question.
#include "gui/entry/survey_data_form.h"

#include <gtest/gtest.h>
#include <QScreen>
#include <QScrollBar>
#include <QScrollArea>

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QStyleOptionFrame>
#include <QToolButton>

#include "core/catalogue/field_catalogue.h"
#include "core/entry/field_groups.h"
#include "core/records/generator.h"
#include "core/settings/settings_store.h"
#include "gui/entry/message_list_win.h"
#include "gui/entry/bound_records.h"
#include "gui/widgets/code_name_box.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/records/record_grid.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "gui/entry_fixture.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class EntryFormTest : public EntryFormFixture {
 protected:
  void open(bool adding) {
    form->IsNew = adding;
    form->FormShow();
    form->show();
  }
  void type(TNumericEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
  }
};

// The room a line edit gives its text: the contents rect of its frame less the edit's own margins.
int TextRoom(const QLineEdit& box) {
  QStyleOptionFrame opt;
  opt.initFrom(&box);
  opt.rect = box.rect();
  opt.lineWidth = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &box);
  const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &box);
  const QMargins text = box.textMargins();
  return contents.width() - text.left() - text.right() - 2 * 2;  // QLineEdit keeps 2 pixels each side
}

// Every number box, on every page of the form at its default size, shows the widest value its limit
// allows in full, as it shows it when not edited (with thousands separators or zero-padded).
TEST_F(EntryFormTest, EveryBoxShowsItsWidestValueAtTheDefaultSize) {
  open(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  form->setFocus();
  for (int page = 0; page < form->DataPage()->count(); ++page) {
    form->DataPage()->setCurrentIndex(page);
    QApplication::processEvents();
    for (TNumericEdit* box : form->DataPage()->widget(page)->findChildren<TNumericEdit*>()) {
      SCOPED_TRACE(box->objectName().toStdString());
      const int digits = std::min<int>(box->maxChars() > 0 ? box->maxChars() : 14,
                                       QString::number(static_cast<qlonglong>(box->maximum())).size());
      QStringList widest{QString(digits, QLatin1Char('9'))};
      if (box->decimals())
        for (int fraction = 1; fraction <= 6; ++fraction)
          widest << QString(14 - fraction, QLatin1Char('9')) + "." + QString(fraction, QLatin1Char('9'));
      for (const QString& plain : widest) {
        box->setPlain(plain);
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), TextRoom(*box)) << box->text().toStdString();
      }
      box->setPlain(QString());
    }
  }
}

// The form is as wide as its widest page where the screen has the room, so no page scrolls
// sideways; where it has not, a page's titles stay in view whichever box has the focus.
TEST_F(EntryFormTest, APagesTitlesStayInViewWhereverTheFocusIs) {
  open(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const int screenWidth = form->screen()->availableGeometry().width();
  for (int page = 1; page < form->DataPage()->count(); ++page) {
    form->DataPage()->setCurrentIndex(page);
    QApplication::processEvents();
    auto* scroll = form->DataPage()->widget(page)->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr) << page;
    SCOPED_TRACE(form->DataPage()->tabText(page).toStdString());
    const bool fits = scroll->widget()->minimumSizeHint().width() <= scroll->viewport()->width();
    if (form->width() + 32 < screenWidth) {
      EXPECT_TRUE(fits) << "the form stayed narrower than the screen allows";
    }
    // The box farthest to the right takes the focus.
    QWidget* rightmost = nullptr;
    for (TNumericEdit* box : scroll->widget()->findChildren<TNumericEdit*>())
      if (!rightmost || box->mapTo(scroll->widget(), QPoint()).x() > rightmost->mapTo(scroll->widget(), QPoint()).x())
        rightmost = box;
    ASSERT_NE(rightmost, nullptr);
    scroll->ensureWidgetVisible(rightmost);
    QApplication::processEvents();
    if (fits) {
      EXPECT_EQ(scroll->horizontalScrollBar()->value(), 0);
    }
    for (QLabel* title : scroll->widget()->findChildren<QLabel*>()) {
      if (title->property("cell").isValid() || title->text().isEmpty()) continue;  // header and code cells
      const int left = title->mapTo(scroll->viewport(), title->contentsRect().topLeft()).x();
      EXPECT_GE(left, 0) << title->text().toStdString();
      EXPECT_LE(left + title->fontMetrics().horizontalAdvance(title->text()), scroll->viewport()->width())
          << title->text().toStdString();
    }
  }
}

TEST_F(EntryFormTest, EveryColumnFindsItsControlByNameWhateverTheCase) {
  EXPECT_EQ(form->windowTitle(), "基层工会数据");
  ASSERT_EQ(form->DataPage()->count(), 8);
  EXPECT_EQ(form->DataPage()->tabText(7), "表7&&表8");
  EXPECT_EQ(form->DataPage()->tabToolTip(4), "工会劳动保护工作");
  for (const std::string& name : entry::IndicatorFields()) {
    const QString field = QString::fromStdString(name);
    TNumericEdit* box = form->numericBox(field.toUpper());
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box, form->control(field));
    EXPECT_EQ(box->decimals(), name == "b005" || name == "b006" || name == "b011" || name == "b025" ||
                                   name == "b029" || name == "j011")
        << name;
  }
  EXPECT_EQ(form->control("l001")->objectName(), "L001");
  EXPECT_EQ(form->control("c907")->objectName(), "C907");
  EXPECT_EQ(form->control("w005"), nullptr);
  EXPECT_EQ(form->control("RecordState"), nullptr);

  // Modifying fills the boxes from the stored row through the same names.
  grid->setCurrentRow(4);
  open(false);
  const std::string code = sql("select cast(c901 as integer) from dt_data order by c901 limit 1 offset 4");
  EXPECT_EQ(form->cover()->c901->plainText().toStdString(), code);
  for (const char* name : {"z002", "l004", "c907", "j011", "c902"}) {
    const std::string stored = sql(std::string("select ") + name + " from dt_data where c901=" + code);
    QWidget* w = form->control(name);
    const QString shown = qobject_cast<TNumericEdit*>(w) ? qobject_cast<TNumericEdit*>(w)->plainText()
                                                         : qobject_cast<ValidEdit*>(w)->text();
    EXPECT_DOUBLE_EQ(shown.toDouble(), QString::fromStdString(stored).toDouble()) << name;
    if (!qobject_cast<TNumericEdit*>(w)) {
      EXPECT_EQ(shown.toStdString(), stored) << name;
    }
  }
  EXPECT_EQ(form->ItemNo()->text(), "第5条/共12条");
  EXPECT_FALSE(form->button("tbSave")->isEnabled());
  EXPECT_TRUE(form->button("tbPrint")->isEnabled());  // a stored record, nothing changed: it prints
}

TEST_F(EntryFormTest, BoxesRefuseWhatTheirColumnCannotHold) {
  open(true);
  struct Case {
    const char* field;
    const char* typed;
    const char* kept;
  } cases[] = {
      {"z002", "12a3", "123"},                    // letters are refused
      {"z002", "1.5", "15"},                      // whole numbers only
      {"b005", "1234.56", "1234.56"},             // an amount takes a fraction
      {"b005", "1.2.3", "1.23"},                  // one point
      {"z022", "3", ""},                          // a 0-2 code: one character up to 2
      {"z022", "21", "2"},
      {"w001", "7", ""},                          // up to 5
      {"w002", "45", "4"},
      {"z006", "123456789012345", "12345678901234"},  // 14 digits
  };
  for (const Case& c : cases) {
    TNumericEdit* box = form->numericBox(c.field);
    box->clearValue();
    type(box, c.typed);
    EXPECT_EQ(box->plainText().toStdString(), c.kept) << c.field << " " << c.typed;
  }
  // 64-bit values survive the box exactly, and are shown grouped once left.
  TNumericEdit* big = form->numericBox("z006");
  big->setPlain("99999999999999");
  form->cover()->c901->setFocus();
  EXPECT_EQ(big->integerValue(), 99999999999999LL);
  EXPECT_EQ(big->text(), "99,999,999,999,999");
  // A blank indicator counts as 0.
  big->clearValue();
  EXPECT_EQ(big->value(), 0);
}

TEST_F(EntryFormTest, ReportingStateAboveTwoClosesEveryIndicatorAndOneOpensThemAgain) {
  grid->setCurrentRow(0);
  open(false);
  TNumericEdit* c912 = form->cover()->c912;
  c912->setPlain("3");
  leave(c912);
  int closed = 0;
  for (const std::string& name : entry::IndicatorFields()) {
    TNumericEdit* box = form->numericBox(QString::fromStdString(name));
    if (!box->isEnabled() && box->integerValue() == 0) ++closed;
  }
  EXPECT_EQ(closed, 142);
  EXPECT_FALSE(form->button("tbCheck")->isEnabled());
  EXPECT_FALSE(form->MessageListWin()->isVisible());

  c912->setPlain("1");
  leave(c912);
  EXPECT_TRUE(form->numericBox("z002")->isEnabled());
  EXPECT_TRUE(form->button("tbCheck")->isEnabled());
}

TEST_F(EntryFormTest, TemporaryThenFormalSaveStoresOneRowAndStartsTheNextRecord) {
  open(true);
  const std::string proposed = form->cover()->c901->plainText().toStdString();
  EXPECT_EQ(proposed, std::to_string(std::stoll(sql("select max(c901) from dt_data")) + 1));
  TCoverPage* cover = form->cover();
  fillValidCover();
  EXPECT_TRUE(form->button("tbHold")->isEnabled());
  EXPECT_EQ(cover->CityNameCtrl->rememberedCode(), 320102);

  ASSERT_TRUE(form->tbHoldClick()) << prompts.lastMessage();
  EXPECT_EQ(prompts.lastMessage(), "数据已经被临时保存。");
  EXPECT_EQ(sql("select count(*) from dt_data where c901=" + proposed), "1");
  EXPECT_EQ(sql("select RecordState from dt_data where c901=" + proposed), "0");

  form->numericBox("z002")->setPlain("25");
  ASSERT_TRUE(form->tbSaveClick());
  EXPECT_EQ(sql("select count(*) from dt_data where c901=" + proposed), "1");
  EXPECT_NE(sql("select RecordState from dt_data where c901=" + proposed), "0");
  EXPECT_EQ(sql("select z002 from dt_data where c901=" + proposed), "25");
  // A fresh record with the next code, remembering the division, filler and telephone.
  EXPECT_EQ(cover->c901->plainText().toStdString(), std::to_string(std::stoll(proposed) + 1));
  EXPECT_TRUE(cover->c902->text().isEmpty());
  EXPECT_EQ(cover->c903->integerValue(), 320102);
  EXPECT_EQ(cover->c910->text(), "王明");
  EXPECT_FALSE(form->isModified());
}

TEST_F(EntryFormTest, CloseQuestionKeepsWhatWasTypedUnlessTheUserDropsIt) {
  grid->setCurrentRow(1);
  open(false);
  const std::string code = form->cover()->c901->plainText().toStdString();
  const std::string before = sql("select c902 from dt_data where c901=" + code);

  // Nothing changed: no question.
  form->reject();
  EXPECT_TRUE(prompts.messages.empty());
  open(false);

  struct Step {
    const char* how;
    Answer answer;
    bool staysOpen;
  } steps[] = {{"close box", Answer::Cancel, true}, {"返回", Answer::Cancel, true}, {"close box", Answer::No, false}};
  for (const Step& step : steps) {
    form->cover()->c902->setText("改过的名称");
    prompts.messages.clear();
    prompts.askAnswers = {step.answer};
    if (std::string(step.how) == "返回") form->button("tbReturn")->click();
    else form->close();
    ASSERT_EQ(prompts.messages.size(), 1u) << step.how;
    EXPECT_EQ(prompts.messages[0], "对数据改动后尚未保存，准备保存这些改动吗？");
    EXPECT_EQ(form->isVisible(), step.staysOpen) << step.how;
    if (step.staysOpen) {
      EXPECT_EQ(form->cover()->c902->text(), "改过的名称");
    }
    EXPECT_EQ(sql("select c902 from dt_data where c901=" + code), before);
  }

  // Yes stores the change before closing.
  open(false);
  form->cover()->c902->setText("改过的名称");
  prompts.askAnswers = {Answer::Yes};
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(sql("select c902 from dt_data where c901=" + code), "改过的名称");
}

TEST_F(EntryFormTest, LeavingTheCoverWithAFaultyCodeIsRefused) {
  grid->setCurrentRow(0);
  open(false);
  form->cover()->c901->setPlain("99999999999");
  EXPECT_FALSE(form->setActivePage(2));
  EXPECT_EQ(form->DataPage()->currentIndex(), 0);
  EXPECT_EQ(prompts.lastMessage(), "本级工会编码必须大于100000000000且必须为12位!");
}

}  // namespace
}  // namespace velmora::gui
