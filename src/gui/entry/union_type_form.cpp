#include "gui/entry/union_type_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <functional>

#include "core/entry/remembered_codes.h"
#include "gui/entry/picker_parts.h"

namespace velmora::gui {

namespace {

void Position(QListWidget* list, const std::function<bool(QListWidgetItem*)>& wanted) {
  for (int i = 0; i < list->count(); ++i) {
    if (wanted(list->item(i))) {
      list->setCurrentRow(i);
      return;
    }
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

}  // namespace

TUnionTypeForm::TUnionTypeForm(db::Connection& connection, const QString& selectedCode, QWidget* parent)
    : QDialog(parent), connection_(connection), selectedCode_(selectedCode) {
  setObjectName("TUnionTypeForm");
  setWindowTitle("产业类别");
  setFixedSize(680, 440);

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(10, 10, 10, 8);
  auto* lists = new QHBoxLayout;
  lists->setSpacing(8);
  list1_ = PickerList("TypeList1", this);
  list2_ = PickerList("TypeList2", this);
  AddCaptionedList(lists, "门类", list1_, 2);
  AddCaptionedList(lists, "工会产业类别", list2_, 3);
  page->addLayout(lists, 1);
  PickerFooter footer = AddPickerFooter(page, "说明：工会产业类别依照中华全国总工会确定的产业工会划分编排", this);
  ok_ = footer.ok;
  cancel_ = footer.cancel;

  connect(list1_, &QListWidget::currentRowChanged, this, [this] { sectionChosen(); });
  connect(list2_, &QListWidget::currentRowChanged, this, [this] { categoryChosen(); });
  connect(list2_, &QListWidget::itemDoubleClicked, this, [this] { confirm(); });
  connect(ok_, &QToolButton::clicked, this, [this] { confirm(); });
  connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);

  filling_ = true;
  FillPickerList(list1_, survey::UnionSections(connection_), "CombName");
  filling_ = false;
}

void TUnionTypeForm::fillCategories() {
  filling_ = true;
  FillPickerList(list2_, survey::UnionCategories(connection_, Section), "CombName");
  Position(list2_, [](QListWidgetItem* item) { return item->data(RoleCode2).toInt() == Category; });
  filling_ = false;
}

void TUnionTypeForm::showEvent(QShowEvent* event) {
  if (selectedCode_.isEmpty()) selectedCode_ = QStringLiteral("A01");
  const entry::UnionDomainStart start = entry::SplitUnionDomainCode(selectedCode_.toStdString());
  Section = start.section;
  Category = start.category;
  filling_ = true;
  const QString letter = QString::fromStdString(Section);
  Position(list1_, [&](QListWidgetItem* item) { return item->data(RoleCode1).toString() == letter; });
  filling_ = false;
  fillCategories();
  QDialog::showEvent(event);
}

void TUnionTypeForm::sectionChosen() {
  if (filling_ || !list1_->currentItem()) return;
  Section = list1_->currentItem()->data(RoleCode1).toString().toStdString();
  Category = 1;
  fillCategories();
}

void TUnionTypeForm::categoryChosen() {
  if (filling_ || !list2_->currentItem()) return;
  if (list1_->currentItem()) Section = list1_->currentItem()->data(RoleCode1).toString().toStdString();
  Category = list2_->currentItem()->data(RoleCode2).toInt();
}

void TUnionTypeForm::confirm() {
  QListWidgetItem* chosen = list2_->currentItem() ? list2_->currentItem() : list1_->currentItem();
  if (!chosen) return;
  selectedCode_ = chosen->data(RoleId).toString();
  selectedName_ = chosen->data(RoleName).toString().trimmed();
  accept();
}

}  // namespace velmora::gui
