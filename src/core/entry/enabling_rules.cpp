#include "core/entry/enabling_rules.h"

#include <algorithm>
#include <optional>

#include "core/entry/field_groups.h"
#include "core/survey/codes.h"

namespace velmora::entry {

namespace {

// ---- the field rule of the unit category --------------------------------------------------

struct GroupRange {
  const char* prefix;
  int from;
  int to;
};

// The groups in the order the rule opens or closes them; the board group runs to h023, which
// does not exist and is passed over.
const std::vector<GroupRange> kEnterpriseUnionColumns = {{"b", 27, 28}};
const std::vector<GroupRange> kContractColumns = {{"h", 1, 10}};
const std::vector<GroupRange> kBoardColumns = {{"h", 11, 23}};
const std::vector<GroupRange> kPages4To6 = {{"l", 1, 10}, {"f", 1, 26}, {"j", 1, 23}};

struct CategoryFieldRule {
  std::vector<int> categories;
  bool enterpriseUnion;  // b027, b028
  bool contracts;        // h001-h010
  bool boards;           // h011-h022
  bool pages4To6;        // l, f, j
};

// Categories not listed open every group.
const std::vector<CategoryFieldRule> kCategoryFieldRules = {
    //  categories                        b027-028  h001-010  h011-022  l f j
    {{500},                                false,    false,    false,    false},
    {{401, 402, 701, 702, 703, 704},       false,    true,     false,    true},
    {{110, 600},                           true,     true,     false,    true},
};
const CategoryFieldRule kOpenEverything = {{}, true, true, true, true};

const CategoryFieldRule& FieldRuleFor(int category) {
  for (const CategoryFieldRule& rule : kCategoryFieldRules)
    if (std::find(rule.categories.begin(), rule.categories.end(), category) != rule.categories.end()) return rule;
  return kOpenEverything;
}

std::vector<std::string> Members(const std::vector<GroupRange>& groups) {
  std::vector<std::string> names;
  for (const GroupRange& g : groups) {
    std::vector<std::string> part = FieldGroup(g.prefix, g.from, g.to);
    names.insert(names.end(), part.begin(), part.end());
  }
  return names;
}

// ---- the holding-situation rule -----------------------------------------------------------

enum class HoldCache { Unchanged, Standard, Category169 };

struct HoldSituationRule {
  std::vector<int> categories;  // the categories of the row, or
  int atLeast;                  // every category from this code on (0: not used)
  HoldCache cache;
  std::optional<int> fixed;     // c909 is set to this and closed; nullopt: kept and open
};

// The first matching row wins; categories no row names reload the standard table and keep c909.
const std::vector<HoldSituationRule> kHoldSituationRules = {
    //  categories         from  cache                     c909
    {{},                   401,  HoldCache::Unchanged,     0},
    {{110, 151, 161},      0,    HoldCache::Standard,      1},
    {{120, 130},           0,    HoldCache::Unchanged,     2},
    {{170, 200, 300},      0,    HoldCache::Unchanged,     3},
    {{169},                0,    HoldCache::Category169,   std::nullopt},
};
const HoldSituationRule kAnyOtherCategory = {{}, 0, HoldCache::Standard, std::nullopt};

const HoldSituationRule& HoldRuleFor(int category) {
  for (const HoldSituationRule& rule : kHoldSituationRules) {
    if (rule.atLeast > 0 && category >= rule.atLeast) return rule;
    if (std::find(rule.categories.begin(), rule.categories.end(), category) != rule.categories.end()) return rule;
  }
  return kAnyOtherCategory;
}

void Step(EntryForm& form, FormEffects& effects, FieldChange change) {
  form.apply(change);
  effects.fields.push_back(std::move(change));
}

void Show(EntryForm& form, FormEffects& effects, NameDisplay name) {
  form.apply(name);
  effects.names.push_back(std::move(name));
}

void OpenOrClose(EntryForm& form, FormEffects& effects, const std::vector<GroupRange>& groups, bool open) {
  for (const std::string& name : Members(groups)) Step(form, effects, open ? EnableField(name) : DisableField(name));
}

FormEffects ApplyHoldSituation(EntryContext& context, EntryForm& form, int category) {
  FormEffects effects;
  const HoldSituationRule& rule = HoldRuleFor(category);
  if (rule.cache == HoldCache::Standard) context.codes.LoadHoldSituation(context.connection, 0);
  if (rule.cache == HoldCache::Category169) context.codes.LoadHoldSituation(context.connection, category);
  const survey::TMenuItemDataArray& names = context.codes.HoldSituationCodes;
  if (rule.fixed) {
    Step(form, effects, FieldChange{"c909", false, std::to_string(*rule.fixed)});
    Step(form, effects, FieldChange{kHoldSituation, false, std::nullopt});
    Show(form, effects, NameDisplay{kHoldSituation, survey::LookupCodeName(names, *rule.fixed), std::nullopt});
    return effects;
  }
  int holding = static_cast<int>(ValueInteger(form.values, "c909"));
  if (rule.cache == HoldCache::Category169 && survey::LookupCodeName(names, holding).empty()) {
    holding = 0;
    Step(form, effects, FieldChange{"c909", std::nullopt, "0"});
  }
  Step(form, effects, FieldChange{"c909", true, std::nullopt});
  Step(form, effects, FieldChange{kHoldSituation, true, std::nullopt});
  Show(form, effects, NameDisplay{kHoldSituation, survey::LookupCodeName(names, holding), std::nullopt});
  return effects;
}

}  // namespace

FieldChange EnableField(const std::string& name) { return FieldChange{name, true, std::nullopt}; }

FieldChange DisableField(const std::string& name) { return FieldChange{name, false, std::string("0")}; }

FormEffects ApplyReportingState(EntryContext& context, EntryForm& form, int code) {
  FormEffects effects;
  Step(form, effects, FieldChange{"c912", std::nullopt, std::to_string(code)});
  const bool reports = code <= 2;
  effects.checkEnabled = reports;
  effects.holdEnabled = reports;
  effects.clearErrorList = !reports;
  for (const std::string& name : IndicatorFields()) Step(form, effects, reports ? EnableField(name) : DisableField(name));
  if (reports) {
    effects.append(ApplyUnitCategory(context, form, static_cast<int>(ValueInteger(form.values, "c906"))));
    // Reopening z001 must not free it for a single grassroots union.
    effects.append(ApplyOrganisationType(form));
  }
  return effects;
}

FormEffects ApplyUnitCategory(EntryContext& context, EntryForm& form, int code) {
  FormEffects effects;
  Step(form, effects, FieldChange{"c906", std::nullopt, std::to_string(code)});
  if (ValueInteger(form.values, "c912") <= 2) {
    const CategoryFieldRule& rule = FieldRuleFor(code);
    OpenOrClose(form, effects, kEnterpriseUnionColumns, rule.enterpriseUnion);
    OpenOrClose(form, effects, kContractColumns, rule.contracts);
    OpenOrClose(form, effects, kBoardColumns, rule.boards);
    OpenOrClose(form, effects, kPages4To6, rule.pages4To6);
  }
  effects.append(ApplyHoldSituation(context, form, code));
  return effects;
}

FormEffects ApplyOrganisationType(EntryForm& form) {
  FormEffects effects;
  if (ValueInteger(form.values, "c904") == 1) Step(form, effects, FieldChange{"z001", false, std::string("1")});
  else Step(form, effects, EnableField("z001"));
  return effects;
}

std::vector<std::string> FieldsClosedByCategory(int category) {
  const CategoryFieldRule& rule = FieldRuleFor(category);
  std::vector<std::string> closed;
  auto add = [&](const std::vector<GroupRange>& groups, bool open) {
    if (open) return;
    std::vector<std::string> part = Members(groups);
    closed.insert(closed.end(), part.begin(), part.end());
  };
  add(kEnterpriseUnionColumns, rule.enterpriseUnion);
  add(kContractColumns, rule.contracts);
  add(kBoardColumns, rule.boards);
  add(kPages4To6, rule.pages4To6);
  return closed;
}

}  // namespace velmora::entry
