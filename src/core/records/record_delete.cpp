#include "core/records/record_delete.h"

#include <charconv>
#include <cstdlib>

#include "core/db/error.h"
#include "core/db/translate.h"

namespace velmora::records {

namespace {

// Runs one statement; false (after showing the engine's text) when the engine refuses it.
bool Run(UserPrompts& prompts, db::Connection& connection, const std::string& sql) {
  try {
    connection.execute(sql);
    return true;
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return false;
  }
}

}  // namespace

std::string KeyText(const db::Variant& key) {
  return key.isText() ? db::QuoteText(key.toString()) : key.toString();
}

DeleteOutcome DeleteSelectedRecords(UserPrompts& prompts, db::Connection& connection, const std::string& table,
                                    const std::string& keyField, const std::optional<db::Variant>& currentKey,
                                    const std::vector<db::Variant>& selectedKeys, const DeleteListHooks& hooks) {
  DeleteOutcome outcome;
  auto listEmpty = [&] { return hooks.listIsEmpty && hooks.listIsEmpty(); };
  auto execute = [&](const std::string& sql, const std::vector<db::Variant>& keys) {
    const bool ok = Run(prompts, connection, sql);
    if (ok) {
      ++outcome.statements;
      outcome.deleted.insert(outcome.deleted.end(), keys.begin(), keys.end());
    } else {
      outcome.failed = true;
    }
    if (hooks.afterStatement) hooks.afterStatement();
    return ok;
  };
  const std::string deleteOne = "delete from " + table + " where " + keyField + "=";

  if (selectedKeys.empty()) {
    if (!currentKey || currentKey->isNull() || listEmpty()) return outcome;
    if (prompts.ask(kDeleteQuestion, {Answer::Yes, Answer::No}) == Answer::Yes)
      execute(deleteOne + KeyText(*currentKey), {*currentKey});
    return outcome;
  }

  const std::vector<Answer> buttons =
      selectedKeys.size() == 1 ? std::vector<Answer>{Answer::Yes, Answer::No}
                               : std::vector<Answer>{Answer::No, Answer::YesToAll};
  for (std::size_t i = 0; i < selectedKeys.size(); ++i) {
    if (hooks.moveTo) hooks.moveTo(selectedKeys[i]);
    if (listEmpty()) break;
    const Answer answer = prompts.ask(kDeleteQuestion, buttons);
    if (answer == Answer::YesToAll) {
      std::string list;
      std::vector<db::Variant> rest(selectedKeys.begin() + static_cast<std::ptrdiff_t>(i), selectedKeys.end());
      for (const auto& k : rest) list += (list.empty() ? "" : ",") + KeyText(k);
      execute("delete from " + table + " where " + keyField + " in (" + list + ")", rest);
      break;
    }
    if (answer == Answer::Yes) {
      if (!execute(deleteOne + KeyText(selectedKeys[i]), {selectedKeys[i]})) break;
      continue;
    }
    if (answer == Answer::No) break;
    // Closed otherwise: the next row, asking again.
  }
  return outcome;
}

int DeleteAllRecords(UserPrompts& prompts, db::Connection& connection, const session::EditionSettings& edition) {
  if (!prompts.confirm(kDeleteWarning, kDeleteWarningTitle)) return 0;
  if (!Run(prompts, connection, "delete from dt_data")) return 0;
  if (edition.EditionCompanionTable == 1 && !Run(prompts, connection, "delete from dt_dataelse")) return 1;
  return edition.EditionCompanionTable == 1 ? 2 : 1;
}

int DeleteRecordRange(UserPrompts& prompts, db::Connection& connection, const session::EditionSettings& edition,
                       std::string& lower, std::string& upper) {
  const RangeResolution resolved = ResolveCodeRange(lower, upper);
  if (!resolved.range) {
    prompts.message(kEnterRange, MessageKind::Information);
    return 0;
  }
  if (!prompts.confirm(kDeleteWarning, kDeleteWarningTitle)) return 0;
  const std::string range = " where " + RangeCondition(*resolved.range);
  if (!Run(prompts, connection, "delete from dt_data" + range)) return 0;
  if (edition.EditionCompanionTable == 1 && !Run(prompts, connection, "delete from dt_dataelse" + range)) return 1;
  return edition.EditionCompanionTable == 1 ? 2 : 1;
}

}  // namespace velmora::records
