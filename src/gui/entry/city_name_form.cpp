#include "gui/entry/city_name_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/survey/codes.h"
#include "gui/entry/picker_parts.h"

namespace velmora::gui {

TCityNameForm::TCityNameForm(db::Connection& connection, int selectedCode, QWidget* parent)
    : QDialog(parent), connection_(connection) {
  setObjectName("TCityNameForm");
  setWindowTitle("中华人民共和国行政区划");
  setFixedSize(720, 440);
  if (selectedCode > 0) selectedCode_ = selectedCode;

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(10, 10, 10, 8);
  auto* lists = new QHBoxLayout;
  lists->setSpacing(8);
  list1_ = PickerList("CityName1", this);
  list2_ = PickerList("CityName2", this);
  list3_ = PickerList("CityName3", this);
  AddCaptionedList(lists, "省级地区", list1_, 1);
  AddCaptionedList(lists, "地市及直辖市所属区县", list2_, 1);
  AddCaptionedList(lists, "县、市辖区、县级市、旗", list3_, 1);
  page->addLayout(lists, 1);
  PickerFooter footer = AddPickerFooter(page, "说明：基于国家统计局2007年12月31日公布的《中华人民共和国行政区划代码》编排", this);
  ok_ = footer.ok;
  cancel_ = footer.cancel;

  connect(list1_, &QListWidget::currentRowChanged, this, [this] { firstChosen(); });
  connect(list2_, &QListWidget::currentRowChanged, this, [this] { secondChosen(); });
  connect(list3_, &QListWidget::itemDoubleClicked, this, [this] { confirm(); });
  connect(ok_, &QToolButton::clicked, this, [this] { confirm(); });
  connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);

  fill(list1_, survey::Provinces(connection_));
}

void TCityNameForm::fill(QListWidget* list, const survey::CodeList& rows) {
  filling_ = true;
  FillPickerList(list, rows, "Name");
  filling_ = false;
}

void TCityNameForm::position(QListWidget* list, int role, int value) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->data(role).toInt() == value) {
      list->setCurrentRow(i);
      return;
    }
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

void TCityNameForm::fillSecond() {
  fill(list2_, survey::Prefectures(connection_, Code1));
  filling_ = true;
  position(list2_, RoleCode2, Code2);
  filling_ = false;
  // A province without a second level of that number starts on its first row.
  if (list2_->currentItem()) Code2 = list2_->currentItem()->data(RoleCode2).toInt();
}

void TCityNameForm::fillThird() {
  fill(list3_, survey::Counties(connection_, Code1, Code2));
  filling_ = true;
  position(list3_, RoleCode3, Code3);
  filling_ = false;
}

void TCityNameForm::showEvent(QShowEvent* event) {
  const survey::CityCode split = survey::SplitCityCode(selectedCode_);
  Code1 = split.Code1;
  Code2 = split.Code2;
  Code3 = split.Code3;
  filling_ = true;
  position(list1_, RoleCode1, Code1);
  filling_ = false;
  fillSecond();
  fillThird();
  QDialog::showEvent(event);
}

void TCityNameForm::firstChosen() {
  if (filling_ || !list1_->currentItem()) return;
  Code1 = list1_->currentItem()->data(RoleCode1).toInt();
  Code2 = 1;
  Code3 = 0;
  fillSecond();
  fillThird();
}

void TCityNameForm::secondChosen() {
  if (filling_ || !list2_->currentItem()) return;
  if (list1_->currentItem()) Code1 = list1_->currentItem()->data(RoleCode1).toInt();
  Code2 = list2_->currentItem()->data(RoleCode2).toInt();
  Code3 = 0;
  fillThird();
}

void TCityNameForm::confirm() {
  QListWidgetItem* chosen = list3_->currentItem();
  if (!chosen) return;
  selectedCode_ = chosen->data(RoleId).toInt();
  selectedName_ = chosen->data(RoleCombName).toString().trimmed();
  accept();
}

}  // namespace velmora::gui
