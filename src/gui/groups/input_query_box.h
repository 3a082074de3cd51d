#pragma once
// The small text-input box: a word-wrapped prompt, one line of text (at most 255 characters, the
// initial text selected), "确定" and "取消". Its size follows the average character width of its
// font, so it looks the same at any font size.

#include <QDialog>
#include <QString>

#include "core/prompts/user_prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::gui {

class TInputQueryForm : public QDialog {
  Q_OBJECT
 public:
  TInputQueryForm(const QString& caption, const QString& prompt, const QString& text, QWidget* parent = nullptr);

  QLabel* promptLabel() const { return prompt_; }
  QLineEdit* edit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  // The average width of the 52 letters A–Z, a–z in the box's font, and the character height.
  static int AverageCharWidth(const QFont& font);
  static int CharHeight(const QFont& font);

 private:
  QLabel* prompt_;
  QLineEdit* edit_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// Shows the box modally. True with the edited text in `text` for OK; false, with `text` as it was,
// for cancel or closing.
bool InputQueryBox(const QString& caption, const QString& prompt, QString& text, QWidget* parent = nullptr);

// The session's prompts with their input box shown as InputQueryBox; everything else is passed on.
class InputQueryPrompts : public UserPrompts {
 public:
  InputQueryPrompts(UserPrompts& inner, QWidget* parent) : inner_(inner), parent_(parent) {}
  // The window the box opens over.
  void setParent(QWidget* parent) { parent_ = parent; }
  void message(const std::string& text, MessageKind kind = MessageKind::Information,
               const std::string& title = {}) override {
    inner_.message(text, kind, title);
  }
  bool confirm(const std::string& text, const std::string& title = {}) override { return inner_.confirm(text, title); }
  Answer ask(const std::string& text, const std::vector<Answer>& buttons) override { return inner_.ask(text, buttons); }
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) override {
    return inner_.confirmOkCancel(title, text, kind);
  }
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> openFileName(const FileDialogRequest& r) override { return inner_.openFileName(r); }
  std::optional<std::string> saveFileName(const FileDialogRequest& r) override { return inner_.saveFileName(r); }
  std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest& r) override {
    return inner_.openFileNames(r);
  }
  bool openDocument(const std::string& path) override { return inner_.openDocument(path); }

 private:
  UserPrompts& inner_;
  QWidget* parent_;
};

}  // namespace velmora::gui
