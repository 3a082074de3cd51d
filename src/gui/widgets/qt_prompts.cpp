#include "gui/widgets/qt_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "gui/settings/question_dialog.h"
#include "gui/settings/top_most.h"

namespace velmora::gui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void QtPrompts::message(const std::string& text, MessageKind kind, const std::string& title) {
  TopMostLowered lowered;  // stay-on-top windows must not cover the box
  const QString caption = Q(title.empty() ? DefaultMessageTitle(kind) : title);
  switch (kind) {
    case MessageKind::Error: QMessageBox::critical(parent_, caption, Q(text)); break;
    case MessageKind::Warning: QMessageBox::warning(parent_, caption, Q(text)); break;
    default: QMessageBox::information(parent_, caption, Q(text));
  }
}

bool QtPrompts::confirm(const std::string& text, const std::string& title) {
  TopMostLowered lowered;
  return QMessageBox::question(parent_, Q(title.empty() ? kQuestionTitle : title), Q(text),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

Answer QtPrompts::ask(const std::string& text, const std::vector<Answer>& buttons) {
  return AnswerFor(AskQuestion(Q(text), ButtonSetFor(buttons), parent_));
}

std::unique_ptr<QMessageBox> QtPrompts::OkCancelBox(QWidget* parent, const std::string& title,
                                                    const std::string& text, MessageKind kind) {
  const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                 : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Information;
  auto box = std::make_unique<QMessageBox>(icon, Q(title), Q(text), QMessageBox::Ok | QMessageBox::Cancel, parent);
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
  bool ok = false;
  QString text = QInputDialog::getText(parent_, Q(title), Q(prompt), QLineEdit::Normal, Q(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

QString QtPrompts::QtFilter(const std::string& filter) {
  QStringList parts = Q(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return out.join(";;");
}

std::optional<std::string> QtPrompts::openFileName(const FileDialogRequest& r) {
  QString start = Q(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + Q(r.fileName);
  QString name = QFileDialog::getOpenFileName(parent_, Q(r.title), start, QtFilter(r.filter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

std::optional<std::string> QtPrompts::saveFileName(const FileDialogRequest& r) {
  QString start = Q(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + Q(r.fileName);
  QString name = QFileDialog::getSaveFileName(parent_, Q(r.title), start, QtFilter(r.filter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

std::vector<std::string> QtPrompts::openFileNames(const FileDialogRequest& r) {
  QString start = Q(r.initialFolder);
  if (!r.fileName.empty()) start += "/" + Q(r.fileName);
  const QStringList names = QFileDialog::getOpenFileNames(parent_, Q(r.title), start, QtFilter(r.filter));
  std::vector<std::string> result;
  result.reserve(static_cast<std::size_t>(names.size()));
  for (const QString& name : names) result.push_back(name.toStdString());
  return result;
}

bool QtPrompts::openDocument(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

}  // namespace velmora::gui
