#include "gui/groups/input_query_box.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace velmora::gui {

int TInputQueryForm::AverageCharWidth(const QFont& font) {
  const QFontMetrics m(font);
  const int width = m.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return std::max(1, width / 52);
}

int TInputQueryForm::CharHeight(const QFont& font) { return std::max(1, QFontMetrics(font).height()); }

TInputQueryForm::TInputQueryForm(const QString& caption, const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("InputQueryBox");
  setWindowTitle(caption);
  setModal(true);
  const int w = AverageCharWidth(font()), h = CharHeight(font());

  prompt_ = new QLabel(prompt, this);
  prompt_->setObjectName("Prompt");
  prompt_->setWordWrap(true);
  const int left = 8 * w / 4, fieldWidth = 164 * w / 4;
  prompt_->setFixedWidth(fieldWidth);
  const int promptHeight = prompt_->heightForWidth(fieldWidth) > 0 ? prompt_->heightForWidth(fieldWidth) : h;
  prompt_->setGeometry(left, 8 * h / 8, fieldWidth, promptHeight);

  edit_ = new QLineEdit(text, this);
  edit_->setObjectName("Edit");
  edit_->setMaxLength(255);
  const int editTop = prompt_->geometry().bottom() + 1 + 5;
  edit_->setGeometry(left, editTop, fieldWidth, edit_->sizeHint().height());
  edit_->selectAll();

  const int buttonTop = edit_->geometry().bottom() + 1 + 15;
  const int buttonWidth = 50 * w / 4, buttonHeight = 14 * h / 8;
  ok_ = new QPushButton("确定", this);
  ok_->setObjectName("OK");
  ok_->setDefault(true);
  ok_->setGeometry(38 * w / 4, buttonTop, buttonWidth, buttonHeight);
  cancel_ = new QPushButton("取消", this);
  cancel_->setObjectName("Cancel");
  cancel_->setGeometry(92 * w / 4, buttonTop, buttonWidth, buttonHeight);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);  // Escape rejects as well

  setFixedSize(180 * w / 4, buttonTop + buttonHeight + 13);
  edit_->setFocus();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(this->width() / 2, height() / 2));
  }
}

bool InputQueryBox(const QString& caption, const QString& prompt, QString& text, QWidget* parent) {
  TInputQueryForm box(caption, prompt, text, parent);
  if (box.exec() != QDialog::Accepted) return false;
  text = box.edit()->text();
  return true;
}

std::optional<std::string> InputQueryPrompts::inputText(const std::string& title, const std::string& prompt,
                                                        const std::string& initial) {
  QString text = QString::fromStdString(initial);
  if (!InputQueryBox(QString::fromStdString(title), QString::fromStdString(prompt), text, parent_)) return std::nullopt;
  return text.toStdString();
}

}  // namespace velmora::gui
