#include "core/entry/save_flows.h"

#include <exception>

#include "core/base/error_text.h"
#include "core/entry/cover_messages.h"
#include "core/entry/remembered_codes.h"
#include "core/prompts/user_prompts.h"

namespace velmora::entry {

namespace {

constexpr const char* kTemporarilySaved = "数据已经被临时保存。";
constexpr const char* kSavedClean = "数据保存成功，没有逻辑错误！";
constexpr const char* kSavedWithErrors = "数据保存成功，有逻辑错误！";

bool Appending(const EntryContext& context) { return context.IsNew && !context.IsStored; }

}  // namespace

SaveOutcome TemporarySave(EntryContext& context, const FieldBindings& bindings, EntryForm& form) {
  SaveOutcome outcome;
  outcome.validation = ValidateCoverPage(context, form);
  if (!outcome.validation.passed) return outcome;
  if (!StoreRecord(context, bindings, form, StoreState::Temporary, Appending(context)).ok) return outcome;
  outcome.saved = true;
  outcome.requery = true;
  context.IsStored = true;
  outcome.message = kTemporarilySaved;
  context.prompts.message(outcome.message, MessageKind::Information);
  return outcome;
}

SaveOutcome FormalSave(EntryContext& context, const FieldBindings& bindings, EntryForm& form, const PageChecks& checks,
                       bool startedByUser) {
  SaveOutcome outcome;
  outcome.validation = ValidateCoverPage(context, form);
  if (!outcome.validation.passed) return outcome;
  if (startedByUser && ValueInteger(form.values, "c912") <= 2 && checks.CheckAllPageRules) checks.CheckAllPageRules();
  const bool clean = !checks.HasNoEntries || checks.HasNoEntries();
  const StoreState state = clean ? StoreState::WithoutLogicErrors : StoreState::WithLogicErrors;
  if (!StoreRecord(context, bindings, form, state, Appending(context)).ok) return outcome;

  outcome.saved = true;
  outcome.requery = true;
  context.IsStored = false;
  outcome.message = clean ? kSavedClean : kSavedWithErrors;
  context.prompts.message(outcome.message, MessageKind::Information);
  try {
    WriteRememberedCover(RememberedCover{static_cast<int>(ValueInteger(form.values, "c903")),
                                         ValueText(form.values, "c910"), ValueText(form.values, "c911")});
  } catch (const std::exception& e) {
    context.prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
  }
  if (context.IsNew) outcome.next = LoadRecord(context, bindings, form);
  return outcome;
}

}  // namespace velmora::entry
