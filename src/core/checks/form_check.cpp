#include "core/checks/form_check.h"

#include "core/base/text.h"
#include "core/checks/catalogue_hints.h"
#include "core/db/query.h"

namespace velmora::checks {

FormFieldValues FormFieldValues::FromCatalogue(db::Connection& connection) {
  FormFieldValues fields;
  db::Query q(connection);
  // Pages 0 (cover) to 7 hold the form's controls; the record state is no control of the form.
  q.setSql("select FieldName, QueryType from dt_fieldlist where PageID>=0 and PageID<=7");
  q.open();
  for (q.first(); !q.eof(); q.next()) {
    std::string name = q.fieldByName("FieldName").asString();
    if (base::AsciiLower(name) == "recordstate") continue;
    fields.addField(name, q.fieldByName("QueryType").asInteger() != 1);
  }
  return fields;
}

void FormFieldValues::addField(const std::string& name, bool numeric) { numeric_[base::AsciiLower(name)] = numeric; }

bool FormFieldValues::hasField(const std::string& name) const { return numeric_.count(base::AsciiLower(name)) > 0; }

bool FormFieldValues::isNumeric(const std::string& name) const {
  auto it = numeric_.find(base::AsciiLower(name));
  return it != numeric_.end() && it->second;
}

bool FormFieldValues::set(const std::string& name, double value) {
  if (!isNumeric(name)) return false;
  values_[base::AsciiLower(name)] = value;
  return true;
}

ControlValue FormFieldValues::ValueOf(const std::string& name) const {
  const std::string key = base::AsciiLower(name);
  auto it = numeric_.find(key);
  if (it == numeric_.end()) return {ControlStatus::NoSuchControl, 0};
  if (!it->second) return {ControlStatus::NotNumeric, 0};
  auto v = values_.find(key);
  return {ControlStatus::Numeric, v == values_.end() ? 0.0 : v->second};
}

std::vector<FiredRule> CheckFormValues(db::Connection& connection, UserPrompts& prompts,
                                       const FormFieldValues& values) {
  CatalogueHints hints(connection);
  RuleTextFormatter formatter(hints, prompts);
  CollectedErrors errors;
  PageRuleChecker checker(connection, prompts, values, errors, formatter);
  checker.CheckAllPageRules();
  return errors.entries;
}

}  // namespace velmora::checks
