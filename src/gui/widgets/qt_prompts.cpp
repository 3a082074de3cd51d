#include "gui/widgets/qt_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace velmora::gui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
const char* kTitle = "Velmora";
}  // namespace

void QtPrompts::message(const std::string& text, MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: QMessageBox::critical(parent_, kTitle, Q(text)); break;
    case MessageKind::Warning: QMessageBox::warning(parent_, kTitle, Q(text)); break;
    default: QMessageBox::information(parent_, kTitle, Q(text));
  }
}

bool QtPrompts::confirm(const std::string& text) {
  return QMessageBox::question(parent_, kTitle, Q(text), QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

Answer QtPrompts::ask(const std::string& text, const std::vector<Answer>& buttons) {
  QMessageBox box(QMessageBox::Question, kTitle, Q(text), QMessageBox::NoButton, parent_);
  std::vector<std::pair<QAbstractButton*, Answer>> map;
  for (Answer a : buttons) {
    QString caption;
    QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
    switch (a) {
      case Answer::Yes: caption = "是"; role = QMessageBox::YesRole; break;
      case Answer::No: caption = "否"; role = QMessageBox::NoRole; break;
      case Answer::YesToAll: caption = "全都是"; role = QMessageBox::YesRole; break;
      case Answer::NoToAll: caption = "全都否"; role = QMessageBox::NoRole; break;
      case Answer::Cancel: caption = "取消"; role = QMessageBox::RejectRole; break;
    }
    map.emplace_back(box.addButton(caption, role), a);
  }
  box.exec();
  for (auto& [button, answer] : map)
    if (box.clickedButton() == button) return answer;
  return Answer::Cancel;
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

void QtPrompts::openDocument(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))); }

}  // namespace velmora::gui
