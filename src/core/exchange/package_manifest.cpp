#include "core/exchange/package_manifest.h"

#include <nettle/sha2.h>

#include <charconv>
#include <ctime>

#include "core/base/quoting.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/text/local_time.h"

#ifndef VELMORA_PROGRAM_VERSION
#define VELMORA_PROGRAM_VERSION "0"
#endif

namespace velmora::exchange {

namespace {

constexpr char kValueEnd = '\x1f';
constexpr char kRowEnd = '\x1e';

class Sha256 {
 public:
  Sha256() { sha256_init(&ctx_); }
  void add(const std::string& bytes) {
    sha256_update(&ctx_, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
  }
  std::string hex() {
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx_, SHA256_DIGEST_SIZE, digest);
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : digest) {
      out += digits[b >> 4];
      out += digits[b & 15];
    }
    return out;
  }

 private:
  sha256_ctx ctx_;
};

void AppendNumber(std::string& out, std::int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

void AppendNumber(std::string& out, double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest form that reads back as the same value
  out.append(buf, r.ptr);
}

std::string FirstLabel(db::Connection& c) {
  db::Statement st = db::Statement::Native(c, "SELECT db_name FROM ct_label LIMIT 1");
  return st.step() ? st.text(0) : std::string();
}

}  // namespace

std::string ProgramVersion() { return VELMORA_PROGRAM_VERSION; }

std::string ManifestTimeNow() {
  const std::tm local = text::LocalTimeNow();
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

struct RowsDigester::State {
  Sha256 sha;
  std::string chunk;
  RowsDigest result;
};

RowsDigester::RowsDigester(const std::vector<std::string>& columns) : state_(std::make_unique<State>()) {
  for (const std::string& name : columns) {
    state_->chunk += name;
    state_->chunk += kValueEnd;
  }
  state_->chunk += kRowEnd;
}

RowsDigester::~RowsDigester() = default;

void RowsDigester::addNull() {
  state_->chunk += 'N';
  state_->chunk += kValueEnd;
}

void RowsDigester::addInteger(std::int64_t value) {
  state_->chunk += 'I';
  AppendNumber(state_->chunk, value);
  state_->chunk += kValueEnd;
}

void RowsDigester::addReal(double value) {
  state_->chunk += 'R';
  AppendNumber(state_->chunk, value);
  state_->chunk += kValueEnd;
}

void RowsDigester::addText(std::string_view text, bool blob) {
  std::string& chunk = state_->chunk;
  chunk += blob ? 'B' : 'T';
  AppendNumber(chunk, static_cast<std::int64_t>(text.size()));
  chunk += ':';
  chunk += text;
  chunk += kValueEnd;
}

void RowsDigester::endRow() {
  std::string& chunk = state_->chunk;
  chunk += kRowEnd;
  ++state_->result.records;
  if (chunk.size() >= (1u << 16)) {
    state_->sha.add(chunk);
    chunk.clear();
  }
}

void RowsDigester::addRow(const db::Statement& st) {
  const int n = st.columnCount();
  for (int i = 0; i < n; ++i) {
    switch (st.kind(i)) {
      case db::ValueKind::Null: addNull(); break;
      case db::ValueKind::Integer: addInteger(st.int64(i)); break;
      case db::ValueKind::Float: addReal(st.real(i)); break;
      case db::ValueKind::Text: addText(st.textView(i)); break;
      case db::ValueKind::Blob: addText(st.textView(i), true); break;
    }
  }
  endRow();
}

RowsDigest RowsDigester::finish() {
  state_->sha.add(state_->chunk);
  state_->chunk.clear();
  state_->result.sha256 = state_->sha.hex();
  return state_->result;
}

RowsDigest DigestRows(db::Connection& connection, const std::string& table, jobs::Job& job, const RowHook& eachRow) {
  const std::vector<std::string> columns = connection.columnNames(table);
  if (columns.empty()) throw db::DbError("数据表\"" + table + "\"不存在");
  RowsDigester digest(columns);
  db::ProgressScope scope(connection, job);
  db::Statement st = db::Statement::Native(connection, "SELECT * FROM " + base::QuoteSqlName(table) + " ORDER BY c901");
  while (st.step()) {
    if (eachRow) eachRow(st);
    digest.addRow(st);
  }
  return digest.finish();
}

void WriteManifest(db::Connection& connection, const PackageManifest& m) {
  db::Statement::Native(connection, "DROP TABLE IF EXISTS package_manifest").run();
  db::Statement::Native(connection,
                        "CREATE TABLE package_manifest (label TEXT, records INTEGER, sha256 TEXT, "
                        "program_version TEXT, exported_at TEXT)")
      .run();
  db::Statement ins = db::Statement::Native(
      connection, "INSERT INTO package_manifest VALUES (:label, :records, :sha256, :version, :at)");
  ins.bind("label", m.label).bind("records", m.records).bind("sha256", m.sha256);
  ins.bind("version", m.programVersion).bind("at", m.exportedAt);
  ins.run();
}

std::optional<PackageManifest> ReadManifest(db::Connection& connection) {
  if (!connection.TableExists(kManifestTable)) return std::nullopt;
  db::Statement st = db::Statement::Native(
      connection, "SELECT label, records, sha256, program_version, exported_at FROM package_manifest");
  if (!st.step()) throw db::DbError("数据包的清单是空的");
  PackageManifest m;
  m.label = st.text(0);
  m.records = st.int64(1);
  m.sha256 = st.text(2);
  m.programVersion = st.text(3);
  m.exportedAt = st.text(4);
  if (st.step()) throw db::DbError("数据包的清单有多行");
  return m;
}

ManifestCheck CheckManifest(db::Connection& connection, jobs::Job& job, const RowHook& eachRow) {
  ManifestCheck check;
  try {
    check.manifest = ReadManifest(connection);
  } catch (const db::DbError& e) {
    check.status = ManifestStatus::Damaged;
    // The engine's own text only follows, in brackets, the cause in words of the program.
    check.reason = e.code() != 0 ? "清单已损坏，无法读取（" + std::string(e.what()) + "）" : e.what();
    return check;
  }
  if (!check.manifest) {
    check.status = ManifestStatus::Missing;
    return check;
  }
  const RowsDigest digest = DigestRows(connection, "dt_data", job, eachRow);
  check.records = digest.records;
  check.status = ManifestStatus::Damaged;
  if (digest.records != check.manifest->records) {
    check.reason = "清单记载" + std::to_string(check.manifest->records) + "条记录，文件中有" +
                   std::to_string(digest.records) + "条";
  } else if (digest.sha256 != check.manifest->sha256) {
    check.reason = "记录的内容与清单的校验和不符";
  } else if (FirstLabel(connection) != check.manifest->label) {
    check.reason = "数据库标识与清单不符";
  } else {
    check.status = ManifestStatus::Ok;
  }
  return check;
}

}  // namespace velmora::exchange
