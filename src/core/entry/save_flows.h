#pragma once
// The entry form's two ways of saving: the temporary save (no logic checks, RecordState 0) and the
// formal save (cover validated, page rules checked, RecordState 1 without and 2 with logic
// errors). Both validate the cover first and store in one atomic write.

#include <functional>
#include <optional>
#include <string>

#include "core/entry/cover_validation.h"
#include "core/entry/record_store.h"

namespace velmora::entry {

struct SaveOutcome {
  bool saved = false;
  CheckResult validation;    // when the cover validation stopped the save (saved false)
  std::string message;       // the message shown after a successful save
  bool requery = false;      // the opener's list is re-queried and returned to its row
  // tbHold (and after a formal save tbSave) are disabled when the save succeeded.
  std::optional<LoadedRecord> next;  // adding after a formal save: the form emptied for the next record
};

// Checks of the survey pages on the values on screen (the table-driven rules): CheckAllPageRules
// fills and shows the error list, HasNoEntries tells whether it is empty.
struct PageChecks {
  std::function<void()> CheckAllPageRules;
  std::function<bool()> HasNoEntries;
};

// Validates the cover and stores with RecordState 0: a new row the first time while adding, the
// same row afterwards.
SaveOutcome TemporarySave(EntryContext& context, const FieldBindings& bindings, EntryForm& form);

// Validates the cover; when started by the user and c912 is at most 2 runs the page checks; stores
// with RecordState 1 (no errors listed) or 2; remembers c903, c910 and c911 for the next new record;
// while adding empties the form for the next record. The close query passes startedByUser false
// after running the checks itself.
SaveOutcome FormalSave(EntryContext& context, const FieldBindings& bindings, EntryForm& form, const PageChecks& checks,
                       bool startedByUser = true);

}  // namespace velmora::entry
