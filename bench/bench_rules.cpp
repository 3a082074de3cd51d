#include "bench_rules.h"

#include <sqlite3.h>

#include <stdexcept>

#include "bench_timing.h"
#include "core/checks/catalogue_hints.h"
#include "core/checks/form_check.h"
#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/prompts/user_prompts.h"

namespace velmora::bench {

namespace {

class SilentPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
};

// A plausible record: every numeric field gets a small value of its own.
checks::FormFieldValues SampleValues(db::Connection& c) {
  checks::FormFieldValues values = checks::FormFieldValues::FromCatalogue(c);
  db::Query q(c);
  q.setSql("select FieldName from dt_fieldlist where PageID>=1 and PageID<=7 order by ID");
  q.open();
  int i = 0;
  for (q.first(); !q.eof(); q.next()) values.set(q["FieldName"].asString(), static_cast<double>(++i % 17));
  values.set("c904", 2);
  return values;
}

// The statements the form's check sends, with the values written into them.
std::vector<std::string> LiteralStatements(db::Connection& c, checks::PageRuleChecker& checker) {
  std::vector<std::string> statements;
  db::Query q(c);
  q.setSql("select expression from dt_logic order by page_id, id");
  q.open();
  for (q.first(); !q.eof(); q.next())
    statements.push_back("select " + checker.SubstituteControlValues(q["expression"].asString()) + " as rt");
  return statements;
}

void RunFloor(sqlite3* db, const std::vector<std::string>& statements) {
  for (const std::string& sql : statements) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql);
    if (sqlite3_step(st) != SQLITE_ROW) throw std::runtime_error("no result of " + sql);
    volatile sqlite3_int64 rt = sqlite3_column_int64(st, 0);
    (void)rt;
    sqlite3_finalize(st);
  }
}

}  // namespace

std::vector<RulesTiming> MeasureRules(const std::filesystem::path& shipped, int runs) {
  db::Connection c("Data Source=" + db::Connection::QuoteValue(shipped.string()) + ";Mode=Read");
  SilentPrompts prompts;
  checks::FormFieldValues values = SampleValues(c);
  checks::CatalogueHints hints(c);
  checks::RuleTextFormatter formatter(hints, prompts);
  checks::CollectedErrors errors;
  checks::PageRuleChecker checker(c, prompts, values, errors, formatter);
  const std::vector<std::string> statements = LiteralStatements(c, checker);
  const int rules = static_cast<int>(statements.size());

  sqlite3* plain = nullptr;
  if (sqlite3_open_v2(shipped.c_str(), &plain, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(plain);
    throw std::runtime_error("cannot open " + shipped.string());
  }
  RunFloor(plain, statements);
  double floor = MedianMs(runs, [] {}, [&] { RunFloor(plain, statements); });
  sqlite3_close(plain);

  checker.CheckAllPageRules();  // warms the caches
  std::vector<RulesTiming> timings;
  timings.push_back({"rules-all", rules, MedianMs(runs, [] {}, [&] { checker.CheckAllPageRules(); }), floor});
  timings.push_back({"rules-first", rules, MedianMs(runs, [] {}, [&] {
                       checks::CatalogueHints freshHints(c);
                       checks::RuleTextFormatter freshFormatter(freshHints, prompts);
                       checks::PageRuleChecker fresh(c, prompts, values, errors, freshFormatter);
                       fresh.CheckAllPageRules();
                     }),
                     floor});
  return timings;
}

}  // namespace velmora::bench
