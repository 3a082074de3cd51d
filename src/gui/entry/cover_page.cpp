#include "gui/entry/cover_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/widgets/code_name_box.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"

namespace velmora::gui {

namespace {

TNumericEdit* CodeBox(const char* name, int maxChars, QWidget* parent) {
  auto* box = new TNumericEdit(name, parent);
  box->setGrouping(false);
  box->setLimits(0, 99999999999999.0, maxChars);
  box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  box->setFixedWidth(90);
  return box;
}

ValidEdit* TextBox(const char* name, int maxChars, QWidget* parent) {
  auto* box = new ValidEdit(name, parent);
  box->Rule = entry::ForbidQuotesRule();
  box->setMaxLength(maxChars);
  return box;
}

TCodeNameBox* NameBox(const char* name, const char* hint, QWidget* parent) {
  auto* box = new TCodeNameBox(name, parent);
  box->setToolTip(QString::fromUtf8(hint));
  box->setFixedHeight(22);
  return box;
}

QLabel* Label(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

// Heading: notice on the left, title in the middle, form-number block on the right.
QHBoxLayout* Heading(QWidget* parent) {
  auto* heading = new QHBoxLayout;
  auto* notice = new QLabel(
      "本表依据《中华人民共和国统计法》和\n《中华人民共和国工会法》制定，\n所填数据仅用于工会统计工作，\n对调查对象的资料依法保密。",
      parent);
  notice->setObjectName("StatuteNotice");
  QFont small = notice->font();
  small.setPixelSize(12);
  notice->setFont(small);
  notice->setStyleSheet("color:#3c3c3c;");
  auto* title = new QLabel("2012年度  基层工会调查表", parent);
  title->setObjectName("CoverTitle");
  QFont big = title->font();
  big.setPixelSize(24);
  big.setBold(true);
  big.setFamily("黑体");
  title->setFont(big);
  title->setAlignment(Qt::AlignCenter);
  auto* number = new QLabel(
      "表　　号：基工统1表\n制定机关：中华全国总工会\n批准机关：国家统计局\n有效期至：2013年6月30日", parent);
  number->setObjectName("FormNumberBlock");
  number->setFont(small);
  number->setStyleSheet("color:#3c3c3c;");
  heading->addWidget(notice, 0, Qt::AlignLeft | Qt::AlignTop);
  heading->addWidget(title, 1);
  heading->addWidget(number, 0, Qt::AlignRight | Qt::AlignTop);
  return heading;
}

}  // namespace

TCoverPage::TCoverPage(QWidget* parent) : QWidget(parent) {
  setObjectName("TabSheet0");
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(24, 10, 24, 10);
  page->setSpacing(4);
  page->addLayout(Heading(this));

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  page->addWidget(line);
  page->addSpacing(6);

  createFields();
  page->addLayout(fieldGrid());
  page->addSpacing(14);
  page->addLayout(signatureLine());
  page->addStretch(1);

  const auto order = tabOrder();
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

// The field controls with their limits, blank values and hints.
void TCoverPage::createFields() {
  c901 = CodeBox("c901", 12, this);
  c901->setLimits(1, 99999999999999.0, 12);
  c901->setBlankValue(1);
  c901->setFixedWidth(130);
  c902 = TextBox("c902", 60, this);
  c903 = CodeBox("c903", 6, this);
  c903->setPadding(6);
  c903->setToolTip("输入本级工会行政区划代码");
  CityNameCtrl = NameBox("CityNameCtrl", "选择本级工会所在地行政区划", this);
  c904 = CodeBox("c904", 6, this);
  c904->setBlankValue(10);
  LevelName = NameBox("LevelName", "本级工会层次", this);
  c905 = CodeBox("c905", 6, this);
  IndustryName = NameBox("IndustryName", "本级工会层次", this);
  c906 = CodeBox("c906", 6, this);
  EconomicName = NameBox("EconomicName", "本级工会层次", this);
  C907 = TextBox("C907", 60, this);
  C907->UpperCase = true;
  C907->setFixedWidth(90);
  TypeName = NameBox("TypeName", "本级工会层次", this);
  c909 = CodeBox("c909", 6, this);
  HoldSituation = NameBox("HoldSituation", "本级工会层次", this);
  c912 = CodeBox("c912", 6, this);
  StateName = NameBox("StateName", "本级工会层次", this);
  for (TNumericEdit* box : {c904, c905, c906, c909, c912}) box->setToolTip("输入本级工会层次代码");
  c910 = TextBox("c910", 50, this);
  c911 = TextBox("c911", 50, this);
  c911->ExtraFilter = &entry::AcceptsTelephoneChar;
}

// The numbered fields, one a row: caption, field and, for a code field, its name control.
QGridLayout* TCoverPage::fieldGrid() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(9);
  grid->setColumnStretch(2, 1);
  int row = 0;
  auto addRow = [&](const char* caption, QWidget* field, QWidget* name) {
    grid->addWidget(Label(caption, field, this), row, 0, Qt::AlignRight | Qt::AlignVCenter);
    if (name) {
      grid->addWidget(field, row, 1);
      grid->addWidget(name, row, 2);
    } else {
      grid->addWidget(field, row, 1, 1, 2, Qt::AlignLeft);
    }
    ++row;
  };
  addRow("901. 基层工会统计编码：", c901, nullptr);
  addRow("902. 基层工会名称：", c902, nullptr);
  c902->setMinimumWidth(480);
  addRow("903. 基层工会所在地行政区划代码：", c903, CityNameCtrl);
  addRow("904. 基层工会组织类型：", c904, LevelName);
  addRow("905. 基层工会所在单位（或单位主体）的国民经济行业分类代码：", c905, IndustryName);
  addRow("906. 基层工会所在单位（或单位主体）的单位类别：", c906, EconomicName);
  addRow("907. 基层工会所在单位（或单位主体）的产业类别：", C907, TypeName);
  addRow("909. 基层工会所在单位（或单位主体）的控股情况：", c909, HoldSituation);
  addRow("912. 基层工会本年度的填报状态：", c912, StateName);
  return grid;
}

// The line of the person who filled in the form and the telephone number.
QHBoxLayout* TCoverPage::signatureLine() {
  auto* signature = new QHBoxLayout;
  signature->addStretch(1);
  signature->addWidget(Label("填 表 人：", c910, this));
  c910->setFixedWidth(160);
  signature->addWidget(c910);
  signature->addSpacing(40);
  signature->addWidget(Label("联系电话：", c911, this));
  c911->setFixedWidth(180);
  signature->addWidget(c911);
  signature->addSpacing(30);
  return signature;
}

std::vector<QWidget*> TCoverPage::tabOrder() const {
  return {c901, c902, c903, c904, c905, c906, C907, c909, c912, c910, c911};
}

std::vector<TCodeNameBox*> TCoverPage::nameControls() const {
  return {CityNameCtrl, LevelName, IndustryName, EconomicName, TypeName, HoldSituation, StateName};
}

}  // namespace velmora::gui
