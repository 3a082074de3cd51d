#include "core/review/year_review.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <limits>
#include <fstream>
#include <map>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/statement.h"
#include "core/exchange/year_migration.h"
#include "core/files/report_folder.h"
#include "core/intake/source_file.h"
#include "core/review/field_streams.h"
#include "core/review/verdicts.h"
#include "core/session/session.h"

namespace velmora::review {

namespace {

constexpr double kNotNumber = std::numeric_limits<double>::quiet_NaN();

// One field's values of one year, one slot per unit of this year. Whole numbers that fit are kept
// in four bytes (most indicators are counts); other numbers in a side table; decimal fields in eight.
class ValueColumn {
 public:
  // Empties the column for `units` units, keeping the memory it holds from an earlier field.
  void reset(std::size_t units, bool decimal) {
    decimal_ = decimal;
    spilled_.clear();
    if (decimal_)
      wide_.assign(units, kNotNumber);
    else
      narrow_.assign(units, kNone);
  }

  void set(std::size_t unit, double value) {
    if (decimal_) {
      wide_[unit] = value;
    } else if (value == std::floor(value) && std::fabs(value) < 2.0e9) {
      narrow_[unit] = static_cast<std::int32_t>(value);
    } else {
      narrow_[unit] = kSpilled;
      spilled_[unit] = value;
    }
  }

  double get(std::size_t unit) const {
    if (decimal_) return wide_[unit];
    const std::int32_t v = narrow_[unit];
    if (v == kNone) return kNotNumber;
    if (v == kSpilled) return spilled_.at(unit);
    return v;
  }

 private:
  static constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();
  static constexpr std::int32_t kSpilled = kNone + 1;
  bool decimal_ = false;
  std::vector<std::int32_t> narrow_;
  std::vector<double> wide_;
  std::unordered_map<std::size_t, double> spilled_;
};

// The findings of most impact, at most `cap` of them (0: all); the others are only counted.
class FindingKeeper {
 public:
  explicit FindingKeeper(std::size_t cap) : cap_(cap) {}

  // Counts a finding of a field's test; true when it may be among the kept ones, so that it is
  // built and handed to keep(). Ties are decided there, the same whatever order the fields came in.
  bool admit(const Finding& f) {
    ++total_;
    if (cap_ == 0 || heap_.size() < cap_) return true;
    const ReviewFinding& worst = heap_.front();
    if (FindingRank(f) != FindingRank(worst)) return FindingRank(f) < FindingRank(worst);
    return FindingWeight(f) >= FindingWeight(worst);
  }

  void keep(ReviewFinding finding) {
    heap_.push_back(std::move(finding));
    std::push_heap(heap_.begin(), heap_.end(), Better);
    if (cap_ != 0 && heap_.size() > cap_) {
      std::pop_heap(heap_.begin(), heap_.end(), Better);
      heap_.pop_back();
    }
  }

  std::int64_t total() const { return total_; }

  // The findings kept, the one of most impact first.
  std::vector<ReviewFinding> take() {
    std::sort(heap_.begin(), heap_.end(), Better);
    return std::move(heap_);
  }

  // HB findings first, by |score| from the largest; then zero transitions by their non-zero value; then code, field.
  static bool Better(const ReviewFinding& a, const ReviewFinding& b) {
    if (FindingRank(a) != FindingRank(b)) return FindingRank(a) < FindingRank(b);
    if (FindingWeight(a) != FindingWeight(b)) return FindingWeight(a) > FindingWeight(b);
    if (a.code != b.code) return a.code < b.code;
    return a.field < b.field;
  }

 private:
  std::size_t cap_;
  std::int64_t total_ = 0;
  std::vector<ReviewFinding> heap_;  // a heap under Better: its front is the worst kept
};

// The job of the thread that reads this year while the calling thread reads last year: it counts
// rows and learns of a stop from the calling thread, and never touches the user interface.
class WorkerJob : public jobs::Job {
 public:
  void stepInner(std::int64_t count) override { rows_ += count; }
  bool stopRequested() const override { return stop_; }
  void stop() { stop_ = true; }
  std::int64_t takeRows() { return rows_.exchange(0); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<std::int64_t> rows_{0};
};

// Runs `background` on a thread of its own and `foreground` here; the job's progress and stop are
// served here meanwhile. A failure of either side stops the other and is thrown once both ended.
template <class Foreground, class Background>
void RunBoth(jobs::Job& job, Foreground&& foreground, Background&& background) {
  WorkerJob worker;
  std::exception_ptr failed;
  std::atomic<bool> done{false};
  std::thread thread([&] {
    try {
      background(worker);
    } catch (...) {
      failed = std::current_exception();
    }
    done = true;
  });
  std::exception_ptr here;
  try {
    foreground();
  } catch (...) {
    here = std::current_exception();
    worker.stop();
  }
  while (!done) {
    job.stepInner(worker.takeRows());
    job.processEvents(false);
    if (job.stopRequested()) worker.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  thread.join();
  job.stepInner(worker.takeRows());
  if (here) std::rethrow_exception(here);
  if (failed) std::rethrow_exception(failed);
}

// An indicator value as the review takes it: a finite number from 0 to 14 digits, whole in a
// field of whole numbers. Text, NULL, blobs and values no entry box takes are no number.
double ReviewValue(const db::Statement& row, int column, bool decimal) {
  const std::optional<double> number = row.number(column);
  if (!number) return kNotNumber;
  const double v = *number;
  if (!std::isfinite(v) || v < 0 || v >= 1e14) return kNotNumber;
  if (!decimal && v != std::floor(v)) return kNotNumber;
  return v;
}

std::optional<std::int64_t> RowCode(const db::Statement& row, int column) {
  const std::optional<double> number = row.number(column);
  return number ? UnitCode(*number) : std::nullopt;
}

// One year's table as the review reads it.
struct YearTable {
  db::Connection* connection = nullptr;
  std::string table;
  std::string state;                          // the reporting state's expression ("c912", or "1")
  std::map<std::string, std::string> columns;  // review field (lower case) → its expression here
  intake::SourceFile* file = nullptr;          // a file from elsewhere: read under the untrusted scope
  std::vector<std::int32_t> rowUnit;          // per row of the scan: this year's unit, or -1
  std::int64_t rows = 0;

  std::optional<std::string> column(const std::string& field) const {
    auto it = columns.find(base::AsciiLower(field));
    if (it == columns.end()) return std::nullopt;
    return it->second;
  }
};

[[noreturn]] void ThrowStopped() { throw intake::IntakeError(intake::IntakeError::Kind::Stopped, kReviewStoppedText); }

// Runs `sql`'s rows through `perRow`, under the untrusted scope for a file from elsewhere; the inner
// progress counts rows.
template <class PerRow>
void ScanRows(YearTable& year, const std::string& sql, jobs::Job& job, PerRow&& perRow) {
  auto scan = [&](jobs::Job& rowsJob) {
    db::Statement rows = db::Statement::Native(*year.connection, sql);
    jobs::JobTicker ticker(rowsJob, 2048);
    std::int64_t row = 0;
    while (rows.step()) {
      perRow(rows, row++);
      if (row % 2048 == 0) job.stepInner(2048);
      if (!ticker.tick()) ThrowStopped();
    }
    job.stepInner(row % 2048);
  };
  if (!year.file) return scan(job);
  intake::UntrustedScope scope(year.file->connection(), job, year.file->instructionBudget());
  try {
    scan(scope.job());
  } catch (const intake::IntakeError&) {
    throw;
  } catch (const std::exception& e) {
    if (scope.stopped()) ThrowStopped();
    scope.rethrow(e, year.file->chosen());
  }
}

std::string UnitsSql(const YearTable& year, const std::string& columns) {
  return "SELECT " + columns + " FROM " + base::QuoteSqlName(year.table) +
         " NOT INDEXED WHERE typeof(c901) IN ('integer', 'real') AND " + year.state + " <= 2";
}

// This year's units: the codes of the rows in scan order, sorted and unique.
std::vector<std::int64_t> ScanCurrentUnits(YearTable& year, jobs::Job& job) {
  std::vector<std::int64_t> rowCodes;
  ScanRows(year, UnitsSql(year, "c901"), job, [&](const db::Statement& row, std::int64_t) {
    rowCodes.push_back(RowCode(row, 0).value_or(-1));
  });
  std::vector<std::int64_t> codes;
  for (std::int64_t c : rowCodes)
    if (c >= 0) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  year.rows = static_cast<std::int64_t>(rowCodes.size());
  year.rowUnit.assign(rowCodes.size(), -1);
  std::vector<bool> seen(codes.size());
  for (std::size_t r = 0; r < rowCodes.size(); ++r) {
    if (rowCodes[r] < 0) continue;
    const auto unit = static_cast<std::size_t>(std::lower_bound(codes.begin(), codes.end(), rowCodes[r]) - codes.begin());
    if (seen[unit]) continue;  // a code that comes again: the first row is the unit
    seen[unit] = true;
    year.rowUnit[r] = static_cast<std::int32_t>(unit);
  }
  return codes;
}

// Last year's rows matched with this year's units; the units of last year only, with their names.
// `matched` gets true for each of this year's units that last year had.
std::vector<RosterUnit> ScanReferenceUnits(YearTable& year, const std::vector<std::int64_t>& codes,
                                           std::vector<bool>& matched, jobs::Job& job) {
  std::vector<RosterUnit> missing;
  matched.assign(codes.size(), false);
  year.rowUnit.clear();
  // a file without names still has its units
  ScanRows(year, UnitsSql(year, "c901, " + year.column("c902").value_or("NULL")), job,
           [&](const db::Statement& row, std::int64_t) {
    std::int32_t unit = -1;
    if (const auto code = RowCode(row, 0)) {
      auto it = std::lower_bound(codes.begin(), codes.end(), *code);
      if (it != codes.end() && *it == *code) {
        const auto u = static_cast<std::size_t>(it - codes.begin());
        if (!matched[u]) {
          matched[u] = true;
          unit = static_cast<std::int32_t>(u);
        }
      } else {
        missing.push_back({*code, row.kind(1) == db::ValueKind::Text ? row.text(1) : std::string()});
      }
    }
    year.rowUnit.push_back(unit);
  });
  year.rows = static_cast<std::int64_t>(year.rowUnit.size());
  std::stable_sort(missing.begin(), missing.end(), [](const RosterUnit& a, const RosterUnit& b) { return a.code < b.code; });
  missing.erase(std::unique(missing.begin(), missing.end(),
                            [](const RosterUnit& a, const RosterUnit& b) { return a.code == b.code; }),
                missing.end());
  return missing;
}

constexpr const char* kChangedWhileReadText = "审核期间记录被改变，请重新审核。";

// This year's names of the units flagged in `wanted`.
std::vector<std::string> ScanNames(YearTable& year, const std::vector<bool>& wanted, jobs::Job& job) {
  std::vector<std::string> names(wanted.size());
  ScanRows(year, UnitsSql(year, "c902"), job, [&](const db::Statement& row, std::int64_t r) {
    if (r >= year.rows) return;  // a row more than the units were read from: no name of ours
    const std::int32_t unit = year.rowUnit[static_cast<std::size_t>(r)];
    if (unit >= 0 && wanted[static_cast<std::size_t>(unit)] && row.kind(0) == db::ValueKind::Text)
      names[static_cast<std::size_t>(unit)] = row.text(0);
  });
  return names;
}

// Reads every field of one year in one pass into `streams` (the fields this year lacks get no
// values), one value per row that is a unit; returns, for each such row in order, its unit.
std::vector<std::int32_t> ScanValues(YearTable& year, const std::vector<ReviewField>& fields,
                                     const std::vector<std::int64_t>& codes, FieldStreams& streams, jobs::Job& job) {
  std::string select = "c901";
  std::vector<std::size_t> read;  // the fields this year has
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (auto expression = year.column(fields[i].name)) {
      select += ", " + *expression;
      read.push_back(i);
    }
  std::vector<std::int32_t> units;
  std::int64_t seen = 0;
  ScanRows(year, UnitsSql(year, select), job, [&](const db::Statement& row, std::int64_t r) {
    seen = r + 1;
    if (r >= year.rows) throw db::DbError(kChangedWhileReadText);
    const std::int32_t unit = year.rowUnit[static_cast<std::size_t>(r)];
    if (unit < 0) return;
    if (RowCode(row, 0) != codes[static_cast<std::size_t>(unit)]) throw db::DbError(kChangedWhileReadText);
    units.push_back(unit);
    for (std::size_t k = 0; k < read.size(); ++k)
      streams.add(read[k], ReviewValue(row, static_cast<int>(k + 1), fields[read[k]].decimal));
  });
  if (seen != year.rows) throw db::DbError(kChangedWhileReadText);
  streams.finish();
  return units;
}

// One field of one year from its stream into `column`.
void LoadField(const FieldStreams& streams, std::istream& in, std::size_t field, const std::vector<std::int32_t>& rowUnits,
               bool decimal, std::size_t units, ValueColumn& column) {
  column.reset(units, decimal);
  streams.readFrom(in, field, [&](std::uint64_t i, double v) {
    if (!std::isnan(v)) column.set(static_cast<std::size_t>(rowUnits[static_cast<std::size_t>(i)]), v);
  });
}

// Working memory of the field tests of one thread, kept from field to field.
struct TestScratch {
  std::vector<UnitValues> units;  // the matched units with numbers both years; then the HB set
  HbScratch hb;
};

// The median of the field's positive values among this year's units (a zero transition counts from
// there); last year's when this year has none.
double ZeroThreshold(const ValueColumn& current, const ValueColumn& last, std::size_t units, std::vector<double>& positive) {
  // `positive` is working memory of the caller's.
  for (const ValueColumn* column : {&current, &last}) {
    positive.clear();
    for (std::size_t u = 0; u < units; ++u) {
      const double v = column->get(u);
      if (v > 0) positive.push_back(v);
    }
    if (!positive.empty()) return MedianInPlace(positive);
  }
  return 0;
}

FieldResult TestField(const ReviewField& field, const ValueColumn& current, const ValueColumn& last,
                      const std::vector<std::int64_t>& codes, const HbParameters& parameters,
                      FindingKeeper& findings, std::mutex& keeping, TestScratch& scratch) {
  std::vector<UnitValues>& units = scratch.units;
  units.clear();
  for (std::size_t u = 0; u < codes.size(); ++u) {
    const double x = last.get(u), y = current.get(u);
    if (!std::isnan(x) && !std::isnan(y)) units.push_back({static_cast<std::int64_t>(u), x, y});
  }
  const double zeroThreshold = ZeroThreshold(current, last, codes.size(), scratch.hb.work);
  FieldReview review = ReviewValues(units, zeroThreshold, parameters, scratch.hb);
  FieldResult result = DescribeField(field.name, review, units, parameters);
  const std::lock_guard<std::mutex> lock(keeping);
  for (const Finding& f : review.findings)
    if (findings.admit(f))
      findings.keep({codes[static_cast<std::size_t>(f.unit)], {}, field.name, f.kind, f.last, f.current, f.ratio, f.score,
                     false, {}});
  return result;
}

// Tests every field on threads of their own (each with its own reading of the streams, columns and
// working memory) into `results`; the job's progress (a step a field) and its stop are served here
// meanwhile.
void TestFields(const std::vector<ReviewField>& fields, const YearTable& last, const FieldStreams& nowStreams,
                const FieldStreams& beforeStreams, const std::vector<std::int32_t>& nowUnits,
                const std::vector<std::int32_t>& beforeUnits, const std::vector<std::int64_t>& codes,
                const HbParameters& parameters, FindingKeeper& keeper, std::vector<FieldResult>& results, jobs::Job& job) {
  results.assign(fields.size(), {});
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
  std::atomic<std::size_t> next{0}, done{0};
  std::atomic<bool> stop{false};
  std::mutex keeping;
  std::vector<std::exception_ptr> failed(threads);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t)
    workers.emplace_back([&, t] {
      try {
        std::ifstream now = nowStreams.openReader(), before = beforeStreams.openReader();
        ValueColumn nowValues, beforeValues;
        TestScratch scratch;
        for (std::size_t i = next++; i < fields.size() && !stop; i = next++) {
          if (!last.column(fields[i].name)) {
            results[i].field = fields[i].name;
            results[i].skipped = kNoReferenceFieldText;
          } else {
            LoadField(nowStreams, now, i, nowUnits, fields[i].decimal, codes.size(), nowValues);
            LoadField(beforeStreams, before, i, beforeUnits, fields[i].decimal, codes.size(), beforeValues);
            results[i] = TestField(fields[i], nowValues, beforeValues, codes, parameters, keeper, keeping, scratch);
          }
          ++done;
        }
      } catch (...) {
        failed[t] = std::current_exception();
        stop = true;
      }
    });
  std::size_t shown = 0;
  auto serve = [&] {
    for (const std::size_t d = done; shown < d; ++shown) job.stepOuter();
    job.processEvents(false);
    while (job.paused() && !job.stopRequested()) job.processEvents(true);
    if (job.stopRequested()) stop = true;
  };
  while (done < fields.size() && !stop) {
    serve();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (std::thread& w : workers) w.join();
  serve();
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
  if (done < fields.size() || job.stopRequested()) ThrowStopped();
}

YearTable CurrentYear(session::DatabaseSession& session) {
  YearTable year;
  year.connection = &session.SysADOConnection();
  year.table = "dt_data";
  year.state = "c912";
  for (const std::string& c : year.connection->columnNames("dt_data")) year.columns[base::AsciiLower(c)] = base::QuoteSqlName(c);
  return year;
}

YearTable PreviousYearTable(session::DatabaseSession& session) {
  YearTable year;
  year.connection = &session.SysADOConnection();
  year.table = "dt_data_2010";
  year.state = "1";
  for (const auto& [target, source] : exchange::MigrationColumns())
    if (source.empty() || !std::isdigit(static_cast<unsigned char>(source[0])))
      year.columns[base::AsciiLower(target)] = base::QuoteSqlName(source);
  return year;
}

// The reference as a year table; a file is opened through the intake into `file`.
YearTable ReferenceYear(session::DatabaseSession& session, const Reference& reference,
                        std::unique_ptr<intake::SourceFile>& file, jobs::Job& job) {
  if (reference.kind == Reference::Kind::PreviousYear) return PreviousYearTable(session);
  file = std::make_unique<intake::SourceFile>(reference.path, files::WorkingFolder(session.ProgramFolder()), job);
  file->requireTable("dt_data", kNoReferenceTableText);
  YearTable year;
  for (const std::string& c : file->requireKnownColumns("dt_data", session.SysADOConnection()))
    year.columns[base::AsciiLower(c)] = base::QuoteSqlName(c);
  if (!year.columns.count("c901"))
    throw intake::IntakeError(intake::IntakeError::Kind::Layout, "文件" + intake::QuotedPath(reference.path) + "的记录表dt_data中没有统计编码c901，无法对比。");
  year.connection = &file->connection();
  year.table = "dt_data";
  year.state = year.columns.count("c912") ? "c912" : "0";
  year.file = file.get();
  return year;
}

struct Units {
  std::vector<std::int64_t> codes;  // this year's, sorted
  std::vector<bool> matched;
  Roster roster;
};

Units ScanUnits(YearTable& current, YearTable& last, jobs::Job& job) {
  Units units;
  job.startInner(0);
  units.codes = ScanCurrentUnits(current, job);
  units.roster.missing = ScanReferenceUnits(last, units.codes, units.matched, job);
  for (bool m : units.matched) units.roster.matched += m ? 1 : 0;
  job.stepOuter();
  return units;
}

void AddNames(YearTable& current, Units& units, std::vector<ReviewFinding>& findings, jobs::Job& job) {
  std::vector<bool> wanted(units.codes.size());
  for (std::size_t u = 0; u < units.codes.size(); ++u) wanted[u] = !units.matched[u];
  for (const ReviewFinding& f : findings)
    wanted[static_cast<std::size_t>(std::lower_bound(units.codes.begin(), units.codes.end(), f.code) - units.codes.begin())] = true;
  job.startInner(current.rows);
  const std::vector<std::string> names = ScanNames(current, wanted, job);
  job.stepOuter();
  for (std::size_t u = 0; u < units.codes.size(); ++u)
    if (!units.matched[u]) units.roster.added.push_back({units.codes[u], names[u]});
  for (ReviewFinding& f : findings)
    f.name = names[static_cast<std::size_t>(std::lower_bound(units.codes.begin(), units.codes.end(), f.code) - units.codes.begin())];
}

// The fields asked for, in the catalogue's order; an unknown name is refused.
std::vector<ReviewField> ChosenFields(db::Connection& connection, const std::vector<std::string>& names) {
  std::vector<ReviewField> all = ReviewFields(connection);
  if (names.empty()) return all;
  for (const std::string& name : names)
    if (std::none_of(all.begin(), all.end(), [&](const ReviewField& f) { return base::SameIgnoringCase(f.name, name); }))
      throw std::invalid_argument("“" + name + "”不是可以审核的指标");
  std::erase_if(all, [&](const ReviewField& f) {
    return std::none_of(names.begin(), names.end(), [&](const std::string& n) { return base::SameIgnoringCase(f.name, n); });
  });
  return all;
}

}  // namespace

std::vector<ReviewField> ReviewFields(db::Connection& connection) {
  std::vector<ReviewField> fields;
  db::Statement rows = db::Statement::Native(
      connection,
      "SELECT f.FieldName, f.Hint, f.PageID, f.QueryType, s.SheetName FROM dt_fieldlist f "
      "LEFT JOIN ct_sheetName s ON s.CodeID = f.PageID "
      "WHERE f.QueryType IN (0, 2) AND f.PageID <> 0 AND lower(f.FieldName) NOT IN ('id', 'recordstate') "
      "ORDER BY f.sequence, f.ID");
  while (rows.step()) {
    ReviewField f;
    f.name = rows.text(0);
    f.caption = rows.text(1);
    const std::int64_t page = rows.int64(2);
    f.page = page >= 1 && page <= 7 ? static_cast<int>(page) : -1;
    f.decimal = rows.int64(3) == 2;
    if (f.page > 0) f.table = rows.text(4);
    fields.push_back(std::move(f));
  }
  return fields;
}

FieldResult DescribeField(const std::string& name, const FieldReview& review, const std::vector<UnitValues>& set,
                          const HbParameters& parameters) {
  FieldResult result;
  result.field = name;
  result.skipped = review.skipped;
  result.tested = review.tested;
  result.medianRatio = review.medianRatio;
  result.q1 = review.q1;
  result.qm = review.qm;
  result.q3 = review.q3;
  result.lowSpread = review.lowSpread;
  result.highSpread = review.highSpread;
  result.u = parameters.u;
  result.c = parameters.c;
  if (review.skipped) return result;
  std::vector<std::int64_t> found;
  for (const Finding& f : review.findings) found.push_back(f.unit);
  std::sort(found.begin(), found.end());
  // every k-th unit of the set that is no finding
  const std::size_t stride = std::max<std::size_t>(1, (set.size() + kPlotSample - 1) / kPlotSample);
  for (std::size_t i = 0; i < set.size(); i += stride) {
    const UnitValues& v = set[i];
    if (!std::binary_search(found.begin(), found.end(), v.unit))
      result.sample.push_back({v.current / v.last, std::pow(std::max(v.last, v.current), parameters.u)});
  }
  return result;
}

namespace {

// The ratio whose effect at `size` is `effect`: E = (1 − m/r)·size below the median ratio, (r/m − 1)·size
// above it, so r = m / (1 − E/size) for a negative effect and m·(1 + E/size) otherwise.
std::optional<double> RatioAtEffect(const FieldResult& field, double effect, double size) {
  if (field.skipped || !(size > 0) || !(field.medianRatio > 0)) return std::nullopt;
  const double s = effect / size;
  return s < 0 ? field.medianRatio / (1 - s) : field.medianRatio * (1 + s);
}

}  // namespace

std::optional<double> LowerBoundRatio(const FieldResult& field, double size) {
  return RatioAtEffect(field, field.qm - field.c * field.lowSpread, size);
}

std::optional<double> UpperBoundRatio(const FieldResult& field, double size) {
  return RatioAtEffect(field, field.qm + field.c * field.highSpread, size);
}

ReviewResult RunReview(session::DatabaseSession& session, const Reference& reference, const ReviewOptions& options,
                       jobs::Job& job) {
  db::Connection& ours = session.SysADOConnection();
  const std::vector<ReviewField> fields = ChosenFields(ours, options.fields);
  std::unique_ptr<intake::SourceFile> file;
  try {
    YearTable current = CurrentYear(session);
    YearTable last = ReferenceYear(session, reference, file, job);
    ReviewResult result;
    result.reference = ReferenceName(reference);

    // Outer steps: the units, the values, each field, the names.
    job.startOuter(static_cast<std::int64_t>(fields.size()) + 3);
    Units units = ScanUnits(current, last, job);
    if (!jobs::JobTicker(job, 1).poll()) ThrowStopped();  // between the steps, whatever their size

    // Both years read once, at the same time, into field streams.
    const std::string folder = files::WorkingFolder(session.ProgramFolder());
    FieldStreams nowStreams(folder, fields.size()), beforeStreams(folder, fields.size());
    std::vector<std::int32_t> nowUnits, beforeUnits;
    job.startInner(current.rows + last.rows);
    RunBoth(
        job, [&] { beforeUnits = ScanValues(last, fields, units.codes, beforeStreams, job); },
        [&](jobs::Job& worker) { nowUnits = ScanValues(current, fields, units.codes, nowStreams, worker); });
    job.stepOuter();
    if (!jobs::JobTicker(job, 1).poll()) ThrowStopped();

    // Then field by field.
    FindingKeeper keeper(options.maxFindings);
    job.startInner(0);
    TestFields(fields, last, nowStreams, beforeStreams, nowUnits, beforeUnits, units.codes, options.parameters, keeper,
               result.fields, job);
    result.totalFindings = keeper.total();
    result.findings = keeper.take();
    AddNames(current, units, result.findings, job);
    result.roster = std::move(units.roster);
    ApplyVerdicts(LoadVerdicts(ours), result.findings);
    job.finish();
    return result;
  } catch (...) {
    job.finish();
    throw;
  }
}

Roster RunRoster(session::DatabaseSession& session, const Reference& reference, jobs::Job& job) {
  std::unique_ptr<intake::SourceFile> file;
  try {
    YearTable current = CurrentYear(session);
    YearTable last = ReferenceYear(session, reference, file, job);
    job.startOuter(2);
    Units units = ScanUnits(current, last, job);
    if (!jobs::JobTicker(job, 1).poll()) ThrowStopped();  // between the steps, whatever their size
    std::vector<ReviewFinding> none;
    AddNames(current, units, none, job);
    job.finish();
    return std::move(units.roster);
  } catch (...) {
    job.finish();
    throw;
  }
}

}  // namespace velmora::review
