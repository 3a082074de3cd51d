#pragma once
// The form's rule check without the form: every dt_logic row evaluated on a set of field values
// exactly as the entry form evaluates it before a formal save (pages 1 to 7, fields not given
// are 0).

#include <string>
#include <unordered_map>
#include <vector>

#include "core/checks/page_rules.h"

namespace velmora {
class UserPrompts;
}
namespace velmora::db {
class Connection;
}

namespace velmora::checks {

struct FiredRule {
  int page = 0;
  std::string focus;
  std::string rule;
  std::string explanation;
};

// The entry form's fields as controls: the catalogue's fields of the cover and the survey pages;
// text fields are controls that are not numeric. Values not set are 0.
class FormFieldValues : public ControlValues {
 public:
  // Reads the fields from the catalogue table "dt_fieldlist". Throws db::DbError.
  static FormFieldValues FromCatalogue(db::Connection& connection);

  void addField(const std::string& name, bool numeric);
  bool hasField(const std::string& name) const;
  bool isNumeric(const std::string& name) const;
  // Sets a value of a numeric field; false when there is no such field or it is a text field.
  bool set(const std::string& name, double value);

  ControlValue ValueOf(const std::string& name) const override;

 private:
  std::unordered_map<std::string, bool> numeric_;   // lower-case name -> numeric
  std::unordered_map<std::string, double> values_;  // lower-case name -> value
};

// An error list that keeps its entries in order.
class CollectedErrors : public ErrorList {
 public:
  std::vector<FiredRule> entries;
  bool shown = false;

  void ClearEntries() override {
    entries.clear();
    shown = false;
  }
  void AddEntry(const std::string& rule, const std::string& explanation, const std::string& focus,
                int page) override {
    entries.push_back({page, focus, rule, explanation});
  }
  bool HasNoEntries() const override { return entries.empty(); }
  void Show() override { shown = true; }
};

// The rows that fire for the values, in the order the form lists them. Messages (unknown names,
// faulty rows, catalogue failures) go to `prompts`.
std::vector<FiredRule> CheckFormValues(db::Connection& connection, UserPrompts& prompts,
                                       const FormFieldValues& values);

}  // namespace velmora::checks
