#pragma once
// Which indicator fields are open: the reporting state c912 opens or closes them all, the unit
// category c906 closes the tables and columns that do not apply to it and fixes or frees the
// holding situation c909, and the organisation type c904 fixes z001. A closed field is disabled
// and set to 0.
//
// Each rule updates the form image it is given and returns the same steps for the real form.

#include <string>
#include <vector>

#include "core/entry/entry_context.h"
#include "core/entry/field_values.h"

namespace velmora::entry {

// Enable the control.
FieldChange EnableField(const std::string& name);
// Disable the control and set its value to 0.
FieldChange DisableField(const std::string& name);

// The rule of c912: c912 := code; a code up to 2 opens every indicator and re-applies the unit
// category; above 2 every indicator is closed and 0, the logic check and the temporary save are
// disabled and the error list is cleared.
FormEffects ApplyReportingState(EntryContext& context, EntryForm& form, int code);

// The rule of c906: c906 := code; while c912 is at most 2 the category's field rule, then always
// the holding-situation rule (which may reload the holding-situation cache). Database errors of
// the reload reach the caller as db::DbError.
FormEffects ApplyUnitCategory(EntryContext& context, EntryForm& form, int code);

// The rule of c904, run on every change of c904: a single grassroots union (1) covers one unit,
// so z001 := 1 and closed; any other type opens z001 and keeps its value.
FormEffects ApplyOrganisationType(EntryForm& form);

// The fields the category's field rule closes (for lists and tests); empty for categories that
// close nothing.
std::vector<std::string> FieldsClosedByCategory(int category);

}  // namespace velmora::entry
