// Loading a record into the entry form, the temporary and the formal save, the close query and
// the logic check.
#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "core/base/error_text.h"
#include "core/checks/rule_text.h"
#include "core/entry/remembered_codes.h"
#include "core/settings/settings_store.h"
#include "core/survey/codes.h"
#include "gui/entry/message_list_win.h"
#include "gui/entry/bound_records.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"
#include "gui/widgets/valid_edit.h"

namespace velmora::gui {

namespace {

constexpr const char* kTemporarilySaved = "数据已经被临时保存。";
constexpr const char* kSavedWithoutErrors = "数据保存成功，没有逻辑错误！";
constexpr const char* kSavedWithErrors = "数据保存成功，有逻辑错误！";
constexpr const char* kCloseQuestion = "对数据改动后尚未保存，准备保存这些改动吗？";
constexpr const char* kNoLogicErrors = "没有逻辑错误";

}  // namespace

void TdlgSurveyDataForm::showRunError(const std::exception& e) {
  prompts_.message(base::AdministratorErrorText(e.what()),
                   MessageKind::Error);
}

void TdlgSurveyDataForm::FormShow() {
  move(10, 2);
  db::Connection& connection = session_.SysADOConnection();
  survey::SurveyCodes().LoadAll(connection);
  bindings_ = entry::LoadFieldBindings(connection, catalogue::FieldListTable(session_.Edition()));
  LoadRecord();
  // A stored record prints as it is stored: only when modifying, and until something is changed.
  button("tbPrint")->setEnabled(!IsNew);
  const bool several = boundRecords_ && boundRecords_->recordCount() > 1;
  navBar_->setVisible(!IsNew && several);
  itemNo_->setVisible(!IsNew);
}

std::string TdlgSurveyDataForm::shownCode() const { return cover_->c901->text().trimmed().toStdString(); }

void TdlgSurveyDataForm::LoadRecord() {
  context_.IsNew = IsNew;
  applyLimits();
  double code = 0;
  if (boundRecords_) {
    if (const auto key = boundRecords_->currentKey()) code = key->toDouble();
  }
  entry::EntryForm form = image();
  syncing_ = true;
  try {
    entry::LoadedRecord loaded = entry::LoadRecord(context_, bindings_, form, code);
    syncFromImage(form);
    loaded.effects.fields.clear();
    loaded.effects.names.clear();
    applyEffects(loaded.effects);
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;

  for (const char* name : {"tbHold", "tbSave", "tbAdd"}) button(name)->setEnabled(false);
  modified_ = false;
  dataPage_->setCurrentIndex(0);
  activePage_ = 0;
  LoadNotes(0);
  confirmedRatios_.clear();
  errorList_->hide();
  cover_->c901->setFocus(Qt::OtherFocusReason);
  updatePosition();
  buttonActions_.value("tbAdd")->setVisible(IsNew);
  buttonActions_.value("tbSave")->setVisible(!IsNew);
}

void TdlgSurveyDataForm::updatePosition() {
  const std::int64_t count = boundRecords_ ? boundRecords_->recordCount() : 0;
  if (count < 2) {
    itemNo_->setText("第1条/共1条");
    navBar_->hide();
  } else {
    itemNo_->setText(QString("第%1条/共%2条").arg(boundRecords_->position()).arg(count));
    navBar_->setVisible(!IsNew);
  }
  updateNavigation();
}

bool TdlgSurveyDataForm::reportingOpen() const { return cover_->c912->integerValue() <= 2; }

bool TdlgSurveyDataForm::store(entry::StoreState state) {
  const bool appending = IsNew && !context_.IsStored;
  const entry::EntryForm form = image();
  const entry::StoreResult result = entry::StoreRecord(context_, bindings_, form, state, appending);
  if (!result.ok) return false;
  afterStore();
  return true;
}

void TdlgSurveyDataForm::afterStore() {
  if (boundRecords_) {
    try {
      boundRecords_->requery();
      if (!IsNew) boundRecords_->moveToKey(db::Variant(context_.CurrentCode));
    } catch (const std::exception& e) {
      showRunError(e);
    }
  }
  emit recordStored();
}

bool TdlgSurveyDataForm::tbHoldClick() {
  const entry::CheckResult valid = entry::ValidateCoverPage(context_, image());
  if (!valid.passed) {
    applyCheck(valid);
    return false;
  }
  if (!store(entry::StoreState::Temporary)) return false;
  context_.IsStored = true;
  modified_ = false;
  button("tbHold")->setEnabled(false);
  prompts_.message(kTemporarilySaved);
  return true;
}

bool TdlgSurveyDataForm::tbSaveClick(bool fromButton) {
  const entry::CheckResult valid = entry::ValidateCoverPage(context_, image());
  if (!valid.passed) {
    applyCheck(valid);
    return false;
  }
  if (fromButton && reportingOpen()) runAllPageRules();
  const bool clean = errorList_->HasNoEntries();
  if (!store(clean ? entry::StoreState::WithoutLogicErrors : entry::StoreState::WithLogicErrors)) return false;
  for (const char* name : {"tbHold", "tbSave", "tbAdd"}) button(name)->setEnabled(false);
  context_.IsStored = false;
  modified_ = false;
  prompts_.message(clean ? kSavedWithoutErrors : kSavedWithErrors);
  try {
    entry::WriteRememberedCover({static_cast<int>(cover_->c903->integerValue()), cover_->c910->text().toStdString(),
                                 cover_->c911->text().toStdString()});
  } catch (const std::exception& e) {
    showRunError(e);
  }
  if (IsNew) {
    try {
      LoadRecord();
    } catch (const std::exception& e) {
      showRunError(e);
    }
    // the errors of the record just stored stay in view, so that the user can go through them
    if (!clean) errorList_->Show();
  }
  return true;
}

// Asked before the form closes or moves to another record. Unlike a bare yes/no, the question can
// be cancelled, and it is asked whenever anything was changed (also with the temporary save
// closed by the reporting state), so nothing typed is dropped without the user's word.
bool TdlgSurveyDataForm::FormCloseQuery() {
  if (!modified_) {
    errorList_->hide();
    return true;
  }
  const Answer answer = prompts_.ask(kCloseQuestion, {Answer::Yes, Answer::No, Answer::Cancel});
  if (answer == Answer::Cancel) return false;
  if (answer == Answer::No) {
    errorList_->hide();
    return true;
  }
  const entry::CheckResult valid = entry::ValidateCoverPage(context_, image());
  if (!valid.passed) {
    applyCheck(valid);
    return false;
  }
  if (reportingOpen()) runAllPageRules();
  errorList_->hide();
  // a store that failed keeps the form open with what was typed
  return errorList_->HasNoEntries() ? tbSaveClick(false) : tbHoldClick();
}

void TdlgSurveyDataForm::done(int result) {
  if (!closing_) {
    closing_ = true;
    const bool allowed = FormCloseQuery();
    closing_ = false;
    if (!allowed) return;
  }
  errorList_->hide();
  QDialog::done(result);
}

// One checker for the form's life: it keeps its prepared statements between page changes.
checks::PageRuleChecker& TdlgSurveyDataForm::ruleChecker() {
  if (!checker_) {
    formatter_ = std::make_unique<checks::RuleTextFormatter>(hints_, prompts_);
    checker_ = std::make_unique<checks::PageRuleChecker>(session_.SysADOConnection(), prompts_, *this, *errorList_,
                                                         *formatter_);
  }
  return *checker_;
}

void TdlgSurveyDataForm::runPageRules(int page, bool clearFirst) { ruleChecker().CheckPageRules(page, clearFirst); }

void TdlgSurveyDataForm::runAllPageRules() { ruleChecker().CheckAllPageRules(); }

void TdlgSurveyDataForm::tbCheckClick() {
  const entry::CheckResult valid = entry::ValidateCoverPage(context_, image());
  if (!valid.passed) {
    applyCheck(valid);
    return;
  }
  runAllPageRules();
  if (errorList_->HasNoEntries()) {
    prompts_.message(kNoLogicErrors);
    errorList_->hide();
  } else {
    errorList_->Show();
    FocusFirstField();
  }
}

}  // namespace velmora::gui
