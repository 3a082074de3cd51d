// velmora-bench: times the program's bulk operations against a plain-SQLite floor measured in the
// same run, on databases of generated records kept in a scratch folder between runs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_check.h"
#include "bench_csv.h"
#include "bench_exchange.h"
#include "bench_records.h"
#include "bench_list.h"
#include "bench_search.h"
#include "bench_operations.h"
#include "bench_rules.h"
#include "bench_review.h"
#include "bench_summary.h"
#include "bench_template.h"
#include "bench_timing.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora::bench;

const char* kUsage =
    "usage: velmora-bench [options]\n"
    "  --sizes N[,N...]     record counts (default 100000,1000000)\n"
    "  --ops OP[,OP...]     generate, open, compact, list, search, rules, check, export, import,\n"
    "                       batch, records, csv-export, csv-import, summary, review, template\n"
    "                       (default all but template)\n"
    "  --template-rows N[,N...]  rows of the template fill (default 10000,20000)\n"
    "  --base N             records of the database a package is imported into (default 1000000)\n"
    "  --batch-files F      packages of the batch import (default 2000)\n"
    "  --batch-records R    records per package of the batch (default 50)\n"
    "  --batch-base N       records of the database the batch goes into (default 100000)\n"
    "  --runs R             timed runs of generate and compact (default 5)\n"
    "  --fast-runs R        timed runs of open and list (default 30)\n"
    "  --dir DIR            scratch folder ($VELMORA_BENCH_DIR, else /tmp/velmora-bench)\n"
    "  --shipped FILE       the shipped database (default: 2012Velmora.mdb beside this program)\n"
    "  --seed S             seed of the generated records (default 1)\n"
    "example of a quick run: velmora-bench --sizes 10000 --runs 3 --fast-runs 10\n"
    "                        velmora-bench --sizes 10000 --ops export,import,batch --base 100000 \\\n"
    "                          --batch-files 100 --batch-records 50 --batch-base 10000 --runs 3\n";

// Every operation, in the order a run without --ops measures them.
const std::vector<std::string>& AllOps() {
  static const std::vector<std::string> ops{"generate", "open",    "compact",    "list",       "search",
                                            "rules",    "check",   "export",     "import",     "batch",
                                            "records",  "csv-export", "csv-import", "summary",
                                            "review"};
  return ops;
}

struct Options {
  std::vector<std::int64_t> sizes{100000, 1000000};
  std::vector<std::string> ops = AllOps();
  ExchangeSizes exchange;
  int runs = 5;
  int fastRuns = 30;
  fs::path dir;
  fs::path shipped;
  std::uint64_t seed = 1;
  std::vector<std::int64_t> templateRows{10000, 20000};
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

fs::path ProgramFolder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path();
}

// False when the program should print its usage and end; `help` tells whether that was asked for.
bool ParseOptions(int argc, char** argv, Options& o, bool& help) {
  const char* env = std::getenv("VELMORA_BENCH_DIR");
  o.dir = env && *env ? fs::path(env) : fs::path("/tmp/velmora-bench");
  o.shipped = ProgramFolder(argv[0]) / "2012Velmora.mdb";
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--help" || arg == "-h") {
        help = true;
        return false;
      }
      if (i + 1 >= argc) throw std::invalid_argument(arg);
      const std::string value = argv[++i];
      if (arg == "--sizes") {
        o.sizes.clear();
        for (const auto& s : SplitList(value)) o.sizes.push_back(std::stoll(s));
      } else if (arg == "--ops") {
        o.ops = SplitList(value);
        for (const auto& op : o.ops)
          if (std::find(AllOps().begin(), AllOps().end(), op) == AllOps().end() && op != "template")
            throw std::invalid_argument(op);
      } else if (arg == "--template-rows") {
        o.templateRows.clear();
        for (const auto& s : SplitList(value)) o.templateRows.push_back(std::stoll(s));
      } else if (arg == "--base") {
        o.exchange.base = std::stoll(value);
      } else if (arg == "--batch-files") {
        o.exchange.batchFiles = std::stoll(value);
      } else if (arg == "--batch-records") {
        o.exchange.batchRecords = std::stoll(value);
      } else if (arg == "--batch-base") {
        o.exchange.batchBase = std::stoll(value);
      } else if (arg == "--runs") {
        o.runs = std::stoi(value);
      } else if (arg == "--fast-runs") {
        o.fastRuns = std::stoi(value);
      } else if (arg == "--dir") {
        o.dir = value;
      } else if (arg == "--shipped") {
        o.shipped = value;
      } else if (arg == "--seed") {
        o.seed = std::stoull(value);
      } else {
        throw std::invalid_argument(arg);
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "velmora-bench: bad option " << e.what() << "\n";
    return false;
  }
  return o.runs > 0 && o.fastRuns > 0 && !o.sizes.empty();
}

struct Row {
  std::string operation;
  std::int64_t records;
  int runs;
  double ours, floor;
};

void PrintRow(const Row& r) {
  std::printf("%-10s %10lld records  %3d runs  ours %10.1f ms  floor %10.1f ms  ratio %6.2f\n", r.operation.c_str(),
              static_cast<long long>(r.records), r.runs, r.ours, r.floor, r.floor > 0 ? r.ours / r.floor : 0.0);
  std::fflush(stdout);
}

void Remove(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

// The database of `records` generated records in the scratch folder, made when missing.
fs::path RecordsDatabase(const Options& o, std::int64_t records) {
  const fs::path file = o.dir / ("records-" + std::to_string(records) + "-seed" + std::to_string(o.seed) + ".mdb");
  if (RecordCount(file) != records) {
    std::printf("generating %lld records into %s\n", static_cast<long long>(records), file.c_str());
    std::fflush(stdout);
    GenerateOurs(o.shipped, file, records, o.seed);
  }
  return file;
}

Row MeasureGenerate(const Options& o, std::int64_t records) {
  const fs::path ours = o.dir / "generate-ours.mdb", floor = o.dir / "generate-floor.mdb";
  Row row{"generate", records, o.runs, 0, 0};
  row.ours = MedianMs(o.runs, [&] { Remove(ours); }, [&] { GenerateOurs(o.shipped, ours, records, o.seed); });
  row.floor = MedianMs(o.runs, [&] { Remove(floor); }, [&] { GenerateFloor(o.shipped, floor, records); });
  Remove(ours);
  Remove(floor);
  return row;
}

Row MeasureOpen(const Options& o, const fs::path& database, std::int64_t records) {
  Row row{"open", records, o.fastRuns, 0, 0};
  if (OpenListOurs(database) != records || OpenListFloor(database) != records)  // also warms the file cache
    throw std::runtime_error("the record count of " + database.string() + " is wrong");
  row.ours = MedianMs(o.fastRuns, [] {}, [&] { OpenListOurs(database); });
  row.floor = MedianMs(o.fastRuns, [] {}, [&] { OpenListFloor(database); });
  return row;
}

Row MeasureCompact(const Options& o, const fs::path& database, std::int64_t records) {
  const fs::path work = o.dir / "compact-ours.mdb", floor = o.dir / "compact-floor.mdb";
  Row row{"compact", records, o.runs, 0, 0};
  bool ok = true;
  row.ours = MedianMs(
      o.runs, [&] { fs::copy_file(database, work, fs::copy_options::overwrite_existing); },
      [&] { ok = CompactOurs(work) && ok; });
  bool floorOk = true;
  row.floor = MedianMs(o.runs, [&] { Remove(floor); }, [&] { floorOk = CompactFloor(database, floor) && floorOk; });
  Remove(work);
  Remove(floor);
  if (!ok) throw std::runtime_error("compaction failed");
  if (!floorOk) {
    std::cerr << "velmora-bench: the sqlite3 shell could not compact (is it installed?)\n";
    row.floor = 0;
  }
  return row;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool help = false;
  if (!ParseOptions(argc, argv, o, help)) {
    (help ? std::cout : std::cerr) << kUsage;
    return help ? 0 : 2;
  }
  std::error_code ec;
  fs::create_directories(o.dir, ec);
  if (!fs::is_regular_file(o.shipped)) {
    std::cerr << "velmora-bench: no shipped database at " << o.shipped << "\n";
    return 1;
  }

  std::vector<Row> rows;
  try {
    // Filling a template does not depend on a database.
    if (std::erase(o.ops, std::string("template")) > 0)
      for (std::int64_t n : o.templateRows) {
        for (const TemplateTiming& t : MeasureTemplateFill(o.dir, n, o.runs)) {
          Row row{t.operation, t.rows, o.runs, t.ours, t.floor};
          PrintRow(row);
          rows.push_back(row);
        }
      }
    for (std::int64_t records : o.ops.empty() ? std::vector<std::int64_t>{} : o.sizes) {
      const fs::path database = RecordsDatabase(o, records);
      for (const auto& op : o.ops) {
        if (op == "rules") {  // the form's rule check does not depend on the record count
          for (const auto& t : MeasureRules(o.shipped, o.fastRuns)) {
            Row row{t.operation, t.rules, o.fastRuns, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          continue;
        }
        if (op == "summary") {
          for (const auto& t : MeasureSummary(database, o.dir, o.runs, o.shipped.parent_path())) {
            Row row{t.operation, records, o.runs, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          std::printf("peak resident memory %.1f MiB\n", PeakResidentMiB());
          continue;
        }
        if (op == "review") {  // against this year's records made from the database
          const ReviewTiming t = MeasureReview(o.shipped.parent_path(), database, o.dir, o.runs);
          Row row{t.operation, records, o.runs, t.ours, t.floor};
          PrintRow(row);
          rows.push_back(row);
          std::printf("findings %zu, peak resident memory %.1f MiB\n", t.findings, PeakResidentMiB());
          continue;
        }
        if (op == "check") {
          const CheckTiming t = MeasureCheck(database, o.dir, o.runs);
          Row row{t.operation, records, o.runs, t.ours, t.floor};
          PrintRow(row);
          rows.push_back(row);
          continue;
        }
        if (op == "csv-export" || op == "csv-import") {
          const fs::path program = o.shipped.parent_path();
          const std::vector<ExchangeTiming> timings =
              op == "csv-export" ? MeasureCsvExport(program, database, o.dir, o.runs)
                                 : MeasureCsvImport(program, database, RecordsDatabase(o, o.exchange.base), o.dir, o.runs);
          for (const auto& t : timings) {
            Row row{t.operation, t.records, o.runs, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          std::printf("peak resident memory %.1f MiB\n", PeakResidentMiB());
          continue;
        }
        if (op == "export" || op == "import" || op == "batch" || op == "records") {
          const fs::path program = o.shipped.parent_path();
          std::vector<ExchangeTiming> timings;
          if (op == "export") timings = MeasureExport(program, database, o.dir, o.runs);
          if (op == "records") timings = MeasureRecordImport(program, database, o.dir, o.runs);
          if (op == "import") timings = MeasureImport(program, database, RecordsDatabase(o, o.exchange.base), o.dir, o.runs);
          if (op == "batch")
            timings = MeasureBatch(program, RecordsDatabase(o, o.exchange.batchFiles * o.exchange.batchRecords),
                                   RecordsDatabase(o, o.exchange.batchBase), o.exchange, o.dir, o.runs);
          for (const auto& t : timings) {
            Row row{t.operation, t.records, o.runs, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          if (op == "batch") std::printf("peak resident memory %.1f MiB\n", PeakResidentMiB());
          continue;
        }
        if (op == "search") {
          for (const auto& t : MeasureSearch(database, o.fastRuns)) {
            Row row{t.operation, records, o.fastRuns, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          continue;
        }
        if (op == "list") {
          for (const auto& t : MeasureList(database, o.fastRuns)) {
            Row row{t.operation, records, o.fastRuns, t.ours, t.floor};
            PrintRow(row);
            rows.push_back(row);
          }
          continue;
        }
        Row row = op == "generate" ? MeasureGenerate(o, records)
                  : op == "open"   ? MeasureOpen(o, database, records)
                                   : MeasureCompact(o, database, records);
        PrintRow(row);
        rows.push_back(row);
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "velmora-bench: " << e.what() << "\n";
    return 1;
  }

  std::printf("\n| operation | records | runs | ours median (ms) | floor median (ms) | ratio |\n");
  std::printf("|---|---:|---:|---:|---:|---:|\n");
  for (const auto& r : rows)
    std::printf("| %s | %lld | %d | %.1f | %.1f | %.2f |\n", r.operation.c_str(), static_cast<long long>(r.records),
                r.runs, r.ours, r.floor, r.floor > 0 ? r.ours / r.floor : 0.0);
  return 0;
}
