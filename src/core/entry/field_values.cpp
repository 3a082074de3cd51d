#include "core/entry/field_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/base/text.h"

namespace velmora::entry {

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return base::LowerChar(x) < base::LowerChar(y); });
}

bool SameName(std::string_view a, std::string_view b) { return base::SameIgnoringCase(a, b); }

std::string ValueText(const FieldValues& values, std::string_view name) {
  auto it = values.find(name);
  return it == values.end() ? std::string() : it->second;
}

std::string TrimmedText(const FieldValues& values, std::string_view name) { return base::Trim(ValueText(values, name)); }

double ValueNumber(const FieldValues& values, std::string_view name) {
  std::string text;
  for (char c : base::Trim(ValueText(values, name)))
    if (c != ',') text += c;
  if (text.empty()) return 0;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  return end && *end == '\0' && std::isfinite(v) ? v : 0;
}

std::int64_t ValueInteger(const FieldValues& values, std::string_view name) {
  std::string text;
  for (char c : base::Trim(ValueText(values, name)))
    if (c != ',') text += c;
  if (text.empty()) return 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (end && *end == '\0') return v;  // whole numbers keep all 64 bits
  double d = ValueNumber(values, name);
  if (std::fabs(d) >= 9.2e18) return 0;
  return static_cast<std::int64_t>(std::llround(d));
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

void FormEffects::append(const FormEffects& more) {
  fields.insert(fields.end(), more.fields.begin(), more.fields.end());
  names.insert(names.end(), more.names.begin(), more.names.end());
  if (more.checkEnabled) checkEnabled = more.checkEnabled;
  if (more.holdEnabled) holdEnabled = more.holdEnabled;
  clearErrorList = clearErrorList || more.clearErrorList;
}

void EntryForm::apply(const FieldChange& change) {
  if (change.enabled) {
    if (*change.enabled) disabled.erase(change.name);
    else disabled.insert(change.name);
  }
  if (change.value) values[change.name] = *change.value;
}

void EntryForm::apply(const NameDisplay& name) {
  values[name.control] = name.text;
  if (name.remembered) remembered[name.control] = *name.remembered;
}

void EntryForm::apply(const FormEffects& effects) {
  for (const FieldChange& c : effects.fields) apply(c);
  for (const NameDisplay& n : effects.names) apply(n);
}

}  // namespace velmora::entry
