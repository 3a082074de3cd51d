#include "gui/widgets/question_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <cmath>

#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/top_most.h"

namespace velmora::gui {

namespace {

struct ButtonDef {
  const char* name;
  const char* caption;
  int bit;
  int result;
};

// In the order of the tool bar.
constexpr ButtonDef kButtons[4] = {{"tbOK", "是", kAskYes, kResultYes},
                                   {"tbCopyAll", "全都是", kAskYesToAll, kResultYesToAll},
                                   {"tbCancel", "否", kAskNo, kResultNo},
                                   {"tbNotToAll", "全都否", kAskNoToAll, kResultNoToAll}};

constexpr int kQuestionLeft = 48;
constexpr int kQuestionTop = 16;

}  // namespace

TQuestionDlg::TQuestionDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("QuestionDlg");
  setWindowTitle("提示信息");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  icon_ = new QLabel(this);
  icon_->setGeometry(8, kQuestionTop, 32, 32);
  icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));

  question_ = new QLabel(this);
  question_->setObjectName("Question");
  question_->setTextFormat(Qt::PlainText);
  question_->move(kQuestionLeft, kQuestionTop);

  toolBar_ = new QWidget(this);
  toolBar_->setObjectName("DlgToolBar");
  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(kButtons[i].caption), toolBar_);
    button->setObjectName(kButtons[i].name);
    button->hide();
    const int result = kButtons[i].result;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    buttons_[i] = button;
  }
  arrange();
}

void TQuestionDlg::setQuestion(const QString& text, int buttonSet) {
  question_->setText(text);
  buttonSet_ = buttonSet;
  for (int i = 0; i < 4; ++i) buttons_[i]->setVisible((buttonSet & kButtons[i].bit) != 0);
  arrange();
}

void TQuestionDlg::arrange() {
  question_->adjustSize();

  // The tool bar loses the width of every hidden button; the shown ones keep their order.
  int barWidth = kToolBarWidth;
  int x = 0;
  for (QPushButton* button : buttons_) {
    if (button->isHidden()) {
      barWidth -= kButtonWidth;
      continue;
    }
    button->setGeometry(x + 3, 2, kButtonWidth - 6, kToolBarHeight - 4);
    x += kButtonWidth;
  }

  int clientWidth = question_->x() + question_->width() + 25;
  if (1.5 * barWidth > clientWidth) clientWidth = static_cast<int>(std::floor(1.5 * barWidth));
  const int clientHeight =
      static_cast<int>(std::floor(1.5 * kToolBarHeight)) + question_->y() + question_->height();

  setFixedSize(clientWidth, clientHeight);
  toolBar_->setGeometry(clientWidth - barWidth, clientHeight - kToolBarHeight, barWidth, kToolBarHeight);
}

void TQuestionDlg::showEvent(QShowEvent* event) {
  arrange();
  CentreOnScreen(*this);
  for (QPushButton* button : buttons_)
    if (!button->isHidden()) {
      button->setFocus();
      break;
    }
  QDialog::showEvent(event);
}

void TQuestionDlg::reject() { done(kResultClosed); }

// Y answers "是" and N "否" when offered, in either case; with Ctrl or Alt they are other keys.
void TQuestionDlg::keyPressEvent(QKeyEvent* event) {
  if ((event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::NoModifier) {
    QPushButton* answer = event->key() == Qt::Key_Y ? tbOK() : event->key() == Qt::Key_N ? tbCancel() : nullptr;
    if (answer && !answer->isHidden()) {
      answer->click();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

int AskQuestion(const QString& text, int buttonSet, QWidget* owner) {
  TQuestionDlg dialog(owner);
  dialog.setQuestion(text, buttonSet);
  TopMostLowered lowered(&dialog);
  return dialog.exec();
}

int ButtonSetFor(const std::vector<Answer>& buttons) {
  int set = 0;
  for (Answer a : buttons) {
    switch (a) {
      case Answer::Yes: set |= kAskYes; break;
      case Answer::No: set |= kAskNo; break;
      case Answer::YesToAll: set |= kAskYesToAll; break;
      case Answer::NoToAll: set |= kAskNoToAll; break;
      case Answer::Cancel: break;  // the close box
    }
  }
  return set;
}

Answer AnswerFor(int result) {
  switch (result) {
    case kResultYes: return Answer::Yes;
    case kResultNo: return Answer::No;
    case kResultYesToAll: return Answer::YesToAll;
    case kResultNoToAll: return Answer::NoToAll;
    default: return Answer::Cancel;
  }
}

}  // namespace velmora::gui
