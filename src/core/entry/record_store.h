#pragma once
// Loading a survey record into the entry form and storing the form back into dt_data. Controls
// are tied to columns by name through the field catalogue; the catalogue row's QueryType says how
// a value is read and written.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/entry/edit_filters.h"
#include "core/entry/entry_context.h"
#include "core/entry/field_values.h"

namespace velmora::entry {

// Limits of a numeric control; maxLength 0 = no length limit.
struct NumericLimits {
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  int maxLength = 0;
};

inline constexpr std::int64_t kIndicatorMaximum = 99999999999999;  // 14 digits

// A catalogue row that has a control on the form.
struct FieldBinding {
  std::int32_t id = 0;
  std::string FieldName;
  catalogue::QueryType type = catalogue::QueryType::Integer;
  // The limits the row gives its control; nullopt: the control keeps the form's own (the cover).
  std::optional<NumericLimits> limits;
  bool forbidQuotes = false;  // text control refusing the apostrophe, double quote and grave accent
};
using FieldBindings = std::vector<FieldBinding>;

// What the numeric box of a bound field takes: the catalogue row's limits, decimals in the amount
// fields, and the cover's own (c901 12 characters, the other cover codes 6).
NumberBoxRule NumberBoxRuleFor(const FieldBinding& binding);

// The catalogue rows with a control, in "sequence" order. Throws db::DbError.
FieldBindings LoadFieldBindings(db::Connection& connection, const std::string& table = catalogue::kFieldListTable);

// One above the highest stored c901; 0 when dt_data is empty. Throws db::DbError.
double ProposeNextCode(db::Connection& connection);

// The stored record with that c901 as control texts by field name (every bound field); nullopt
// when no row has the code. Throws db::DbError.
std::optional<FieldValues> ReadRecord(db::Connection& connection, const FieldBindings& bindings, double c901);

struct LoadedRecord {
  bool found = true;     // modifying: the record was stored
  FormEffects effects;   // names shown and enabling rules run by the load, in order
  std::string focus = "c901";
};

// Fills the form: modifying (context.IsNew false) from the stored record `boundCode`, adding with
// an empty record, a proposed code and the remembered division, filler and telephone. The form's
// closed controls stay as they were except where the load's own checks change them. Sets
// CurrentCode (and IsStored false when adding); IsLoaded is false while it runs and true after.
// Throws db::DbError.
LoadedRecord LoadRecord(EntryContext& context, const FieldBindings& bindings, EntryForm& form, double boundCode = 0);

// The state argument of a store; RecordState becomes 0, 2 and 1.
enum class StoreState { Temporary = 0, WithLogicErrors = 1, WithoutLogicErrors = 2 };
int RecordStateFor(StoreState state);

struct StoreResult {
  bool ok = false;
  std::string error;  // the engine's text when the store failed
};

// Writes the form into dt_data in one atomic write: a new row when `appending`, otherwise the row
// whose c901 is context.CurrentCode (renumbered when c901 changed). Writes every bound control by
// its QueryType, "Z00" into c907 when C907 and TypeName are both empty, RecordState and the
// machine stamp in c900. On success CurrentCode := the stored c901. A failure leaves the stored
// rows as they were and is shown as "保存过程中遇到错误：…数据没有被保存。".
StoreResult StoreRecord(EntryContext& context, const FieldBindings& bindings, const EntryForm& form, StoreState state,
                        bool appending);

}  // namespace velmora::entry
