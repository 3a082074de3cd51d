#pragma once
// The program's answers to the core's questions: Qt message boxes, input boxes and file dialogs.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/prompts/user_prompts.h"

class QMessageBox;

namespace velmora::gui {

class QtPrompts : public UserPrompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void message(const std::string& text, MessageKind kind = MessageKind::Information,
               const std::string& title = {}) override;
  bool confirm(const std::string& text, const std::string& title = {}) override;
  Answer ask(const std::string& text, const std::vector<Answer>& buttons) override;
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) override;
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> openFileName(const FileDialogRequest& request) override;
  std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
  std::vector<std::string> openFileNames(const FileDialogRequest& request) override;
  bool openDocument(const std::string& path) override;

  // The box of confirmOkCancel: "确定" and "取消", Cancel the default, above every window.
  static std::unique_ptr<QMessageBox> OkCancelBox(QWidget* parent, const std::string& title, const std::string& text,
                                                  MessageKind kind);

  // "数据加密文件(*.dat)|*.dat|..." as Qt's "数据加密文件(*.dat);;...".
  static QString QtFilter(const std::string& filter);

 private:
  QPointer<QWidget> parent_;
};

}  // namespace velmora::gui
