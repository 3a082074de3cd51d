#pragma once
// The program's answers to the core's questions: Qt message boxes, input boxes and file dialogs.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/prompts/user_prompts.h"

class QInputDialog;
class QMessageBox;

namespace velmora::gui {

class QtPrompts : public UserPrompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void message(const std::string& text, MessageKind kind = MessageKind::Information,
               const std::string& title = {}) override;
  bool confirm(const std::string& text, const std::string& title = {}) override;
  bool confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) override;
  Answer ask(const std::string& text, const std::vector<Answer>& buttons) override;
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) override;
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> openFileName(const FileDialogRequest& request) override;
  std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
  std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest& request) override;
  bool openDocument(const std::string& path) override;

  // The boxes of message, confirm and inputText, with Chinese buttons ("确定"; "是" and "否" with "否"
  // the default; "确定" and "取消").
  static std::unique_ptr<QMessageBox> MessageBox(QWidget* parent, const std::string& text, MessageKind kind,
                                                 const std::string& title);
  static std::unique_ptr<QMessageBox> QuestionBox(QWidget* parent, const std::string& text, const std::string& title);
  // The box of confirmYesNo: the question box with the icon of a warning or an error.
  static std::unique_ptr<QMessageBox> YesNoBox(QWidget* parent, const std::string& text, const std::string& title,
                                               MessageKind kind);
  static std::unique_ptr<QInputDialog> InputBox(QWidget* parent, const std::string& title, const std::string& prompt,
                                                const std::string& initial);
  // The box of confirmOkCancel: "确定" and "取消", Cancel the default, above every window.
  static std::unique_ptr<QMessageBox> OkCancelBox(QWidget* parent, const std::string& title, const std::string& text,
                                                  MessageKind kind);

  // "数据加密文件(*.dat)|*.dat|..." as Qt's "数据加密文件(*.dat);;...".
  static QString QtFilter(const std::string& filter);
  // The name a save dialog answers: the chosen name with ".<extension>" added unless it ends in it
  // (the rule the exports apply), so that the overwrite question is about the file written.
  static QString WrittenName(const QString& chosen, const std::string& extension);

 private:
  QPointer<QWidget> parent_;
};

}  // namespace velmora::gui
