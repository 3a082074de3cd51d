#include "core/entry/record_store.h"

#include <exception>
#include <optional>

#include "core/base/quoting.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/db/statement.h"
#include "core/entry/cover_validation.h"
#include "core/entry/enabling_rules.h"
#include "core/entry/field_groups.h"
#include "core/entry/remembered_codes.h"
#include "core/prompts/user_prompts.h"
#include "core/survey/codes.h"
#include "core/survey/machine_stamp.h"

namespace velmora::entry {

namespace {

using catalogue::QueryType;

constexpr const char* kRecordSql = "SELECT * from dt_data Where c901=:ReocrdID";
constexpr const char* kNextCodeSql = "SELECT MAX(c901)+1 as NSI FROM dt_data";
constexpr const char* kNoUnionDomain = "Z00";

std::optional<NumericLimits> LimitsFor(std::int32_t id, QueryType type) {
  switch (type) {
    case QueryType::Integer:
      if (id >= 190 && id <= 192) return NumericLimits{0, 5, 1};  // w001-w003
      if (id > 8) return NumericLimits{0, kIndicatorMaximum, 0};
      return std::nullopt;
    case QueryType::Decimal:
      if (id > 7) return NumericLimits{0, kIndicatorMaximum, 0};
      return std::nullopt;
    case QueryType::SmallCode:
      if (id > 7) return NumericLimits{0, 2, 1};
      return std::nullopt;
    case QueryType::Text:
      return std::nullopt;
  }
  return std::nullopt;
}

// The text a control shows for a stored value.
std::string ControlText(const db::Variant& v, QueryType type) {
  switch (type) {
    case QueryType::Text: return v.toString();
    case QueryType::Decimal: return db::FormatNumber(v.toDouble());
    case QueryType::Integer:
    case QueryType::SmallCode: return std::to_string(v.toInt64());
  }
  return v.toString();
}

// The value a control stores.
db::Variant StoredValue(const FieldValues& values, const FieldBinding& b) {
  switch (b.type) {
    case QueryType::Text: return db::Variant(TrimmedText(values, b.FieldName));
    case QueryType::Decimal: return db::Variant(ValueNumber(values, b.FieldName));
    case QueryType::SmallCode: {
      std::int64_t v = ValueInteger(values, b.FieldName);
      return db::Variant(v > 2 ? std::int64_t{2} : v);
    }
    case QueryType::Integer: return db::Variant(ValueInteger(values, b.FieldName));
  }
  return db::Variant();
}

void Step(EntryForm& form, LoadedRecord& loaded, FieldChange change) {
  form.apply(change);
  loaded.effects.fields.push_back(std::move(change));
}

void Show(EntryForm& form, LoadedRecord& loaded, NameDisplay name) {
  form.apply(name);
  loaded.effects.names.push_back(std::move(name));
}

void RunCheck(EntryContext& context, EntryForm& form, LoadedRecord& loaded, const char* field) {
  CheckResult r = CoverFieldExit(context, form, field, CheckOrigin::Program);
  loaded.effects.append(r.effects);
}

void FillNew(EntryContext& context, const FieldBindings& bindings, EntryForm& form, LoadedRecord& loaded) {
  context.IsStored = false;
  context.CurrentCode = 0;
  form.values.clear();
  for (const FieldBinding& b : bindings) {
    if (b.type == QueryType::Text) Step(form, loaded, FieldChange{b.FieldName, std::nullopt, std::string()});
    else if (b.limits) Step(form, loaded, FieldChange{b.FieldName, std::nullopt, std::string("0")});
  }
  Step(form, loaded, FieldChange{"c901", std::nullopt, db::FormatNumber(ProposeNextCode(context.connection))});

  const RememberedCover remembered = ReadRememberedCover();
  Step(form, loaded, FieldChange{"c903", std::nullopt, std::to_string(remembered.AppLastCity)});
  Show(form, loaded,
       NameDisplay{kCityNameCtrl, survey::CityCombName(context.connection, remembered.AppLastCity, context.prompts),
                   remembered.AppLastCity});

  Step(form, loaded, FieldChange{"c904", std::nullopt, std::string("1")});
  Step(form, loaded, FieldChange{"z001", std::nullopt, std::string("1")});
  Show(form, loaded, NameDisplay{kLevelName, survey::LookupCodeName(context.codes.LevelCodes, 1), 1});

  for (const char* field : {"c905", "c906", "c912"}) Step(form, loaded, FieldChange{field, std::nullopt, "0"});
  Step(form, loaded, FieldChange{"C907", std::nullopt, std::string()});
  for (const char* control : {kIndustryName, kEconomicName, kTypeName, kHoldSituation, kStateName})
    Show(form, loaded, NameDisplay{control, std::string(), -1});
  Step(form, loaded, FieldChange{"c909", true, std::string()});
  Step(form, loaded, FieldChange{kHoldSituation, true, std::nullopt});

  Step(form, loaded, FieldChange{"c910", std::nullopt, remembered.c910});
  Step(form, loaded, FieldChange{"c911", std::nullopt, remembered.c911});
}

void FillStored(EntryContext& context, const FieldBindings& bindings, EntryForm& form, LoadedRecord& loaded,
                double code) {
  std::optional<FieldValues> stored = ReadRecord(context.connection, bindings, code);
  loaded.found = stored.has_value();
  context.CurrentCode = stored ? code : 0;
  form.values.clear();
  for (const FieldBinding& b : bindings) {
    std::string text = stored ? ValueText(*stored, b.FieldName) : (b.type == QueryType::Text ? "" : "0");
    Step(form, loaded, FieldChange{b.FieldName, std::nullopt, std::move(text)});
  }
  for (const char* field : {"c903", "c905", "c906", "C907", "c909", "c912"}) RunCheck(context, form, loaded, field);
}

}  // namespace

FieldBindings LoadFieldBindings(db::Connection& connection, const std::string& table) {
  db::Query query(connection);
  query.setSql("select ID, FieldName, QueryType from " + table + " order by sequence, ID");
  query.open();
  FieldBindings bindings;
  for (query.first(); !query.eof(); query.next()) {
    FieldBinding b;
    b.id = query.field(0).asInteger();
    b.FieldName = query.field(1).asString();
    if (!HasFormControl(b.FieldName)) continue;
    b.type = catalogue::QueryTypeFromInt(query.field(2).asInt64());
    b.limits = LimitsFor(b.id, b.type);
    b.forbidQuotes = b.type == QueryType::Text;
    bindings.push_back(std::move(b));
  }
  return bindings;
}

NumberBoxRule NumberBoxRuleFor(const FieldBinding& binding) {
  NumberBoxRule rule;
  if (binding.limits) {
    rule.decimals = binding.type == QueryType::Decimal;
    rule.maxChars = binding.limits->maxLength;
    rule.maximum = binding.limits->maximum;
  } else {
    rule.maxChars = SameName(binding.FieldName, "c901") ? 12 : 6;
  }
  return rule;
}

double ProposeNextCode(db::Connection& connection) {
  db::Query query(connection);
  query.setSql(kNextCodeSql);
  query.open();
  if (query.isEmpty()) return 0;
  return query.fieldByName("NSI").asFloat();  // null on an empty table reads as 0
}

std::optional<FieldValues> ReadRecord(db::Connection& connection, const FieldBindings& bindings, double c901) {
  db::Query query(connection);
  query.setSql(kRecordSql);
  query.setParam("ReocrdID", c901);
  query.open();
  if (query.isEmpty()) return std::nullopt;
  FieldValues values;
  for (const FieldBinding& b : bindings) {
    const int column = query.fieldIndex(b.FieldName);
    values[b.FieldName] = column < 0 ? std::string() : ControlText(query.field(column).value(), b.type);
  }
  return values;
}

LoadedRecord LoadRecord(EntryContext& context, const FieldBindings& bindings, EntryForm& form, double boundCode) {
  context.IsLoaded = false;
  LoadedRecord loaded;
  try {
    if (context.IsNew) FillNew(context, bindings, form, loaded);
    else FillStored(context, bindings, form, loaded, boundCode);
    RunCheck(context, form, loaded, "c904");
    loaded.effects.append(ApplyOrganisationType(form));
  } catch (...) {
    context.IsLoaded = true;
    throw;
  }
  context.IsLoaded = true;
  return loaded;
}

int RecordStateFor(StoreState state) {
  switch (state) {
    case StoreState::Temporary: return 0;
    case StoreState::WithLogicErrors: return 2;
    case StoreState::WithoutLogicErrors: return 1;
  }
  return 0;
}

StoreResult StoreRecord(EntryContext& context, const FieldBindings& bindings, const EntryForm& form, StoreState state,
                        bool appending) {
  std::vector<std::string> columns;
  std::vector<db::Variant> values;
  auto put = [&](const std::string& column, db::Variant value) {
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (SameName(columns[i], column)) {
        values[i] = std::move(value);
        return;
      }
    columns.push_back(column);
    values.push_back(std::move(value));
  };
  for (const FieldBinding& b : bindings) put(b.FieldName, StoredValue(form.values, b));
  if (TrimmedText(form.values, "C907").empty() && TrimmedText(form.values, kTypeName).empty())
    put("c907", db::Variant(kNoUnionDomain));
  put("RecordState", db::Variant(static_cast<std::int64_t>(RecordStateFor(state))));
  put("c900", db::Variant(survey::GetMachineStamp()));

  std::string sql;
  if (appending) {
    std::string names, marks;
    for (const std::string& c : columns) {
      names += (names.empty() ? "" : ", ") + base::QuoteSqlName(c);
      marks += marks.empty() ? "?" : ", ?";
    }
    sql = "INSERT INTO dt_data (" + names + ") VALUES (" + marks + ")";
  } else {
    std::string set;
    for (const std::string& c : columns) set += (set.empty() ? "" : ", ") + base::QuoteSqlName(c) + "=?";
    sql = "UPDATE dt_data SET " + set + " WHERE c901=?";
  }

  db::Connection& connection = context.connection;
  const bool ownTransaction = !connection.inTransaction();
  StoreResult result;
  try {
    std::optional<db::Transaction> transaction;
    if (ownTransaction) transaction.emplace(connection);
    {
      db::Statement statement = db::Statement::Native(connection, sql);
      int index = 1;
      for (const db::Variant& v : values) statement.bind(index++, v);
      if (!appending) statement.bind(index, db::Variant(context.CurrentCode));
      if (statement.run() != 1) throw db::DbError("要保存的记录已经不存在");
    }
    if (transaction) transaction->commit();
  } catch (const std::exception& e) {
    result.error = e.what();
    context.prompts.message("保存过程中遇到错误：" + result.error + "数据没有被保存。", MessageKind::Error);
    return result;
  }
  context.CurrentCode = ValueNumber(form.values, "c901");
  result.ok = true;
  return result;
}

}  // namespace velmora::entry
