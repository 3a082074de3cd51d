#include "core/entry/cover_validation.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "core/base/error_text.h"
#include "core/base/text.h"
#include "core/db/query.h"
#include "core/entry/cover_messages.h"
#include "core/entry/edit_filters.h"
#include "core/entry/enabling_rules.h"
#include "core/entry/remembered_codes.h"
#include "core/prompts/user_prompts.h"
#include "core/survey/codes.h"

namespace velmora::entry {

namespace {

constexpr double kSmallestCode = 100000000000.0;
// Unit categories whose holding situation must be chosen.
constexpr int kHoldingRequired[] = {140, 159, 190, 169};

int IntValue(const EntryForm& form, std::string_view name) {
  return static_cast<int>(ValueInteger(form.values, name));
}

CheckResult Fail(EntryContext& context, const std::string& message, std::string focus, bool show = true) {
  CheckResult r;
  r.passed = false;
  r.focus = std::move(focus);
  if (show && !message.empty()) {
    r.message = message;
    context.prompts.message(message, MessageKind::Warning);
  }
  return r;
}

CheckResult ShowName(EntryForm& form, const char* control, std::string name, int code) {
  CheckResult r;
  NameDisplay display{control, std::move(name), code};
  form.apply(display);
  r.effects.names.push_back(std::move(display));
  return r;
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Whether the last two characters of a UTF-8 text are digits 0-9. A digit is one byte that is never
// part of a longer character, so the last two bytes tell, whatever the characters before them.
bool LastTwoAreDigits(std::string_view text) {
  return text.size() >= 2 && Digit(text[text.size() - 2]) && Digit(text[text.size() - 1]);
}

// c902, c910, c911: cut to the field's length, then something must remain.
CheckResult RequiredText(EntryContext& context, EntryForm& form, std::string_view field, const char* message) {
  const std::string text = ValueText(form.values, field);
  const std::string cut = CutToCharacters(text, TextLimitFor(field));
  CheckResult r;
  if (cut != text) {
    FieldChange change{std::string(field), std::nullopt, cut};
    form.apply(change);
    r.effects.fields.push_back(change);
  }
  if (base::Trim(cut).empty()) {
    CheckResult f = Fail(context, message, std::string(field));
    f.effects = std::move(r.effects);
    return f;
  }
  return r;
}

// A code field whose name comes from a code cache.
CheckResult CachedCode(EntryContext& context, EntryForm& form, const char* field, const char* control,
                       const survey::TMenuItemDataArray& codes, const char* message, bool show) {
  const int code = IntValue(form, field);
  std::string name = survey::LookupCodeName(codes, code);
  if (name.empty()) return Fail(context, message, field, show);
  return ShowName(form, control, std::move(name), code);
}

CheckResult UnionDomainExit(EntryContext& context, EntryForm& form, bool show) {
  std::string text = ValueText(form.values, "C907");
  const std::string upper = base::AsciiUpper(text);
  CheckResult r;
  if (upper != text) {
    FieldChange change{"C907", std::nullopt, upper};
    form.apply(change);
    r.effects.fields.push_back(change);
    text = upper;
  }
  if (text.empty()) {
    CheckResult e = ShowName(form, kTypeName, std::string(), -1);
    e.effects.fields = std::move(r.effects.fields);
    return e;
  }
  CheckResult failure;
  if (CharacterCount(text) != 3) failure = Fail(context, msg::kUnionDomainLength, std::string());
  else if (!LastTwoAreDigits(text)) failure = Fail(context, msg::kUnionDomainDigits, std::string());
  else {
    std::string name = survey::UnionDomainName(context.connection, text, context.prompts);
    if (name.empty()) failure = Fail(context, msg::kUnionDomainInvalid, "C907", show);
    else {
      CheckResult ok = ShowName(form, kTypeName, std::move(name), UnionDomainCodeNumber(text));
      ok.effects.fields = std::move(r.effects.fields);
      return ok;
    }
  }
  failure.effects = std::move(r.effects);
  return failure;
}

CheckResult HoldSituationExit(EntryContext& context, EntryForm& form, bool show) {
  const int holding = IntValue(form, "c909");
  const bool stateHeldRefused = IntValue(form, "c906") == survey::kHoldSituationAltCategory && holding == 1;
  if (holding > 3 || stateHeldRefused) return Fail(context, msg::kHoldSituationInvalid, "c909", show);
  return ShowName(form, kHoldSituation, survey::LookupCodeName(context.codes.HoldSituationCodes, holding), holding);
}

}  // namespace

bool IsTwelveDigitCode(const std::string& text) {
  if (text.empty()) return false;
  return CharacterCount(text) == 12 || std::strtod(text.c_str(), nullptr) >= kSmallestCode;
}

CheckResult CoverFieldExit(EntryContext& context, EntryForm& form, std::string_view field, CheckOrigin origin) {
  const bool byUser = origin == CheckOrigin::User;
  const bool codesAct = context.IsLoaded || !byUser;

  if (SameName(field, "c901")) {
    const std::string text = ValueText(form.values, "c901");
    if (text.empty()) return Fail(context, msg::kCodeRequired, "c901");
    if (!IsTwelveDigitCode(text)) return Fail(context, msg::kCodeTwelveDigits, "c901");
    return {};
  }
  if (SameName(field, "c902") || SameName(field, "c910") || SameName(field, "c911")) {
    if (!context.IsLoaded) return {};
    const char* message = SameName(field, "c902")   ? msg::kNameRequired
                          : SameName(field, "c910") ? msg::kFillerRequired
                                                    : msg::kTelephoneRequired;
    return RequiredText(context, form, field, message);
  }
  if (!codesAct) return {};

  const survey::CodeCaches& codes = context.codes;
  if (SameName(field, "c903")) {
    const int code = IntValue(form, "c903");
    std::string name = survey::CityCombName(context.connection, code, context.prompts);
    if (name.empty()) return Fail(context, msg::kCityInvalid, "c903", byUser);
    return ShowName(form, kCityNameCtrl, std::move(name), code);
  }
  if (SameName(field, "c904"))
    return CachedCode(context, form, "c904", kLevelName, codes.LevelCodes, msg::kLevelInvalidOnExit, byUser);
  if (SameName(field, "c905"))
    return CachedCode(context, form, "c905", kIndustryName, codes.IndustryCodes, msg::kIndustryInvalid, byUser);
  if (SameName(field, "c906")) {
    CheckResult r =
        CachedCode(context, form, "c906", kEconomicName, codes.EconomicCodes, msg::kEconomicInvalidOnExit, byUser);
    if (r.passed) r.effects.append(ApplyUnitCategory(context, form, IntValue(form, "c906")));
    return r;
  }
  if (SameName(field, "C907")) return UnionDomainExit(context, form, byUser);
  if (SameName(field, "c909")) return HoldSituationExit(context, form, byUser);
  if (SameName(field, "c912")) {
    CheckResult r = CachedCode(context, form, "c912", kStateName, codes.StateCodes, msg::kStateInvalidOnExit, byUser);
    if (r.passed) r.effects.append(ApplyReportingState(context, form, IntValue(form, "c912")));
    return r;
  }
  return {};
}

CheckResult ValidateCoverPage(EntryContext& context, const EntryForm& form) {
  const survey::CodeCaches& codes = context.codes;
  const std::string code = ValueText(form.values, "c901");
  if (code.empty()) return Fail(context, msg::kCodeRequired, "c901");
  if (!IsTwelveDigitCode(code)) return Fail(context, msg::kCodeTwelveDigits, "c901");

  const double value = ValueNumber(form.values, "c901");
  std::int64_t stored = 0;
  try {
    db::Query query(context.connection);
    query.setSql("SELECT count(*) as TBLNUM FROM dt_data  WHERE c901=:c901");
    query.setParam("c901", value);
    query.open();
    stored = query.fieldByName("TBLNUM").asInt64();
  } catch (const std::exception& e) {
    return Fail(context, base::AdministratorErrorText(e.what()), "c901");
  }
  if (stored > 0 && value != context.CurrentCode) {
    CheckResult r = Fail(context,
                         std::string(context.IsNew ? msg::kDuplicateWhileAdding : msg::kDuplicateWhileModifying) +
                             code + msg::kDuplicateTail,
                         "c901");
    r.disableSaveButtons = true;
    r.showCoverPage = true;
    return r;
  }

  if (TrimmedText(form.values, "c902").empty()) return Fail(context, msg::kUnionNameRequired, "c902");
  if (survey::CityCombName(context.connection, IntValue(form, "c903"), context.prompts).empty())
    return Fail(context, msg::kCityInvalid, "c903");
  if (survey::LookupCodeName(codes.LevelCodes, IntValue(form, "c904")).empty())
    return Fail(context, msg::kLevelInvalid, "c904");
  if (survey::LookupCodeName(codes.IndustryCodes, IntValue(form, "c905")).empty())
    return Fail(context, msg::kIndustryInvalid, "c905");
  const int category = IntValue(form, "c906");
  if (survey::LookupCodeName(codes.EconomicCodes, category).empty())
    return Fail(context, msg::kEconomicInvalid, "c906");
  if (survey::LookupCodeName(codes.StateCodes, IntValue(form, "c912")).empty())
    return Fail(context, msg::kStateInvalid, "c912");

  const bool holdingRequired =
      std::find(std::begin(kHoldingRequired), std::end(kHoldingRequired), category) != std::end(kHoldingRequired);
  if (holdingRequired) {
    // The name the control shows; without one, the name of c909 in the cache.
    auto shown = form.values.find(kHoldSituation);
    const std::string name = shown != form.values.end()
                                 ? base::Trim(shown->second)
                                 : survey::LookupCodeName(codes.HoldSituationCodes, IntValue(form, "c909"));
    if (name.empty()) return Fail(context, msg::kHoldSituationRequired, "c909");
  }
  if (TrimmedText(form.values, "c910").empty()) return Fail(context, msg::kFillerRequired, "c910");
  if (TrimmedText(form.values, "c911").empty()) return Fail(context, msg::kTelephoneRequired, "c911");
  const std::string domain = ValueText(form.values, "C907");
  if (!domain.empty() && survey::UnionDomainName(context.connection, domain, context.prompts).empty())
    return Fail(context, msg::kUnionDomainInvalid, "C907");
  return {};
}

}  // namespace velmora::entry
