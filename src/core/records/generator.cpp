#include "core/records/generator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/base/paths.h"
#include "core/base/text.h"
#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/files/atomic_file.h"
#include "core/files/database_file.h"
#include "core/files/output_path.h"
#include "core/records/generator_codes.h"
#include "core/records/generator_record.h"
#include "core/records/generator_words.h"

namespace velmora {

namespace fs = std::filesystem;
using generator::CodeLists;
using generator::Division;
using generator::Random;

namespace {

// A plausible processor stamp (leaf 1 of a desktop processor) for every generated record.
constexpr const char* kMachineStamp = "000306A9001008007FBAE3FFBFEBFBFF";
constexpr std::int64_t kSerialsPerDivision = 1000000;
constexpr int kProgressStep = 8192;  // records between two calls of the job's processEvents
const files::OutputKind kDatabaseOutput{"数据库文件", "", true};

// The cover columns in the order of the INSERT; the indicators follow, then w005 (when the table
// has it) and RecordState.
constexpr const char* kCoverColumns[] = {"c900", "c901", "c902", "c903", "c904", "c905",
                                         "c906", "c907", "c909", "c910", "c911", "c912"};

struct InsertLayout {
  std::string sql;
  bool hasId = false;
  bool hasW005 = false;
};

InsertLayout MakeInsert(db::Connection& connection) {
  std::vector<std::string> present = connection.columnNames("dt_data");
  auto has = [&](const std::string& name) {
    return std::any_of(present.begin(), present.end(),
                       [&](const std::string& p) { return base::SameIgnoringCase(p, name); });
  };
  if (present.empty()) throw GenerateError("数据库中没有记录表 dt_data");

  std::vector<std::string> columns(std::begin(kCoverColumns), std::end(kCoverColumns));
  for (int i = 0; i < generator::kIndicatorCount; ++i) columns.push_back(generator::IndicatorName(i));
  columns.push_back("RecordState");
  for (const auto& c : columns)
    if (!has(c)) throw GenerateError("记录表 dt_data 中缺少字段 " + c);

  InsertLayout layout;
  layout.hasW005 = has("w005");
  if (layout.hasW005) columns.insert(columns.end() - 1, "w005");
  // Row numbers are given here, continuing the stored ones, rather than left to the table's
  // numbering trigger, which would rewrite every new row once more.
  layout.hasId = has("id");
  if (layout.hasId) columns.insert(columns.begin(), "id");
  std::string names, marks;
  for (const auto& c : columns) {
    names += (names.empty() ? "" : ",") + c;
    marks += marks.empty() ? "?" : ",?";
  }
  layout.sql = "INSERT INTO dt_data(" + names + ") VALUES(" + marks + ")";
  return layout;
}

// How many records each division gets: random weights, so that some divisions are busier than
// others; the records are written division by division in ascending code order.
std::vector<std::int64_t> RecordsPerDivision(const CodeLists& codes, std::int64_t total, std::uint64_t seed) {
  Random random(seed ^ 0x5EED0F0D1C15ULL);
  std::vector<std::int64_t> weights(codes.divisions.size());
  std::int64_t sum = 0;
  for (auto& w : weights) sum += (w = random.between(1, 8));
  std::vector<std::int64_t> counts(weights.size());
  std::int64_t before = 0, cumulative = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    cumulative += weights[i];
    // total * cumulative stays far below 2^63 for any record count the program can hold
    const std::int64_t upto = total * cumulative / sum;
    counts[i] = upto - before;
    before = upto;
  }
  return counts;
}

// The first free serial of a division's codes, above the codes already stored there.
std::int64_t FirstSerial(db::Statement& maxInRange, int divisionId) {
  const std::int64_t base = static_cast<std::int64_t>(divisionId) * kSerialsPerDivision;
  maxInRange.bindInt64(1, base).bindInt64(2, base + kSerialsPerDivision);
  std::int64_t serial = 1;
  if (maxInRange.step() && !maxInRange.isNull(0))
    serial = static_cast<std::int64_t>(maxInRange.real(0)) - base + 1;
  maxInRange.reset();
  return serial;
}

std::int64_t NextRowId(db::Connection& connection) {
  db::Statement st = db::Statement::Native(connection, "SELECT coalesce(max(id), 0) + 1 FROM dt_data");
  if (!st.step()) throw db::DbError("读不到记录表的行号");
  return st.int64(0);
}

// Reusable buffers of one record; the hot loop fills and binds them without allocating.
struct RecordBuffers {
  generator::Indicators values;
  std::string name, person, phone;
};

class Writer {
 public:
  Writer(db::Statement& insert, const CodeLists& codes, const InsertLayout& layout, std::int64_t firstId,
         std::uint64_t seed, double faultyPercent)
      : insert_(insert),
        codes_(codes),
        hasId_(layout.hasId),
        hasW005_(layout.hasW005),
        nextId_(firstId),
        random_(seed),
        faultyThreshold_(static_cast<std::int64_t>(std::llround(faultyPercent * 100))) {
    buffers_.name.reserve(256);
    buffers_.person.reserve(32);
    buffers_.phone.reserve(32);
  }

  // Writes one record; returns whether it carries a fault.
  bool write(const Division& division, std::int64_t code) {
    Random& r = random_;
    const int organisationType = codes_.pickOrganisationType(r);
    const int industry = codes_.industries[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(codes_.industries.size())))];
    const generator::UnitCategory& category = codes_.pickUnitCategory(r);
    const std::string& domain = codes_.domains[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(codes_.domains.size())))];
    const int holding = category.fixedHolding >= 0
                            ? category.fixedHolding
                            : category.holdings[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(category.holdings.size())))];
    const int state = codes_.pickReportingState(r);
    generator::MakeUnionName(r, division.place, category.id, buffers_.name);
    generator::MakePersonName(r, buffers_.person);
    generator::MakePhoneNumber(r, division.id / 10000, buffers_.phone);
    generator::FillIndicators(r, organisationType, category.id, buffers_.values);
    const bool faulty = r.below(10000) < faultyThreshold_;
    if (faulty) generator::BreakIndicators(r, buffers_.values);

    // The texts are bound without a copy: the buffers and the code lists outlive the step.
    db::Statement& s = insert_;
    int i = 1;
    if (hasId_) s.bindInt64(i++, nextId_++);
    s.bindStaticText(i++, std::string_view(kMachineStamp, 32));
    s.bindInt64(i++, code);
    s.bindStaticText(i++, buffers_.name);
    s.bindInt64(i++, division.id);
    s.bindInt64(i++, organisationType);
    s.bindInt64(i++, industry);
    s.bindInt64(i++, category.id);
    s.bindStaticText(i++, domain);
    s.bindInt64(i++, holding);
    s.bindStaticText(i++, buffers_.person);
    s.bindStaticText(i++, buffers_.phone);
    s.bindInt64(i++, state);
    for (int k = 0; k < generator::kIndicatorCount; ++k, ++i) {
      if (generator::IsAmount(k))
        s.bindDouble(i, static_cast<double>(buffers_.values[k]) / 100.0);
      else
        s.bindInt64(i, buffers_.values[k]);
    }
    if (hasW005_) s.bindInt64(i++, 0);
    s.bindInt64(i++, faulty ? 2 : 1);
    s.step();
    s.reset();
    return faulty;
  }

 private:
  db::Statement& insert_;
  const CodeLists& codes_;
  bool hasId_;
  bool hasW005_;
  std::int64_t nextId_;
  Random random_;
  std::int64_t faultyThreshold_;
  RecordBuffers buffers_;
};

void CheckOptions(const GenerateOptions& options) {
  if (options.records < 0) throw GenerateError("记录数不能小于0");
  if (!(options.faultyPercent >= 0 && options.faultyPercent <= 100))
    throw GenerateError("错误记录的比例必须在0到100之间");
}

// Generates into `file`. A scratch file (one that is thrown away when the run fails) is written
// without a journal; a file in place keeps an in-memory journal so that a failure rolls back.
GenerateResult GenerateInto(const std::string& file, const GenerateOptions& options,
                            jobs::Job& job, bool scratchFile, bool emptyRecords = false) {
  db::Connection connection("Data Source=" + db::Connection::QuoteValue(file) + ";Mode=ReadWrite");
  const CodeLists codes = generator::LoadCodeLists(connection);
  const InsertLayout layout = MakeInsert(connection);

  {
    bool wal = false;
    {
      db::Statement mode = db::Statement::Native(connection, "PRAGMA journal_mode");
      if (mode.step()) {
        wal = base::Lower(mode.text(0)).starts_with("wal");
      }
    }
    if (!wal) connection.executeNative(scratchFile ? "PRAGMA journal_mode=OFF" : "PRAGMA journal_mode=MEMORY");
    connection.executeNative("PRAGMA synchronous=OFF");
    connection.executeNative("PRAGMA cache_size=-65536");
  }

  const std::vector<std::int64_t> perDivision = RecordsPerDivision(codes, options.records, options.seed);
  GenerateResult result;
  jobs::JobTicker ticker(job, kProgressStep);
  job.start(options.records);
  try {
    db::Transaction transaction(connection);
    if (emptyRecords) {
      // A new database takes the layout and code tables of its source, none of its records
      // (dt_data and its staging, previous-year and companion tables).
      for (const std::string& table : connection.tableNames()) {
        if (base::Lower(table).starts_with("dt_data")) connection.executeNative("DELETE FROM \"" + table + "\"");
      }
    }
    db::Statement maxInRange =
        db::Statement::Native(connection, "SELECT max(c901) FROM dt_data WHERE c901 >= ?1 AND c901 < ?2");
    db::Statement insert = db::Statement::Native(connection, layout.sql);
    Writer writer(insert, codes, layout, layout.hasId ? NextRowId(connection) : 0, options.seed,
                  options.faultyPercent);
    for (std::size_t d = 0; d < codes.divisions.size() && !result.cancelled; ++d) {
      const std::int64_t count = perDivision[d];
      if (count == 0) continue;
      const Division& division = codes.divisions[d];
      const std::int64_t serial = FirstSerial(maxInRange, division.id);
      if (serial + count - 1 >= kSerialsPerDivision)
        throw GenerateError("行政区划 " + std::to_string(division.id) + " 下可用的统计编码不足");
      const std::int64_t base = static_cast<std::int64_t>(division.id) * kSerialsPerDivision + serial;
      for (std::int64_t k = 0; k < count; ++k) {
        if (writer.write(division, base + k)) ++result.faulty;
        ++result.records;
        job.step();
        if (!ticker.tick()) {
          result.cancelled = true;
          break;
        }
      }
    }
    if (!result.cancelled && !ticker.poll()) result.cancelled = true;
    if (result.cancelled) {
      job.finish();
      return GenerateResult{0, 0, true};  // the transaction rolls back
    }
    maxInRange = db::Statement();
    insert = db::Statement();
    transaction.commit();
  } catch (...) {
    job.finish();
    throw;
  }
  job.finish();
  return result;
}

}  // namespace

GenerateResult GenerateRecords(const std::string& databaseFile, const GenerateOptions& options,
                               jobs::Job& job) {
  CheckOptions(options);
  return GenerateInto(databaseFile, options, job, false);
}

GenerateResult GenerateDatabase(const std::string& shippedFile, const std::string& outFile,
                                const GenerateOptions& options, jobs::Job& job) {
  CheckOptions(options);
  const files::OutputCheck where =
      files::CheckOutputPath(outFile, kDatabaseOutput, shippedFile, options.replaceExisting);
  if (where.verdict != files::OutputVerdict::Writable) throw GenerateError(where.message);
  const bool replacesDatabase = files::IsDatabaseFile(outFile);

  files::AtomicFile output(outFile, "~GN", shippedFile);
  // A consistent copy of the source, taken under its lock even while another program writes it.
  {
    std::error_code ec;
    fs::remove(base::PathFromUtf8(output.tempPath()), ec);  // the engine writes only a new or empty file
    db::CompactDatabase("Data Source=" + db::Connection::QuoteValue(shippedFile) + ";Mode=Read",
                        "Data Source=" + db::Connection::QuoteValue(output.tempPath()));
  }
  GenerateResult result = GenerateInto(output.tempPath(), options, job, true, true);
  if (result.cancelled) return result;
  if (replacesDatabase)
    files::ReplaceDatabaseFile(output.tempPath(), output.target());  // another program may hold it
  else
    output.commit();
  return result;
}

}  // namespace velmora
