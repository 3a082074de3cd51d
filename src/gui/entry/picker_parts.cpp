#include "gui/entry/picker_parts.h"

#include <QBoxLayout>
#include <QLabel>

#include "gui/widgets/artwork.h"

namespace velmora::gui {

QListWidget* PickerList(const QString& name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  return list;
}

void AddCaptionedList(QBoxLayout* row, const QString& caption, QListWidget* list, int stretch) {
  auto* column = new QVBoxLayout;
  column->setSpacing(3);
  auto* label = new QLabel(caption);
  label->setBuddy(list);
  column->addWidget(label);
  column->addWidget(list, 1);
  row->addLayout(column, stretch);
}

QToolButton* PickerButton(const QString& name, const QString& caption, const QString& glyph, const QColor& colour,
                          QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setIcon(ActionIcon(glyph, colour));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setMinimumSize(104, 28);
  return button;
}

void FillPickerList(QListWidget* list, const survey::CodeList& rows, const char* shown) {
  list->clear();
  const std::pair<const char*, int> kept[] = {{"ID", RoleId},     {"Code1", RoleCode1}, {"Code2", RoleCode2},
                                              {"Code3", RoleCode3}, {"Name", RoleName},   {"CombName", RoleCombName}};
  for (const survey::CodeListRow& row : rows) {
    const db::Variant* text = row.find(shown);
    auto* item = new QListWidgetItem(text ? QString::fromStdString(text->toString()).trimmed() : QString());
    for (const auto& [column, role] : kept) {
      const db::Variant* v = row.find(column);
      if (!v) continue;
      item->setData(role, v->isText() ? QVariant(QString::fromStdString(v->toString()))
                                      : QVariant(static_cast<qlonglong>(v->toInt64())));
    }
    list->addItem(item);
  }
}

PickerFooter AddPickerFooter(QBoxLayout* page, const QString& note, QWidget* parent) {
  auto* label = new QLabel(note, parent);
  label->setStyleSheet("color:#505050;");
  page->addWidget(label);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  PickerFooter footer{PickerButton("tbOK", "确认选择", "确", QColor(46, 139, 87), parent),
                      PickerButton("tbCancel", "取消选择", "消", QColor(178, 34, 34), parent)};
  buttons->addWidget(footer.ok);
  buttons->addWidget(footer.cancel);
  page->addLayout(buttons);
  return footer;
}

}  // namespace velmora::gui
