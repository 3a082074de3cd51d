#include "core/review/verdicts.h"

#include <map>
#include <tuple>

#include "core/base/text.h"
#include "core/db/statement.h"

namespace velmora::review {

namespace {

void EnsureTable(db::Connection& connection) {
  connection.execute(std::string("CREATE TABLE IF NOT EXISTS ") + kVerdictTable +
                     " (c901 INTEGER NOT NULL, field VARCHAR(30) NOT NULL, lastvalue DOUBLE, thisvalue DOUBLE,"
                     " reference TEXT, note TEXT, verifiedat VARCHAR(19), PRIMARY KEY (c901, field))");
}

}  // namespace

void MarkVerified(db::Connection& connection, const ReviewFinding& finding, const std::string& reference,
                  const std::string& note) {
  EnsureTable(connection);
  db::Statement put = db::Statement::Native(
      connection, std::string("INSERT OR REPLACE INTO ") + kVerdictTable +
                      " (c901, field, lastvalue, thisvalue, reference, note, verifiedat)"
                      " VALUES (?, lower(?), ?, ?, ?, ?, datetime('now', 'localtime'))");
  put.bindInt64(1, finding.code).bindText(2, finding.field).bindDouble(3, finding.last).bindDouble(4, finding.current);
  put.bindText(5, reference).bindText(6, note);
  put.run();
}

void ClearVerdict(db::Connection& connection, std::int64_t code, const std::string& field) {
  EnsureTable(connection);
  db::Statement drop = db::Statement::Native(
      connection, std::string("DELETE FROM ") + kVerdictTable + " WHERE c901 = ? AND field = lower(?)");
  drop.bindInt64(1, code).bindText(2, field);
  drop.run();
}

std::vector<Verdict> LoadVerdicts(db::Connection& connection) {
  std::vector<Verdict> verdicts;
  if (connection.columnNames(kVerdictTable).empty()) return verdicts;
  db::Statement rows = db::Statement::Native(
      connection, std::string("SELECT c901, field, lastvalue, thisvalue, reference, note, verifiedat FROM ") +
                      kVerdictTable + " ORDER BY c901, field");
  while (rows.step())
    verdicts.push_back({rows.int64(0), rows.text(1), rows.real(2), rows.real(3), rows.text(4), rows.text(5), rows.text(6)});
  return verdicts;
}

void ApplyVerdicts(const std::vector<Verdict>& verdicts, std::vector<ReviewFinding>& findings) {
  std::map<std::pair<std::int64_t, std::string>, const Verdict*> byUnit;
  for (const Verdict& v : verdicts) byUnit[{v.code, v.field}] = &v;
  for (ReviewFinding& f : findings) {
    auto it = byUnit.find({f.code, base::AsciiLower(f.field)});
    const bool same = it != byUnit.end() && it->second->last == f.last && it->second->current == f.current;
    f.verified = same;
    f.note = same ? it->second->note : std::string();
  }
}

}  // namespace velmora::review
