// The entry form's controls as the core routines see them, and putting the routines' results back
// on screen.
#include <QToolButton>

#include "core/entry/enabling_rules.h"
#include "gui/entry/message_list_win.h"
#include "gui/widgets/code_name_box.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/widgets/valid_edit.h"

namespace velmora::gui {

entry::EntryForm TdlgSurveyDataForm::image() const {
  entry::EntryForm form;
  for (QWidget* w : fieldOrder_) {
    const std::string name = w->objectName().toStdString();
    if (auto* box = qobject_cast<TNumericEdit*>(w))
      form.values[name] = box->plainText().toStdString();
    else if (auto* edit = qobject_cast<ValidEdit*>(w))
      form.values[name] = edit->text().toStdString();
    if (!w->isEnabled()) form.disabled.insert(name);
  }
  for (TCodeNameBox* n : cover_->nameControls()) {
    const std::string name = n->objectName().toStdString();
    form.values[name] = n->text().toStdString();
    form.remembered[name] = n->rememberedCode();
    if (!n->isEnabled()) form.disabled.insert(name);
  }
  return form;
}

void TdlgSurveyDataForm::setControlText(QWidget* control, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (auto* box = qobject_cast<TNumericEdit*>(control))
    box->setPlain(value);
  else if (auto* edit = qobject_cast<ValidEdit*>(control))
    edit->setText(value);
  else if (auto* name = qobject_cast<TCodeNameBox*>(control))
    name->setText(value);
}

void TdlgSurveyDataForm::syncFromImage(const entry::EntryForm& form) {
  const bool was = syncing_;
  syncing_ = true;
  for (QWidget* w : fieldOrder_) {
    const auto found = form.values.find(w->objectName().toStdString());
    if (found != form.values.end()) setControlText(w, found->second);
    w->setEnabled(form.isEnabled(w->objectName().toStdString()));
  }
  for (TCodeNameBox* n : cover_->nameControls()) {
    const std::string name = n->objectName().toStdString();
    const auto found = form.values.find(name);
    n->setText(found != form.values.end() ? QString::fromStdString(found->second) : QString());
    const auto code = form.remembered.find(name);
    n->setRememberedCode(code != form.remembered.end() ? code->second : -1);
    n->setEnabled(form.isEnabled(name));
  }
  syncing_ = was;
}

void TdlgSurveyDataForm::applyEffects(const entry::FormEffects& effects) {
  for (const entry::FieldChange& change : effects.fields) {
    QWidget* w = control(QString::fromStdString(change.name));
    if (!w) continue;
    if (change.enabled) w->setEnabled(*change.enabled);
    if (change.value) setControlText(w, *change.value);
  }
  for (const entry::NameDisplay& shown : effects.names) {
    auto* name = qobject_cast<TCodeNameBox*>(control(QString::fromStdString(shown.control)));
    if (!name) continue;
    name->setText(QString::fromStdString(shown.text));
    if (shown.remembered) name->setRememberedCode(*shown.remembered);
  }
  if (effects.checkEnabled) button("tbCheck")->setEnabled(*effects.checkEnabled);
  if (effects.holdEnabled) button("tbHold")->setEnabled(*effects.holdEnabled);
  if (effects.clearErrorList) errorList_->ClearEntries();
}

// Limits of the numeric boxes and the filters of the text boxes, as the catalogue gives them.
void TdlgSurveyDataForm::applyLimits() {
  for (const entry::FieldBinding& binding : bindings_) {
    QWidget* w = controls_.value(QString::fromStdString(binding.FieldName).toLower());
    if (auto* box = qobject_cast<TNumericEdit*>(w); box && binding.limits) {
      box->setLimits(static_cast<double>(binding.limits->minimum), static_cast<double>(binding.limits->maximum),
                     binding.limits->maxLength);
    } else if (auto* edit = qobject_cast<ValidEdit*>(w); edit && binding.forbidQuotes) {
      edit->Rule = entry::ForbidQuotesRule();
    }
  }
}

void TdlgSurveyDataForm::contentChanged(QWidget* source) {
  if (syncing_) return;
  modified_ = true;
  button("tbHold")->setEnabled(reportingOpen());
  button("tbSave")->setEnabled(true);
  button("tbAdd")->setEnabled(true);
  button("tbPrint")->setEnabled(false);
  // The organisation type fixes z001 whenever it changes.
  if (source == cover_->c904) {
    entry::EntryForm form = image();
    const entry::FormEffects effects = entry::ApplyOrganisationType(form);
    applyEffects(effects);
  }
}

checks::ControlValue TdlgSurveyDataForm::ValueOf(const std::string& name) const {
  QWidget* w = control(QString::fromStdString(name));
  if (!w) return {checks::ControlStatus::NoSuchControl, 0};
  if (auto* box = qobject_cast<TNumericEdit*>(w)) return {checks::ControlStatus::Numeric, box->value()};
  return {checks::ControlStatus::NotNumeric, 0};
}

}  // namespace velmora::gui
