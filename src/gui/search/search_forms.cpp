#include "gui/search/search_forms.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "core/catalogue/search_fields.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/widgets/choice_box.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

// A bottom tool bar with the find and back buttons.
void AddFindBar(QDialog* dialog, const QRect& where, const QString& findCaption, QToolButton*& find,
                QToolButton*& back) {
  auto* bar = new QFrame(dialog);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setGeometry(where);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addStretch();
  find = DialogToolButton("tbSum", findCaption, bar);
  back = DialogToolButton("tbReturn", QStringLiteral("返  回"), bar);
  layout->addWidget(find);
  layout->addWidget(back);
  QObject::connect(back, &QToolButton::clicked, dialog, &QDialog::reject);
}

// An operator or connector field: shows its entry's text, opens the code pop-up of its list on
// the current entry.
TCodeNameBox* ChoiceBox(const QString& name, QWidget* parent, const QRect& where, TToolForm* tool,
                        const survey::TMenuItemDataArray& list) {
  auto* box = new TChoiceBox(name, parent);
  box->setGeometry(where);
  QObject::connect(box, &TCodeNameBox::dropDownRequested, box, [box, tool, &list] {
    tool->ShowCodePopup(*box, list, nullptr);
    ActivateCheckedEntry(tool->CodePopupMenu());
  });
  return box;
}

void Choose(TCodeNameBox* box, const survey::TMenuItemDataArray& list, int code) {
  box->setText(QText(survey::LookupCodeName(list, code)));
  box->setRememberedCode(code);
}

QWidget* FieldOf(search::SearchField f, QWidget* indicator, QWidget* op1, QWidget* n1, QWidget* op2, QWidget* n2) {
  switch (f) {
    case search::SearchField::Indicator: return indicator;
    case search::SearchField::Operator1: return op1;
    case search::SearchField::Number1: return n1;
    case search::SearchField::Operator2: return op2;
    case search::SearchField::Number2: return n2;
    case search::SearchField::None: break;
  }
  return nullptr;
}

TNumericEdit* CodeBox(const QString& name, QWidget* parent, const QRect& where) {
  auto* box = new TNumericEdit(name, parent);
  box->setLimits(0, static_cast<double>(search::kLargestCode), 14);
  box->setGrouping(false);
  box->setGeometry(where);
  return box;
}

}  // namespace

// ---- 查询数据 ----

TdlgSearchForm::TdlgSearchForm(UserPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setObjectName("dlgSearch");
  setWindowTitle(QStringLiteral("查询数据"));
  setFixedSize(519, 132);
  tool_ = new TToolForm(this);
  tool_->hide();
  auto* group = new QGroupBox(QStringLiteral("编号范围"), this);
  group->setGeometry(8, 6, 503, 78);
  const auto& ops = search::OperatorList();
  lc1_ = ChoiceBox("lc1", group, QRect(12, 32, 56, 24), tool_, ops);
  number1_ = CodeBox("number1", group, QRect(74, 32, 130, 24));
  lc2_ = ChoiceBox("lc2", group, QRect(212, 32, 56, 24), tool_, search::ConnectorList());
  lc3_ = ChoiceBox("lc3", group, QRect(276, 32, 56, 24), tool_, ops);
  number2_ = CodeBox("number2", group, QRect(338, 32, 130, 24));
  AddFindBar(this, QRect(0, 95, 519, 37), QStringLiteral("查  找"), sum_, return_);
  SetDefaultButton(this, sum_);
  number1_->setFocus();  // the operators are preset: the number is typed first
  connect(sum_, &QToolButton::clicked, this, &TdlgSearchForm::tbSumClick);
}

void TdlgSearchForm::showEvent(QShowEvent* event) {
  Choose(lc1_, search::OperatorList(), 1);
  Choose(lc3_, search::OperatorList(), 1);
  Choose(lc2_, search::ConnectorList(), 1);
  QDialog::showEvent(event);
}

search::SearchCondition TdlgSearchForm::condition() const {
  search::CodeRangeInput input;
  input.operator1 = lc1_->rememberedCode();
  input.number1 = StdText(number1_->plainText());
  input.connector = lc2_->rememberedCode();
  input.operator2 = lc3_->rememberedCode();
  input.number2 = StdText(number2_->plainText());
  return search::CodeRangeCondition(input);
}

void TdlgSearchForm::tbSumClick() {
  const search::SearchCondition c = condition();
  if (!c.ok()) {
    prompts_.message(c.refusal, MessageKind::Warning);
    if (QWidget* w = FieldOf(c.focus, nullptr, lc1_, number1_, lc3_, number2_)) w->setFocus();
    return;
  }
  if (showResults) showResults(c.text);
}

// ---- 选择指标 ----

TDataSearchCodeForm::TDataSearchCodeForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), connection_(connection), prompts_(prompts) {
  setObjectName("DataSearchCode");
  setWindowTitle(QStringLiteral("选择指标"));
  auto* tableLabel = new QLabel(QStringLiteral("表"), this);
  tables_ = new QListWidget(this);
  tables_->setObjectName("TypeList1");
  auto* indicatorLabel = new QLabel(QStringLiteral("指标"), this);
  indicators_ = new QListWidget(this);
  indicators_->setObjectName("TypeList2");
  for (QListWidget* list : {tables_, indicators_}) list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* bar = new QFrame(this);
  bar->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  ok_ = DialogToolButton("tbOK", QStringLiteral("确认"), bar);
  cancel_ = DialogToolButton("tbCancel", QStringLiteral("取消"), bar);
  layout->addWidget(ok_);
  layout->addWidget(cancel_);
  SetDefaultButton(this, ok_);

  try {
    for (const catalogue::SheetName& sheet : catalogue::SheetNames(connection_)) {
      auto* item = new QListWidgetItem(QText(sheet.name), tables_);
      item->setData(Qt::UserRole, sheet.id);
      item->setToolTip(item->text());
    }
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }

  // 218 wide, or as wide as the longest table name needs to show whole beside the scroll bar.
  int longest = 0;
  for (int i = 0; i < tables_->count(); ++i)
    longest = std::max(longest, tables_->fontMetrics().horizontalAdvance(tables_->item(i)->text()));
  const int textMargins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tables_) + 1);
  const int listWidth = std::max(202, longest + textMargins + 2 * tables_->frameWidth() +
                                          style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tables_) + 4);
  const int width = listWidth + 16;
  setFixedSize(width, 420);
  tableLabel->setGeometry(8, 4, listWidth, 18);
  tables_->setGeometry(8, 22, listWidth, 120);
  indicatorLabel->setGeometry(8, 146, listWidth, 18);
  indicators_->setGeometry(8, 164, listWidth, 210);
  bar->setGeometry(0, 383, width, 37);
  tables_->installEventFilter(this);
  connect(tables_, &QListWidget::itemClicked, this, [this] { showCurrentTable(); });
  connect(indicators_, &QListWidget::itemDoubleClicked, this, [this] { tbOKClick(); });
  connect(ok_, &QToolButton::clicked, this, &TDataSearchCodeForm::tbOKClick);
  connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);
}

void TDataSearchCodeForm::showEvent(QShowEvent* event) {
  result_.clear();
  showPage(0);
  for (int i = 0; i < tables_->count(); ++i)
    if (tables_->item(i)->data(Qt::UserRole).toInt() == 0) tables_->setCurrentRow(i);
  tables_->setFocus();
  QDialog::showEvent(event);
}

bool TDataSearchCodeForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tables_ && event->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down) showCurrentTable();
  }
  return QDialog::eventFilter(watched, event);
}

void TDataSearchCodeForm::showCurrentTable() {
  if (QListWidgetItem* item = tables_->currentItem()) showPage(item->data(Qt::UserRole).toInt());
}

// Each indicator shows its column name and caption; the column name is what is chosen.
void TDataSearchCodeForm::showPage(int page) {
  page_ = page;
  indicators_->clear();
  try {
    for (const catalogue::SearchField& field : catalogue::SearchFields(connection_, page)) {
      const QString code = QText(field.code);
      const QString hint = QText(field.hint);
      auto* item = new QListWidgetItem(hint.isEmpty() ? code : code + "  " + hint, indicators_);
      item->setData(Qt::UserRole, code);
      item->setToolTip(item->text());
    }
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }
  if (indicators_->count() > 0) indicators_->setCurrentRow(0);
}

void TDataSearchCodeForm::tbOKClick() {
  QListWidgetItem* item = indicators_->currentItem();
  if (!item) return;
  result_ = StdText(item->data(Qt::UserRole).toString().trimmed());
  accept();
}

// ---- 指标查询 ----

TdlgDataSearchForm::TdlgDataSearchForm(db::Connection& connection, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName("dlgDataSearch");
  setWindowTitle(QStringLiteral("指标查询"));
  setFixedSize(560, 132);
  tool_ = new TToolForm(this);
  tool_->hide();
  picker_ = new TDataSearchCodeForm(connection, prompts, this);
  auto* group = new QGroupBox(QStringLiteral("指标范围"), this);
  group->setGeometry(8, 6, 544, 78);
  auto label = [group](const QString& text, const QRect& where) {
    auto* l = new QLabel(text, group);
    l->setGeometry(where);
  };
  label(QStringLiteral("指标"), QRect(10, 36, 30, 18));
  dataField_ = new TChoiceBox("DataField", group);
  dataField_->setGeometry(40, 32, 90, 24);
  label(QStringLiteral("的范围："), QRect(134, 36, 56, 18));
  const auto& ops = search::OperatorList();
  lc1_ = ChoiceBox("lc1", group, QRect(190, 32, 52, 24), tool_, ops);
  number1_ = new ValidEdit("Number1", group);
  number1_->setGeometry(246, 32, 110, 24);
  label(QStringLiteral("且"), QRect(362, 36, 16, 18));
  lc3_ = ChoiceBox("lc3", group, QRect(380, 32, 52, 24), tool_, ops);
  number2_ = new ValidEdit("Number2", group);
  number2_->setGeometry(436, 32, 100, 24);
  for (ValidEdit* e : {number1_, number2_}) e->Rule = entry::DigitsOnlyRule();
  AddFindBar(this, QRect(0, 95, 560, 37), QStringLiteral("查  找"), sum_, return_);
  SetDefaultButton(this, sum_);
  dataField_->setFocus();  // the indicator is chosen first
  connect(dataField_, &TCodeNameBox::dropDownRequested, this, &TdlgDataSearchForm::DataFieldButtonClick);
  connect(sum_, &QToolButton::clicked, this, &TdlgDataSearchForm::tbSumClick);
}

void TdlgDataSearchForm::DataFieldButtonClick() {
  if (picker_->exec() == QDialog::Accepted) dataField_->setText(QText(picker_->Result()));
}

search::SearchCondition TdlgDataSearchForm::condition() const {
  search::IndicatorInput input;
  input.indicator = StdText(dataField_->text());
  input.operator1 = lc1_->rememberedCode();
  input.number1 = StdText(number1_->text());
  input.operator2 = lc3_->rememberedCode();
  input.number2 = StdText(number2_->text());
  return search::IndicatorCondition(input);
}

void TdlgDataSearchForm::tbSumClick() {
  const search::SearchCondition c = condition();
  if (!c.ok()) {
    prompts_.message(c.refusal, MessageKind::Warning);
    if (QWidget* w = FieldOf(c.focus, dataField_, lc1_, number1_, lc3_, number2_)) w->setFocus();
    return;
  }
  if (showResults) showResults(c.text);
}

}  // namespace velmora::gui
