#include "gui/widgets/qt_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "gui/widgets/question_dialog.h"
#include "gui/widgets/top_most.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
  return kind == MessageKind::Error     ? QMessageBox::Critical
         : kind == MessageKind::Warning ? QMessageBox::Warning
                                        : QMessageBox::Information;
}

}  // namespace

std::unique_ptr<QMessageBox> QtPrompts::MessageBox(QWidget* parent, const std::string& text, MessageKind kind,
                                                   const std::string& title) {
  auto box = std::make_unique<QMessageBox>(IconOf(kind), QText(title.empty() ? DefaultMessageTitle(kind) : title), QText(text),
                                           QMessageBox::Ok, parent);
  box->button(QMessageBox::Ok)->setText("确定");
  return box;
}

std::unique_ptr<QMessageBox> QtPrompts::QuestionBox(QWidget* parent, const std::string& text,
                                                    const std::string& title) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QText(title.empty() ? kQuestionTitle : title), QText(text),
                                           QMessageBox::Yes | QMessageBox::No, parent);
  box->button(QMessageBox::Yes)->setText("是");
  box->button(QMessageBox::No)->setText("否");
  box->setDefaultButton(QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  return box;
}

std::unique_ptr<QInputDialog> QtPrompts::InputBox(QWidget* parent, const std::string& title, const std::string& prompt,
                                                  const std::string& initial) {
  auto box = std::make_unique<QInputDialog>(parent);
  box->setInputMode(QInputDialog::TextInput);
  box->setWindowTitle(QText(title));
  box->setLabelText(QText(prompt));
  box->setTextValue(QText(initial));
  box->setOkButtonText("确定");
  box->setCancelButtonText("取消");
  return box;
}

void QtPrompts::message(const std::string& text, MessageKind kind, const std::string& title) {
  TopMostLowered lowered;  // stay-on-top windows must not cover the box
  MessageBox(parent_, text, kind, title)->exec();
}

bool QtPrompts::confirm(const std::string& text, const std::string& title) {
  TopMostLowered lowered;
  return QuestionBox(parent_, text, title)->exec() == QMessageBox::Yes;
}

std::unique_ptr<QMessageBox> QtPrompts::YesNoBox(QWidget* parent, const std::string& text, const std::string& title,
                                                 MessageKind kind) {
  auto box = QuestionBox(parent, text, title);
  if (kind != MessageKind::Information) box->setIcon(IconOf(kind));  // information keeps the question's icon
  return box;
}

bool QtPrompts::confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) {
  TopMostLowered lowered;
  return YesNoBox(parent_, text, title, kind)->exec() == QMessageBox::Yes;
}

Answer QtPrompts::ask(const std::string& text, const std::vector<Answer>& buttons) {
  return AnswerFor(AskQuestion(QText(text), ButtonSetFor(buttons), parent_));
}

std::unique_ptr<QMessageBox> QtPrompts::OkCancelBox(QWidget* parent, const std::string& title,
                                                    const std::string& text, MessageKind kind) {
  auto box = std::make_unique<QMessageBox>(IconOf(kind), QText(title), QText(text), QMessageBox::Ok | QMessageBox::Cancel, parent);
  box->button(QMessageBox::Ok)->setText("确定");
  box->button(QMessageBox::Cancel)->setText("取消");
  box->setDefaultButton(QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Cancel);
  box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  return box;
}

bool QtPrompts::confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) {
  auto box = OkCancelBox(parent_, title, text, kind);
  TopMostLowered lowered(box.get());
  return box->exec() == QMessageBox::Ok;
}

std::optional<std::string> QtPrompts::inputText(const std::string& title, const std::string& prompt,
                                                const std::string& initial) {
  auto box = InputBox(parent_, title, prompt, initial);
  if (box->exec() != QDialog::Accepted) return std::nullopt;
  return box->textValue().toStdString();
}

QString QtPrompts::QtFilter(const std::string& filter) {
  QStringList parts = QText(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = QString(parts[i + 1]).replace(';', ' ');
    // A caption that ends in its own patterns, "数据加密文件(*.dat)", is what the dialog lists.
    if (parts[i].endsWith("(" + patterns + ")")) out << parts[i];
    else out << parts[i] + " (" + patterns + ")";
  }
  return out.join(";;");
}

std::optional<std::string> QtPrompts::openFileName(const FileDialogRequest& r) {
  QString start = QText(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + QText(r.fileName);
  QString name = QFileDialog::getOpenFileName(parent_, QText(r.title), start, QtFilter(r.filter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

QString QtPrompts::WrittenName(const QString& chosen, const std::string& extension) {
  if (extension.empty()) return chosen;
  const QString suffix = "." + QText(extension);
  return chosen.endsWith(suffix) ? chosen : chosen + suffix;
}

std::optional<std::string> QtPrompts::saveFileName(const FileDialogRequest& r) {
  QString start = QText(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + QText(r.fileName);
  QFileDialog dialog(parent_, QText(r.title), start, QtFilter(r.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The dialog's own question would be about the name as typed; the caller adds its extension
  // after it, so the question is asked here about the name that will be written.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!r.defaultExtension.empty()) dialog.setDefaultSuffix(QText(r.defaultExtension));
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    const QString written = WrittenName(files.first(), r.defaultExtension);
    const QFileInfo info(written);
    if (info.isDir()) {
      message("“" + info.absoluteFilePath().toStdString() + "”是一个文件夹，请输入文件名。", MessageKind::Warning);
      continue;
    }
    if (!info.exists() && !info.isSymLink()) return written.toStdString();
    TopMostLowered lowered;
    auto box = QuestionBox(parent_, "“" + info.fileName().toStdString() + "”已经存在。\n要替换它吗？", r.title);
    box->setIcon(QMessageBox::Warning);
    if (box->exec() == QMessageBox::Yes) return written.toStdString();
    // 否: the dialog opens again where it was, as it does after its own question.
  }
}

std::optional<std::vector<std::string>> QtPrompts::openFileNames(const FileDialogRequest& r) {
  QString start = QText(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + QText(r.fileName);
  const QStringList names = QFileDialog::getOpenFileNames(parent_, QText(r.title), start, QtFilter(r.filter));
  if (names.isEmpty()) return std::nullopt;
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(names.size()));
  for (const QString& n : names) out.push_back(n.toStdString());
  return out;
}

bool QtPrompts::openDocument(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QText(path)));
}

}  // namespace velmora::gui
