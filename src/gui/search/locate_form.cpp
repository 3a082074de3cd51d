#include "gui/search/locate_form.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QToolButton>

#include "core/search/search_conditions.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/records/record_grid.h"
#include "gui/settings/input_methods.h"
#include "gui/widgets/dialog_buttons.h"

namespace velmora::gui {

TdlgLocateForm::TdlgLocateForm(db::Connection& connection, UserPrompts& prompts, RecordGrid& grid, QWidget* parent)
    : QDialog(parent), connection_(connection), prompts_(prompts), grid_(grid) {
  setObjectName("dlgLocate");
  setWindowTitle(QStringLiteral("定位数据记录"));
  setFixedSize(380, 112);
  rad901_ = new QRadioButton(QStringLiteral("按编号定位（精确匹配）"), this);
  rad901_->setObjectName("rad901");
  rad901_->setGeometry(12, 10, 170, 22);
  rad901_->setChecked(true);
  rad902_ = new QRadioButton(QStringLiteral("按名称定位（模糊匹配）"), this);
  rad902_->setObjectName("rad902");
  rad902_->setGeometry(12, 42, 170, 22);
  c901_ = new TNumericEdit("c901", this);
  c901_->setLimits(0, static_cast<double>(search::kLargestCode), 14);
  c901_->setGrouping(false);
  c901_->setGeometry(186, 9, 182, 24);
  c902_ = new ValidEdit("c902", this);
  c902_->Rule = entry::ForbidQuotesRule();
  c902_->setGeometry(186, 41, 182, 24);
  c902_->installEventFilter(this);

  auto* bar = new QFrame(this);
  bar->setObjectName("ToolBar");
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setGeometry(0, 75, 380, 37);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addStretch();
  sum_ = DialogToolButton("tbSum", QStringLiteral("定  位"), bar);
  return_ = DialogToolButton("tbReturn", QStringLiteral("返  回"), bar);
  layout->addWidget(sum_);
  layout->addWidget(return_);
  SetDefaultButton(this, sum_);
  // Reading order: each radio button before its box; a code is typed at once.
  setTabOrder(rad901_, c901_);
  setTabOrder(c901_, rad902_);
  setTabOrder(rad902_, c902_);
  setTabOrder(c902_, sum_);
  OneTabStop({rad901_, rad902_});
  c901_->setFocus();

  connect(c901_, &QLineEdit::textEdited, rad901_, [this] { rad901_->setChecked(true); });
  connect(c902_, &QLineEdit::textEdited, rad902_, [this] { rad902_->setChecked(true); });
  connect(sum_, &QToolButton::clicked, this, &TdlgLocateForm::tbSumClick);
  connect(return_, &QToolButton::clicked, this, &QDialog::reject);
}

bool TdlgLocateForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == c902_ && event->type() == QEvent::FocusIn) SwitchOnPreferredInputMethod(c902_);
  return QDialog::eventFilter(watched, event);
}

bool TdlgLocateForm::moveTo(const db::Variant& code) {
  const std::int64_t row = grid_.isOpen() ? grid_.source().rowOfKey(code) : -1;
  if (row < 0) return false;
  grid_.setCurrentRow(static_cast<int>(row));
  return true;
}

void TdlgLocateForm::tbSumClick() {
  try {
    std::optional<db::Variant> code;
    if (rad901_->isChecked()) {
      if (!c901_->isBlank()) code = db::Variant(c901_->integerValue());
    } else {
      code = search::FindCodeByName(connection_, c902_->text().toStdString());
    }
    if (code && moveTo(*code)) {
      accept();
      return;
    }
    prompts_.message(search::kNoMatchingData, MessageKind::Information);
  } catch (const std::exception& e) {
    prompts_.message(e.what(), MessageKind::Error);
  }
}

}  // namespace velmora::gui
