// The cover page of the entry form: the checks when a field is left, and the code lists and
// pickers behind the name controls.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "core/base/error_text.h"
#include "core/db/error.h"
#include "core/entry/enabling_rules.h"
#include "core/entry/remembered_codes.h"
#include "core/survey/codes.h"
#include "gui/entry/city_name_form.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/entry/union_type_form.h"
#include "gui/widgets/valid_edit.h"

namespace velmora::gui {

bool TdlgSurveyDataForm::eventFilter(QObject* watched, QEvent* event) {
  QTabBar* tabs = dataPage_->tabBar();
  auto* field = qobject_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (field && fieldPage_.contains(field)) {
        if (fieldKeyPress(field, static_cast<QKeyEvent*>(event))) return true;
      } else if (watched == tabs) {
        if (fieldKeyPress(nullptr, static_cast<QKeyEvent*>(event))) return true;
      }
      break;
    case QEvent::FocusIn:
      if (field && fieldPage_.contains(field)) switchInputMethod(field);
      break;
    case QEvent::FocusOut:
      if (field && fieldPage_.contains(field)) {
        // A message box or a menu taking the focus is not the user leaving the field.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible()) {
          if (fieldPage_.value(field) == 0) coverFieldExit(watched->objectName());
          else plausibilityExit(watched->objectName());
        }
      }
      break;
    case QEvent::MouseButtonPress:
      if (watched == tabs) {
        // Page changes by the user pass the page-change handling, which may refuse them.
        auto* click = static_cast<QMouseEvent*>(event);
        const int index = tabs->tabAt(click->position().toPoint());
        if (index >= 0 && index != dataPage_->currentIndex()) setActivePage(index);
        return true;
      }
      break;
    case QEvent::Wheel:
      if (watched == tabs) return true;  // the wheel would turn pages past their checks
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void TdlgSurveyDataForm::coverFieldExit(const QString& name) {
  if (inExit_ || syncing_) return;
  inExit_ = true;
  try {
    entry::EntryForm form = image();
    applyCheck(entry::CoverFieldExit(context_, form, name.toStdString(), entry::CheckOrigin::User));
  } catch (const std::exception& e) {
    prompts_.message(base::AdministratorErrorText(e.what()),
                     MessageKind::Error);
  }
  inExit_ = false;
}

void TdlgSurveyDataForm::applyCheck(const entry::CheckResult& result) {
  applyEffects(result.effects);
  if (result.disableSaveButtons) {
    button("tbHold")->setEnabled(false);
    button("tbSave")->setEnabled(false);
    button("tbAdd")->setEnabled(false);
  }
  if (result.showCoverPage) {
    const bool was = inExit_;
    inExit_ = true;  // the field hidden with its page is not left by the user
    dataPage_->setCurrentIndex(0);
    activePage_ = 0;
    inExit_ = was;
  }
  if (!result.focus.empty()) focusControl(result.focus);
}

void TdlgSurveyDataForm::focusControl(const std::string& name) {
  QWidget* w = control(QString::fromStdString(name));
  if (!w) return;
  const bool was = inExit_;
  inExit_ = true;  // moving the focus back is not leaving another field
  for (int i = 0; i < dataPage_->count(); ++i) {
    if (dataPage_->widget(i)->isAncestorOf(w) && dataPage_->currentIndex() != i) {
      dataPage_->setCurrentIndex(i);
      activePage_ = i;
    }
  }
  if (w->isEnabled() && w->focusPolicy() != Qt::NoFocus) w->setFocus(Qt::OtherFocusReason);
  inExit_ = was;
}

// A code chosen from a list goes into its field without the field's own check.
void TdlgSurveyDataForm::setCodeField(const char* field, int code) {
  if (TNumericEdit* box = numericBox(field)) box->setIntegerValue(code);
}

void TdlgSurveyDataForm::OpenCodeList(TCodeNameBox& nameControl) {
  if (!nameControl.isEnabled()) return;
  survey::CodeCaches& codes = survey::SurveyCodes();
  auto rule = [this](int code, bool reporting) {
    try {
      entry::EntryForm form = image();
      applyEffects(reporting ? entry::ApplyReportingState(context_, form, code)
                             : entry::ApplyUnitCategory(context_, form, code));
    } catch (const std::exception& e) {
      prompts_.message(base::AdministratorErrorText(e.what()),
                       MessageKind::Error);
    }
  };
  if (&nameControl == cover_->LevelName)
    toolForm_->ShowCodePopup(nameControl, codes.LevelCodes, [this](int c) { setCodeField("c904", c); });
  else if (&nameControl == cover_->IndustryName)
    toolForm_->ShowCodePopup(nameControl, codes.IndustryCodes, [this](int c) { setCodeField("c905", c); });
  else if (&nameControl == cover_->EconomicName)
    toolForm_->ShowCodePopup(nameControl, codes.EconomicCodes, [rule](int c) { rule(c, false); });
  else if (&nameControl == cover_->HoldSituation)
    toolForm_->ShowCodePopup(nameControl, codes.HoldSituationCodes, [this](int c) { setCodeField("c909", c); });
  else if (&nameControl == cover_->StateName)
    toolForm_->ShowCodePopup(nameControl, codes.StateCodes, [rule](int c) { rule(c, true); });
}

void TdlgSurveyDataForm::OpenCityPicker() {
  if (!cover_->CityNameCtrl->isEnabled()) return;
  try {
    const int remembered = cover_->CityNameCtrl->rememberedCode();
    TCityNameForm picker(session_.SysADOConnection(), remembered > 0 ? remembered : 0, this);
    if (picker.exec() != QDialog::Accepted) return;
    setCodeField("c903", picker.SelectedCode());
    cover_->CityNameCtrl->setRememberedCode(picker.SelectedCode());
    cover_->CityNameCtrl->setText(picker.SelectedName());
  } catch (const std::exception& e) {
    prompts_.message(base::AdministratorErrorText(e.what()),
                     MessageKind::Error);
  }
}

void TdlgSurveyDataForm::OpenUnionTypePicker() {
  if (!cover_->TypeName->isEnabled()) return;
  try {
    const int remembered = cover_->TypeName->rememberedCode();
    const QString start =
        remembered >= 100 ? QString::fromStdString(entry::UnionDomainCodeText(remembered)) : QString();
    TUnionTypeForm picker(session_.SysADOConnection(), start, this);
    if (picker.exec() != QDialog::Accepted) return;
    const QString code = picker.SelectedCode();
    if (code.size() == 3) {
      cover_->C907->setText(code);
      cover_->TypeName->setRememberedCode(entry::UnionDomainCodeNumber(code.toStdString()));
      cover_->TypeName->setText(picker.SelectedName());
    } else {
      cover_->C907->clear();
      cover_->TypeName->reset();
    }
  } catch (const std::exception& e) {
    prompts_.message(base::AdministratorErrorText(e.what()),
                     MessageKind::Error);
  }
}

}  // namespace velmora::gui
