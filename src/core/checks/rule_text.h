#pragma once
// The explanation of a rule for the user: a rule text such as "z002[>]z001" becomes a sentence in
// which every field name is replaced by the field's description from the field catalogue and every
// bracketed operator by a Chinese phrase.

#include <optional>
#include <string>
#include <string_view>

namespace velmora {
class UserPrompts;
}

namespace velmora::checks {

// Where the explainer finds a field's description.
class FieldHints {
 public:
  virtual ~FieldHints() = default;
  // Makes sure the descriptions can be looked up; throws when the catalogue cannot be read.
  virtual void EnsureLoaded() {}
  // The Hint of the catalogue row named `fieldName` (the whole name), nullopt when no row has that
  // name. Throws when the catalogue cannot be read.
  virtual std::optional<std::string> HintOf(const std::string& fieldName) = 0;
};

class RuleTextFormatter {
 public:
  RuleTextFormatter(FieldHints& hints, UserPrompts& prompts) : hints_(hints), prompts_(prompts) {}

  // The explanation of a whole rule text.
  std::string FormatRuleText(std::string_view text);

  // One token: an operator ("<=", ">=", "=", ">", "<", optionally bracketed) gives its phrase, a
  // catalogue field name "[" + Hint + "]", anything else itself. A failing catalogue is reported
  // to the user and the token then contributes nothing.
  std::string ExplainToken(std::string_view token);

 private:
  FieldHints& hints_;
  UserPrompts& prompts_;
};

}  // namespace velmora::checks
