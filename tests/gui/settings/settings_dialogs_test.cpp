#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/settings/settings.h"
#include "gui/app/product_version.h"
#include "gui/app/translation.h"
#include "gui/settings/option_setup_form.h"
#include "gui/settings/program_settings.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/settings/qsettings_store.h"
#include "gui/widgets/question_dialog.h"
#include "gui/widgets/segmented_bar.h"
#include "gui/widgets/top_most.h"
#include "gui/widgets/qt_prompts.h"
#include "support/modal_dialogs.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using settings::kDataKey;
using settings::kEnvSettingKey;
using settings::kProgramKey;
using settings::kProgramRoot;
using settings::SettingValue;

QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

void WriteText(const std::filesystem::path& file, const std::string& text) {
  velmora::testing::WriteFileBytes(file, text);
}

// ---- the QSettings store ----

TEST(QSettingsStore, ValuesKeepTheirTypesAcrossInstances) {
  velmora::testing::TempDir dir;
  const QString file = Q(dir / "Velmora.json");
  {
    QSettingsStore store(file);
    settings::ScopedStore use(store);
    settings::RegWriteString("c910", "王五", kProgramRoot, kDataKey);
    settings::RegWriteString("c911", "12", kProgramRoot, kDataKey);  // digits, but text
    settings::RegWriteBool("CheckBox1", true, kProgramRoot, kDataKey);
    settings::RegWriteInteger("AppLastCity", 110101, kProgramRoot, kEnvSettingKey);
    settings::RegWriteInteger("ShowGrid", 0);
    settings::RegWriteInteger("AppTyp", -2147483647 - 1);
  }
  QSettingsStore store(file);  // reads the file again
  struct Case {
    std::string key;
    const char* name;
    SettingValue expected;
  };
  const Case cases[] = {
      {kDataKey, "c910", std::string("王五")},       {kDataKey, "c911", std::string("12")},
      {kDataKey, "CheckBox1", true},                 {kEnvSettingKey, "AppLastCity", 110101},
      {kProgramKey, "ShowGrid", 0},                  {kProgramKey, "AppTyp", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(store.read(kProgramRoot, c.key, c.name), c.expected) << c.name;
  EXPECT_FALSE(store.read(kProgramRoot, kDataKey, "ShowGrid").has_value());

  // The groups of the file are the program key's sub-keys.
  QSettings raw(file, QSettingsStore::TypedFileFormat());
  EXPECT_EQ(raw.value("Options/EnvSetting/AppLastCity").toInt(), 110101);
  EXPECT_EQ(raw.value("Data/c910").toString(), QString("王五"));
  EXPECT_EQ(raw.value("ShowGrid").toInt(), 0);
}

TEST(QSettingsStore, ValuesOfAnotherTypeReadAsTheDefaultOrRaise) {
  velmora::testing::TempDir dir;
  WriteText(dir / "Velmora.json",
            R"({"ShowGrid": "1", "AppTyp": 2.5, "Version": 3,
                "Options": {"EnvSetting": {"InputWndStyle": true, "ImePrefer": 5}}})");
  QSettingsStore store(Q(dir / "Velmora.json"));
  settings::ScopedStore use(store);
  EXPECT_EQ(settings::RegReadInteger("ShowGrid", 1), 1);  // text "1"
  EXPECT_EQ(settings::RegReadInteger("AppTyp", 9), 9);    // not a whole number
  EXPECT_EQ(settings::RegReadInteger("InputWndStyle", 0, kProgramRoot, kEnvSettingKey), 1);
  EXPECT_THROW(settings::RegReadString("ImePrefer", "", kProgramRoot, kEnvSettingKey), settings::SettingsError);
  EXPECT_THROW(settings::RegReadString("Version", "000"), settings::SettingsError);
}

TEST(QSettingsStore, TheUsersSettingsLiveUnderTarnwickVelmora) {
  velmora::testing::TempDir dir;
  QSettings::setPath(QSettingsStore::Format(), QSettings::UserScope, Q(dir.path()));
  {
    QSettingsStore store;
    EXPECT_TRUE(store.fileName().startsWith(Q(dir.path())));
    EXPECT_TRUE(store.fileName().contains("Tarnwick")) << store.fileName().toStdString();
    settings::ScopedStore use(store);
    settings::InitRegistrySettings("Velmora", "/opt/velmora");
  }
  QSettingsStore again;
  settings::ScopedStore use(again);
  EXPECT_EQ(settings::RegReadString("ServicePack", ""), "None");
  EXPECT_EQ(settings::RegReadInteger("InputWndStyle", 9, kProgramRoot, kEnvSettingKey), 0);
}

TEST(QSettingsStore, AnInputMethodChosenInTheProgramSurvivesRestarts) {
  velmora::testing::TempDir dir;
  QSettings::setPath(QSettingsStore::Format(), QSettings::UserScope, Q(dir.path()));
  settings::MemorySettingsStore outside;
  settings::ScopedStore keep(outside);  // the program's store is the tests' only inside this scope
  InstallProgramSettings("/opt/velmora", ReadProductVersion().text);
  EXPECT_EQ(settings::PreferredIme, "");
  settings::PreferredIme = "搜狗拼音输入法";  // what the settings dialog does on OK
  settings::RegWriteString("ImePrefer", settings::PreferredIme, kProgramRoot, kEnvSettingKey);
  for (int restart = 0; restart < 2; ++restart) {
    settings::PreferredIme.clear();
    InstallProgramSettings("/opt/velmora", ReadProductVersion().text);
    EXPECT_EQ(settings::PreferredIme, "搜狗拼音输入法") << restart;
  }
  EXPECT_NE(settings::RegReadString("Version", "000"), "000");
  EXPECT_EQ(settings::RegReadString("ServicePack", ""), "None");
  settings::PreferredIme.clear();
}

TEST(QSettingsStore, ARefusedWriteRaises) {
  velmora::testing::TempDir dir;
  WriteText(dir / "plain", "not a folder");
  QSettingsStore store(Q(dir / "plain" / "Velmora.json"));
  EXPECT_THROW(store.write(kProgramRoot, kProgramKey, "ShowGrid", 1), settings::SettingsError);
}

// ---- the progress windows ----

TEST(ProgressBarForm, TextsShowTimesOnlyAfterFiveSecondsWithSomethingDone) {
  struct Case {
    int total, done, steps, ticks;
    const char* label2;
    const char* label3;
  };
  const Case cases[] = {
      {100, 0, 10, 0, "已完成 0", "待完成 100"},             // no tick yet: as started
      {100, 0, 10, 1, "已完成 10", "待完成 90"},
      {100, 0, 10, 50, "已完成 10", "待完成 90"},            // five seconds are not more than five
      {100, 0, 0, 80, "已完成 0", "待完成 100"},             // nothing done: no estimate
      {100, 30, 0, 60, "已完成 30 用时6秒", "待完成 70 尚需14秒"},  // ⌈⌈60/30×70⌉/10⌉
      {7, 3, 0, 51, "已完成 3 用时5秒", "待完成 4 尚需7秒"},        // ⌈51×4/3⌉ = 68 ticks
      {121, 11, 0, 51, "已完成 11 用时5秒", "待完成 110 尚需51秒"}, // exactly 510 ticks
      {100, 0, 100, 70, "已完成 100 用时7秒", "待完成 0 尚需0秒"},
  };
  for (const auto& c : cases) {
    TProgressBarForm form;
    form.StartProgress(c.total, c.done);
    for (int i = 0; i < c.steps; ++i) form.StepProgress();
    for (int i = 0; i < c.ticks; ++i) form.tick();
    EXPECT_EQ(form.Label2()->text(), QString(c.label2)) << c.total << "/" << c.done << " ticks " << c.ticks;
    EXPECT_EQ(form.Label3()->text(), QString(c.label3)) << c.total << "/" << c.done << " ticks " << c.ticks;
  }
}

TEST(ProgressBarForm, TimerRunsFromStartUntilCompleteOrHidden) {
  TProgressBarForm form;
  EXPECT_TRUE(form.Label2()->isHidden());
  EXPECT_FALSE(form.Timer1()->isActive());
  form.show();
  form.StartProgress(3, 1);
  EXPECT_FALSE(form.Label2()->isHidden());
  EXPECT_FALSE(form.Label3()->isHidden());
  EXPECT_TRUE(form.Timer1()->isActive());
  EXPECT_EQ(form.Timer1()->interval(), 100);
  form.StepProgress();
  EXPECT_TRUE(form.Timer1()->isActive());
  form.StepProgress();
  EXPECT_EQ(form.RzProgressBar1()->percent(), 100);
  EXPECT_FALSE(form.Timer1()->isActive());

  // a new run starts the count of ticks again
  form.StartProgress(100, 30);
  for (int i = 0; i < 60; ++i) form.tick();
  EXPECT_TRUE(form.Label2()->text().contains("用时"));
  form.StartProgress(100, 30);
  EXPECT_EQ(form.Label2()->text(), QString("已完成 30"));
  form.tick();
  EXPECT_EQ(form.Label2()->text(), QString("已完成 30"));

  form.hide();
  EXPECT_TRUE(form.Label2()->isHidden());
  EXPECT_TRUE(form.Label3()->isHidden());
  EXPECT_FALSE(form.Timer1()->isActive());
}

TEST(ProgressBarForm, BarCountsPercentOfParts) {
  struct Case {
    int total, done, percent;
  };
  const Case cases[] = {{0, 0, 0}, {0, 5, 0}, {3, 1, 33}, {3, 2, 66}, {3, 3, 100}, {3, 4, 100},
                        {2000000000, 1999999999, 99}};
  for (const auto& c : cases) {
    SegmentedProgressBar bar;
    bar.setTotalParts(c.total);
    bar.setPartsComplete(c.done);
    EXPECT_EQ(bar.percent(), c.percent) << c.done << "/" << c.total;
  }
}

TEST(ProgressBar2LineForm, InitResetsABarAndIncAddsOnePart) {
  TProgressBar2LineForm form;
  EXPECT_EQ(form.windowTitle(), QString("操作进度指示"));
  form.InitFirst(3);
  form.InitSecond(4);
  form.IncFirst();
  form.IncSecond();
  form.IncSecond();
  EXPECT_EQ(form.ProgressBar1()->partsComplete(), 1);
  EXPECT_EQ(form.RzProgressBar2()->partsComplete(), 2);
  form.InitSecond(10);
  EXPECT_EQ(form.RzProgressBar2()->partsComplete(), 0);
  EXPECT_EQ(form.RzProgressBar2()->totalParts(), 10);
  EXPECT_EQ(form.ProgressBar1()->partsComplete(), 1);
}

// ---- the question dialog ----

TEST(QuestionDlg, SizeFollowsTheQuestionAndTheButtonsShown) {
  struct Case {
    int buttons;
    int barWidth;  // 297 less 74 for each hidden button
  };
  const Case cases[] = {{kAskNo | kAskYesToAll, 149}, {kAskYes | kAskNo, 149}, {kAskYes, 75}, {15, 297}};
  for (const auto& c : cases) {
    for (QString text : {QString("继续吗？"), QString("编号为 110101000001 的记录已经存在，是否用导入文件中的记录覆盖它？"
                                                     "其余的冲突记录是否也照此处理？")}) {
      TQuestionDlg dlg;
      dlg.setQuestion(text, c.buttons);
      dlg.show();
      QLabel* q = dlg.Question();
      int expectedWidth = std::max(48 + q->width() + 25, c.barWidth * 3 / 2);
      EXPECT_EQ(q->pos(), QPoint(48, 16));
      EXPECT_EQ(dlg.width(), expectedWidth) << c.buttons << " " << text.size();
      EXPECT_EQ(dlg.height(), 45 + 16 + q->height());
      EXPECT_EQ(dlg.DlgToolBar()->geometry(), QRect(dlg.width() - c.barWidth, dlg.height() - 30, c.barWidth, 30));
      if (text.size() > 10) {
        EXPECT_GT(dlg.width(), c.barWidth * 3 / 2);  // the question decides for a long one
      } else if (c.barWidth >= 149) {
        EXPECT_EQ(dlg.width(), c.barWidth * 3 / 2);  // the buttons for a short one
      }
    }
  }
}

TEST(QuestionDlg, ShowsOnlyTheAskedButtonsInToolBarOrder) {
  TQuestionDlg dlg;
  dlg.setQuestion("继续吗？", kAskNo | kAskYesToAll);
  dlg.show();
  EXPECT_TRUE(dlg.tbOK()->isHidden());
  EXPECT_TRUE(dlg.tbNotToAll()->isHidden());
  EXPECT_EQ(dlg.tbCopyAll()->text(), QString("全都是"));
  EXPECT_EQ(dlg.tbCancel()->text(), QString("否"));
  EXPECT_LT(dlg.tbCopyAll()->x(), dlg.tbCancel()->x());
  EXPECT_EQ(dlg.windowTitle(), QString("提示信息"));
}

// Runs `action` on the modal dialog as soon as it is up.
void OnModal(std::function<void(QWidget&)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    action(*modal);
  });
}

void Click(QWidget& dialog, const char* name) {
  auto* button = dialog.findChild<QPushButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

TEST(QuestionDlg, EachButtonAndTheCloseBoxGiveTheirResult) {
  struct Case {
    const char* button;  // nullptr: the close box
    int result;
    Answer answer;
  };
  const Case cases[] = {{"tbOK", 6, Answer::Yes},          {"tbCancel", 7, Answer::No},
                        {"tbCopyAll", 10, Answer::YesToAll}, {"tbNotToAll", 9, Answer::NoToAll},
                        {nullptr, 2, Answer::Cancel}};
  for (const auto& c : cases) {
    OnModal([&c](QWidget& dlg) {
      if (c.button)
        Click(dlg, c.button);
      else
        dlg.close();
    });
    EXPECT_EQ(AskQuestion("是否覆盖？", 15), c.result) << (c.button ? c.button : "close");

    // the same through the program's prompts, with the buttons the core asks for
    OnModal([&c](QWidget& dlg) {
      if (c.button)
        Click(dlg, c.button);
      else
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    QtPrompts prompts;
    EXPECT_EQ(prompts.ask("是否覆盖？", {Answer::Yes, Answer::No, Answer::YesToAll, Answer::NoToAll}), c.answer);
  }
}

// The program's message boxes: Chinese titles (the given one, else the default of the kind) and
// Qt's standard buttons in Chinese once the translation is loaded.
TEST(QtPromptsBoxes, TitlesAndStandardButtonsAreChinese) {
  ASSERT_TRUE(InstallQtTranslation()) << "qt6-translations-l10n is not installed";
  struct Case {
    const char* title;
    MessageKind kind;
    bool question;
    const char* shownTitle;
    std::vector<const char*> buttons;
  } cases[] = {
      {"", MessageKind::Information, false, "提示信息", {"确定"}},
      {"", MessageKind::Warning, false, "警告信息", {"确定"}},
      {"", MessageKind::Error, false, "警告信息", {"确定"}},
      {"提示：", MessageKind::Information, false, "提示：", {"确定"}},
      {"警告信息", MessageKind::Warning, true, "警告信息", {"是", "否"}},
      {"", MessageKind::Information, true, "提示信息", {"是", "否"}},
  };
  QtPrompts prompts;
  for (const Case& c : cases) {
    QString title;
    QStringList buttons;
    velmora::testing::WhenModalOpens([&](QWidget* box) {
      title = box->windowTitle();
      for (QPushButton* b : box->findChildren<QPushButton*>()) buttons << b->text().remove('&').section('(', 0, 0);
      box->close();
    });
    if (c.question) prompts.confirm("问题", c.title);
    else prompts.message("消息", c.kind, c.title);
    EXPECT_EQ(title, c.shownTitle);
    for (const char* b : c.buttons) EXPECT_TRUE(buttons.contains(b)) << b << " in " << buttons.join(',').toStdString();
  }
}

// A yes/no question of a kind shows that kind's icon, keeps "否" the default and answers as pressed.
TEST(QtPromptsBoxes, YesNoQuestionsCarryTheIconOfTheirKind) {
  struct Case {
    MessageKind kind;
    QMessageBox::Icon icon;
    bool yes;
  } cases[] = {
      {MessageKind::Warning, QMessageBox::Warning, true},
      {MessageKind::Warning, QMessageBox::Warning, false},
      {MessageKind::Information, QMessageBox::Question, true},
      {MessageKind::Error, QMessageBox::Critical, false},
  };
  QtPrompts prompts;
  for (const Case& c : cases) {
    bool shown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText;
    velmora::testing::WhenModalOpens([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box) {
        modal->close();
        return;
      }
      shown = true;
      icon = box->icon();
      defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
      (c.yes ? box->button(QMessageBox::Yes) : box->button(QMessageBox::No))->click();
    });
    EXPECT_EQ(prompts.confirmYesNo("已有这个标记，是否继续？", "", c.kind), c.yes);
    EXPECT_TRUE(shown);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(defaultText, "否");
  }
}

TEST(QuestionDlg, AnswersMapToButtonBits) {
  EXPECT_EQ(ButtonSetFor({Answer::No, Answer::YesToAll}), 6);
  EXPECT_EQ(ButtonSetFor({Answer::Yes, Answer::No, Answer::YesToAll, Answer::NoToAll, Answer::Cancel}), 15);
  EXPECT_EQ(AnswerFor(0), Answer::Cancel);
}

TEST(TopMostLowered, StayOnTopWindowsGoBackOnTopAfterwards) {
  TProgressBarForm progress;
  progress.show();
  {
    TopMostLowered lowered;
    EXPECT_EQ(lowered.count(), 1);
    EXPECT_FALSE(progress.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(progress.isVisible());
  }
  EXPECT_TRUE(progress.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(progress.windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(progress.isVisible());
}

// ---- the settings dialog ----

class FailingStore : public settings::MemorySettingsStore {
 public:
  void write(settings::RegRoot, const std::string&, const std::string&, const SettingValue&) override {
    throw settings::SettingsError("拒绝访问。");
  }
};

class OptionSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::PreferredIme = "搜狗拼音输入法";
    settings::ImportPrincipleFlag = false;
  }
  void TearDown() override {
    settings::PreferredIme.clear();
    settings::ImportPrincipleFlag = false;
  }
  settings::MemorySettingsStore store;
  settings::ScopedStore use{store};
  velmora::testing::ScriptedPrompts prompts;
};

TEST_F(OptionSetup, ShowsTheChosenInputMethodAndOkWritesTheNewChoice) {
  settings::ImportPrincipleFlag = true;
  TdlgOptionSetupForm dlg(prompts);
  dlg.show();
  EXPECT_EQ(dlg.size(), QSize(427, 300));
  EXPECT_FALSE(dlg.cbIme()->isEditable());
  EXPECT_EQ(dlg.cbIme()->currentText(), QString("搜狗拼音输入法"));

  dlg.cbIme()->showPopup();  // fills the list with what the platform reports
  ASSERT_GE(dlg.cbIme()->count(), 2);
  EXPECT_EQ(dlg.cbIme()->itemText(0), QString("系统默认输入法"));
  EXPECT_EQ(dlg.cbIme()->currentText(), QString("搜狗拼音输入法"));
  dlg.cbIme()->hidePopup();
  dlg.cbIme()->setCurrentIndex(0);

  QTest::mouseClick(dlg.OKBtn(), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(settings::PreferredIme, "系统默认输入法");
  EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "ImePrefer"), SettingValue(std::string("系统默认输入法")));
  EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "ImportPrinciple"), SettingValue(1));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OptionSetup, CancelAndEscapeWriteNothing) {
  for (bool escape : {false, true}) {
    TdlgOptionSetupForm dlg(prompts);
    dlg.show();
    dlg.cbIme()->showPopup();
    dlg.cbIme()->hidePopup();
    dlg.cbIme()->setCurrentIndex(0);
    if (escape)
      QTest::keyClick(&dlg, Qt::Key_Escape);
    else
      QTest::mouseClick(dlg.CancelBtn(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(settings::PreferredIme, "搜狗拼音输入法");
  }
}

// The principle of the record-by-record import is chosen beside the other upper-level settings,
// written on OK and read back at the next start.
TEST_F(OptionSetup, TheImportPrincipleIsChosenSavedAndReadAfterARestart) {
  store.write(kProgramRoot, kProgramKey, "Version", std::string("1.0"));  // an installed program
  struct Run {
    const char* choose;
    const char* shownBefore;  // the choice the dialog shows when it opens
    int stored;
    bool principle;
  };
  for (const Run& run : {Run{"rbSkipFailing", "有错就全部放弃", 1, true},
                         Run{"rbAllOrNothing", "只放弃出错的数据", 0, false}}) {
    SCOPED_TRACE(run.choose);
    TdlgOptionSetupForm dlg(prompts);
    bool shown = false;
    QString before;
    velmora::testing::WhenModalOpens([&](QWidget* box) {
      shown = box == &dlg;
      auto* all = box->findChild<QRadioButton*>("rbAllOrNothing");
      auto* skip = box->findChild<QRadioButton*>("rbSkipFailing");
      auto* manifest = box->findChild<QCheckBox*>("cbRequireManifest");
      if (!all || !skip || !manifest) {
        ADD_FAILURE() << "the dialog offers no choice of the import principle";
        box->close();
        return;
      }
      EXPECT_EQ(all->text(), QString("有错就全部放弃"));
      EXPECT_EQ(skip->text(), QString("只放弃出错的数据"));
      EXPECT_TRUE(all->isVisible());
      EXPECT_TRUE(skip->isVisible());
      // Just below the manifest option, inside the dialog.
      const QRect option = QRect(manifest->mapTo(box, QPoint(0, 0)), manifest->size());
      const QRect choice = QRect(all->mapTo(box, QPoint(0, 0)), all->size());
      EXPECT_GT(choice.top(), option.bottom());
      EXPECT_LT(choice.top() - option.bottom(), 80);
      EXPECT_TRUE(box->rect().contains(QRect(skip->mapTo(box, QPoint(0, 0)), skip->size())));
      before = all->isChecked() ? all->text() : skip->isChecked() ? skip->text() : QString();
      QTest::mouseClick(run.choose == std::string("rbSkipFailing") ? skip : all, Qt::LeftButton);
      QTest::mouseClick(dlg.OKBtn(), Qt::LeftButton);
    });
    dlg.exec();
    ASSERT_TRUE(shown);
    EXPECT_EQ(before, QString(run.shownBefore));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "ImportPrinciple"), SettingValue(run.stored));
    EXPECT_EQ(settings::ImportPrincipleFlag, run.principle);
    // A restart reads the choice back.
    settings::ImportPrincipleFlag = !run.principle;
    settings::InitRegistrySettings("Velmora", "/opt/velmora");
    EXPECT_EQ(settings::ImportPrincipleFlag, run.principle);
  }
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OptionSetup, ARefusedWriteIsShownAndTheChoiceStillApplies) {
  FailingStore failing;
  settings::ScopedStore useFailing(failing);
  settings::PreferredIme.clear();
  TdlgOptionSetupForm dlg(prompts);
  dlg.show();
  EXPECT_EQ(dlg.cbIme()->currentIndex(), -1);
  dlg.cbIme()->showPopup();
  dlg.cbIme()->hidePopup();
  dlg.cbIme()->setCurrentIndex(0);
  QTest::mouseClick(dlg.OKBtn(), Qt::LeftButton);
  EXPECT_EQ(prompts.messages, std::vector<std::string>{"拒绝访问。"});
  EXPECT_EQ(settings::PreferredIme, "系统默认输入法");
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace velmora::gui
