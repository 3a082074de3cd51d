#pragma once
// Checks of the cover page: each field's check when the user leaves it, and the check of the whole
// cover that must pass before anything is stored or checked. Failures are shown through the
// context's prompts; the result says where the focus goes and what else the form must do.

#include <string>
#include <string_view>

#include "core/entry/entry_context.h"
#include "core/entry/field_values.h"

namespace velmora::entry {

// Who runs an exit check: the user leaving the field, or the form itself while loading. A check
// the form runs shows no message for an unknown code (the C907 format messages still appear) but
// still asks for the focus.
enum class CheckOrigin { User, Program };

struct CheckResult {
  bool passed = true;
  std::string message;  // the message that was shown; empty when none was
  std::string focus;    // the control that gets the focus; empty: the focus stays
  FormEffects effects;  // names shown, texts corrected, and the enabling rules a code set off
  bool disableSaveButtons = false;  // tbHold and tbSave are disabled
  bool showCoverPage = false;       // the cover becomes the active page
};

// The exit check of a cover field (c901 … c912, C907). Codes that pass show their name in the name
// control and c906 and c912 apply their enabling rules. The checks of c903 … c912 act only when the
// record has finished loading or the form runs them itself; those of c902, c910, c911 only when
// loading has finished; that of c901 always. Database errors of the rules' cache reload reach the
// caller as db::DbError.
CheckResult CoverFieldExit(EntryContext& context, EntryForm& form, std::string_view field,
                           CheckOrigin origin = CheckOrigin::User);

// The whole cover, in a fixed order; the first failure is shown and returned. Run before every
// store, logic check and page change away from the cover.
CheckResult ValidateCoverPage(EntryContext& context, const EntryForm& form);

// c901 is present and is a twelve-digit code (at least 100000000000 or twelve characters long).
bool IsTwelveDigitCode(const std::string& text);

}  // namespace velmora::entry
