#include "core/exchange/year_migration.h"

#include <optional>
#include <string>
#include <stdexcept>

#include <cstdio>

#include "core/base/error_text.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/intake/record_check.h"
#include "core/prompts/user_prompts.h"

namespace velmora::exchange {

namespace {

std::string Numbered(char letter, int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%03d", letter, n);
  return buf;
}

// Target and source columns numbered from..to of one letter, the source `shift` lower.
void AddRange(std::vector<std::pair<std::string, std::string>>& out, char letter, int from, int to, int shift = 0) {
  for (int n = from; n <= to; ++n) out.emplace_back(Numbered(letter, n), Numbered(letter, n - shift));
}

// A record of last year that the entry form would not take.
class MigrationRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace

const std::vector<std::pair<std::string, std::string>>& MigrationColumns() {
  static const std::vector<std::pair<std::string, std::string>> columns = [] {
    std::vector<std::pair<std::string, std::string>> c;
    for (const char* same : {"c901", "c902", "c903", "c904", "c905", "c906", "c907", "c909", "c910", "c911"})
      c.emplace_back(same, same);
    c.emplace_back("c912", "1");
    c.emplace_back("recordstate", "0");
    AddRange(c, 'z', 1, 24);
    AddRange(c, 'b', 1, 29);
    AddRange(c, 'h', 1, 22);
    AddRange(c, 'l', 1, 10);
    AddRange(c, 'f', 3, 22, 2);
    AddRange(c, 'f', 24, 26, 3);
    AddRange(c, 'j', 1, 15);
    AddRange(c, 'j', 22, 23, 6);
    AddRange(c, 'w', 1, 5);
    AddRange(c, 's', 2, 3, 1);
    return c;
  }();
  return columns;
}

std::string MigrationStatement() {
  std::string targets, sources;
  for (const auto& [target, source] : MigrationColumns()) {
    targets += (targets.empty() ? "" : ",") + target;
    sources += (sources.empty() ? "" : ",") + source;
  }
  return "insert into dt_data(" + targets + ") select " + sources + " from dt_data_2010";
}

std::string MigrationQuestion(std::int64_t rows) {
  return "上年数据表中有" + std::to_string(rows) + "条记录。转换后它们将加入本年数据，上年数据表随之清空。\n确实要转换吗？";
}

OperationResult MigratePreviousYear(session::DatabaseSession& session, UserPrompts& prompts, jobs::Job& job, bool ask) {
  db::Connection& c = session.SysADOConnection();
  OperationResult r;
  try {
    std::int64_t pending = 0;
    {
      db::Statement count(c, "select count(*) from dt_data_2010");
      if (count.step()) pending = count.int64(0);
    }
    if (pending == 0) {
      r.ok = true;
      r.message = kNothingToMigrateText;
      prompts.message(r.message, MessageKind::Information);
      return r;
    }
    {
      db::ProgressScope scope(c, job);
      // Last year's records pass the entry form's rules as they will be stored, before any is
      // and before the question.
      std::vector<std::string> targets;
      std::string sources;
      for (const auto& [target, source] : MigrationColumns()) {
        targets.push_back(target);
        sources += (sources.empty() ? "" : ",") + source;
      }
      intake::RecordCheck check(c, targets, "dt_data");
      db::Statement rows(c, "select " + sources + " from dt_data_2010");
      std::int64_t row = 0;
      while (rows.step()) {
        std::optional<intake::RecordFault> fault = check.check(rows, ++row);
        if (!fault && check.codeColumn() >= 0) fault = check.checkUnique(rows.value(check.codeColumn()), row);
        if (fault) throw MigrationRefused("上年数据" + fault->text() + "数据没有改变。");
      }
    }
    if (ask && !prompts.confirm(MigrationQuestion(pending))) {
      job.finish();
      return r;
    }
    db::Transaction tx(c);
    {
      db::ProgressScope scope(c, job);
      r.rows = c.execute(MigrationStatement());
      c.execute("delete from dt_data_2010");
      c.execute("delete from dt_data_dt_data_2010");
    }
    tx.commit();
  } catch (const db::DbError& e) {
    job.finish();
    r.rows = 0;
    r.message = db::IsInterrupted(e) ? std::string("转换已停止，数据没有改变。") : base::PublisherErrorText(e.what());
    prompts.message(r.message, MessageKind::Error);
    return r;
  } catch (const MigrationRefused& e) {
    job.finish();
    r.rows = 0;
    r.message = e.what();
    prompts.message(r.message, MessageKind::Error);
    return r;
  }
  job.finish();
  r.ok = true;
  r.message = kMigratedText;
  prompts.message(kMigratedText, MessageKind::Information);
  return r;
}

OperationResult TidyRecords(session::DatabaseSession& session, UserPrompts& prompts) {
  OperationResult r;
  try {
    r.rows = session.SysADOConnection().execute("update dt_data set c912=1 where c912=0");
  } catch (const db::DbError& e) {
    r.message = base::PublisherErrorText(e.what());
    prompts.message(r.message, MessageKind::Error);
    return r;
  }
  r.ok = true;
  r.message = kTidiedText;
  prompts.message(kTidiedText, MessageKind::Information);
  return r;
}

}  // namespace velmora::exchange
