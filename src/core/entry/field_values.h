#pragma once
// The entry form's controls as the core sees them: their texts by control name, which of them are
// closed, and the codes the name controls remember. Control names match record columns without
// regard to letter case ("C907" is the column c907, "L001" the column l001).

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::entry {

// Orders names without regard to ASCII letter case.
struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};
bool SameName(std::string_view a, std::string_view b);

// Control texts by control name. Numeric controls give their value in plain decimal ("" = blank,
// which counts as 0); name controls give the name they show.
using FieldValues = std::map<std::string, std::string, NameLess>;

// The text of a control; empty when the control is not in the map.
std::string ValueText(const FieldValues& values, std::string_view name);
// The text without leading and trailing blanks.
std::string TrimmedText(const FieldValues& values, std::string_view name);
// The value of a numeric control: blank, absent or unreadable text is 0; digit-group commas are
// ignored; a decimal value is rounded to the nearest whole number.
std::int64_t ValueInteger(const FieldValues& values, std::string_view name);
double ValueNumber(const FieldValues& values, std::string_view name);

// Number of characters of a UTF-8 text.
std::size_t CharacterCount(std::string_view text);

// Name controls of the cover page, each beside its code field.
inline constexpr const char* kCityNameCtrl = "CityNameCtrl";   // c903
inline constexpr const char* kLevelName = "LevelName";         // c904
inline constexpr const char* kIndustryName = "IndustryName";   // c905
inline constexpr const char* kEconomicName = "EconomicName";   // c906
inline constexpr const char* kTypeName = "TypeName";           // C907
inline constexpr const char* kHoldSituation = "HoldSituation"; // c909
inline constexpr const char* kStateName = "StateName";         // c912

// One step for the form: enable or disable a control and/or give it a new text.
struct FieldChange {
  std::string name;
  std::optional<bool> enabled;
  std::optional<std::string> value;
};

// What a name control shows, and the code it remembers (nullopt: keeps the one it had; -1: none).
struct NameDisplay {
  std::string control;
  std::string text;
  std::optional<int> remembered;
};

// Everything a rule or check asks of the form, in the order it happened. Applying the field
// changes in order gives the final state (a field may appear more than once).
struct FormEffects {
  std::vector<FieldChange> fields;
  std::vector<NameDisplay> names;
  std::optional<bool> checkEnabled;  // the logic-check button tbCheck
  std::optional<bool> holdEnabled;   // the temporary-save button tbHold
  bool clearErrorList = false;       // clear the error list and hide it

  void append(const FormEffects& more);
};

// The core's image of the form: control texts, closed controls and remembered codes. Rules and
// checks update it and report the same steps as FormEffects for the real form.
struct EntryForm {
  FieldValues values;
  std::set<std::string, NameLess> disabled;
  std::map<std::string, int, NameLess> remembered;

  bool isEnabled(std::string_view name) const { return disabled.find(name) == disabled.end(); }
  void apply(const FieldChange& change);
  void apply(const NameDisplay& name);
  void apply(const FormEffects& effects);
};

}  // namespace velmora::entry
