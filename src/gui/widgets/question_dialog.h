#pragma once
// The question dialog "提示信息": a question with up to four answers, "是", "全都是", "否" and
// "全都否", sized to the question and to the buttons shown. The keys Y and N answer "是" and "否".

#include <QDialog>
#include <vector>

#include "core/prompts/user_prompts.h"

class QLabel;
class QPushButton;

namespace velmora::gui {

// Buttons of a question, as a bit set.
enum AskButton : int { kAskYes = 1, kAskNo = 2, kAskYesToAll = 4, kAskNoToAll = 8 };
// Results of a question.
enum AskResult : int {
  kResultClosed = 2,  // the close box (or Escape)
  kResultYes = 6,
  kResultNo = 7,
  kResultNoToAll = 9,
  kResultYesToAll = 10
};

class TQuestionDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TQuestionDlg(QWidget* parent = nullptr);

  // Puts the text into the question and shows the buttons of `buttonSet` (AskButton bits).
  void setQuestion(const QString& text, int buttonSet);

  QLabel* Question() const { return question_; }
  QWidget* DlgToolBar() const { return toolBar_; }
  QPushButton* tbOK() const { return buttons_[0]; }
  QPushButton* tbCopyAll() const { return buttons_[1]; }
  QPushButton* tbCancel() const { return buttons_[2]; }
  QPushButton* tbNotToAll() const { return buttons_[3]; }

  static constexpr int kToolBarWidth = 297;  // with all four buttons
  static constexpr int kToolBarHeight = 30;
  static constexpr int kButtonWidth = 74;

  void reject() override;  // close box and Escape: kResultClosed

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void arrange();

  QLabel* icon_;
  QLabel* question_;
  QWidget* toolBar_;
  QPushButton* buttons_[4];
  int buttonSet_ = 0;
};

// Asks `text` with the buttons of `buttonSet` in a fresh modal dialog owned by `owner`, with
// stay-on-top windows lowered meanwhile; returns the AskResult.
int AskQuestion(const QString& text, int buttonSet, QWidget* owner = nullptr);

// Between the prompts' answers and the dialog's buttons and results.
int ButtonSetFor(const std::vector<Answer>& buttons);
Answer AnswerFor(int result);

}  // namespace velmora::gui
