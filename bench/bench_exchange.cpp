#include "bench_exchange.h"

#include <sqlite3.h>
#include <sys/resource.h>

#include <fstream>
#include <stdexcept>

#include "bench_timing.h"
#include "core/db/file_header.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/exchange/package_import.h"
#include "core/exchange/package_manifest.h"
#include "core/exchange/reporting_package.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "core/session/working_copy.h"

namespace velmora::bench {

namespace {

namespace fs = std::filesystem;

class QuietPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool confirm(const std::string&, const std::string& = {}) override { return true; }
  bool openDocument(const std::string&) override { return true; }
};

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string text = err ? err : "sqlite3_exec failed";
    sqlite3_free(err);
    throw std::runtime_error(text);
  }
}

sqlite3* Open(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + file.string());
  return db;
}

std::string Literal(const fs::path& p) { return db::QuoteText(p.string()); }

void Copy(const fs::path& from, const fs::path& to) { fs::copy_file(from, to, fs::copy_options::overwrite_existing); }

void Remove(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

void ScrambleHead(const fs::path& file) {
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  char head[1024];
  f.read(head, sizeof head);
  for (char& b : head) b = static_cast<char>(db::ScramblePackageByte(static_cast<std::uint8_t>(b)));
  f.seekp(0);
  f.write(head, sizeof head);
}

// The floor of an import: the plain file attached and its rows inserted in one transaction.
void PlainInsert(const fs::path& database, const std::vector<fs::path>& files) {
  sqlite3* db = Open(database);
  for (const fs::path& f : files) {
    Exec(db, "ATTACH " + Literal(f) + " AS p");
    Exec(db, "BEGIN; INSERT INTO dt_data SELECT * FROM p.dt_data; COMMIT");
    Exec(db, "DETACH p");
  }
  sqlite3_close(db);
}

// A package of the rows `where` of `source` with codes made distinct from every generated code.
void MakePackage(const fs::path& programFolder, const fs::path& source, const std::string& where,
                 const fs::path& package, const fs::path& plain) {
  Copy(programFolder / exchange::kPackageTemplateName, plain);
  {
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + plain.string());
    db::Transaction tx(c);
    c.execute("insert into dt_data select * from dt_data in " + Literal(source) + " where " + where);
    // Codes of a division no generated database uses (10…), unique by the source's row number, so
    // that the package conflicts with nothing in the database it goes into.
    c.execute("update dt_data set c901 = 100000000000 + id");
    c.execute("update ct_label set db_name = '基准'");
    const exchange::RowsDigest d = exchange::DigestRows(c, "dt_data");
    exchange::WriteManifest(c, {"基准", d.records, d.sha256, exchange::ProgramVersion(), exchange::ManifestTimeNow()});
    tx.commit();
  }
  Copy(plain, package);
  session::ScramblePackageHeader(package.string());
}

std::int64_t Count(const fs::path& file) {
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
  db::Statement st(c, "select count(*) from dt_data");
  return st.step() ? st.int64(0) : -1;
}

}  // namespace

double PeakResidentMiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

std::vector<ExchangeTiming> MeasureExport(const fs::path& programFolder, const fs::path& unitDatabase,
                                          const fs::path& scratch, int runs) {
  const fs::path ours = scratch / "export-ours.dat", floor = scratch / "export-floor.dat";
  QuietPrompts prompts;
  session::DatabaseSession session(programFolder.string(), prompts);
  if (!session.OpenDatabase(unitDatabase.string())) throw std::runtime_error("cannot open " + unitDatabase.string());
  ExchangeTiming t{"export", 0, 0, 0};
  t.ours = MedianMs(runs, [&] { Remove(ours); },
                    [&] { t.records = exchange::WritePackage(session, ours.string(), "基准").records; });
  t.floor = MedianMs(runs, [&] { Remove(floor); }, [&] {
    Copy(programFolder / exchange::kPackageTemplateName, floor);
    sqlite3* db = Open(floor);
    Exec(db, "ATTACH " + Literal(unitDatabase) + " AS w");
    Exec(db, "BEGIN; INSERT INTO dt_data SELECT * FROM w.dt_data WHERE RecordState=1; "
             "UPDATE ct_label SET db_name = '基准'; COMMIT");
    sqlite3_close(db);
    ScrambleHead(floor);
  });
  Remove(ours);
  Remove(floor);
  return {t};
}

std::vector<ExchangeTiming> MeasureImport(const fs::path& programFolder, const fs::path& unitDatabase,
                                          const fs::path& baseDatabase, const fs::path& scratch, int runs) {
  const fs::path package = scratch / "import.dat", plain = scratch / "import-plain.mdb";
  MakePackage(programFolder, unitDatabase, "RecordState=1", package, plain);
  const std::int64_t records = Count(plain);
  const fs::path work = scratch / "import-work.mdb";
  std::vector<ExchangeTiming> out;

  QuietPrompts prompts;
  exchange::ImportOptions options;
  options.askLabel = false;
  std::unique_ptr<session::DatabaseSession> session;
  auto openSession = [&](bool conflict) {
    session.reset();
    Copy(baseDatabase, work);
    if (conflict) {
      // One record of the package is stored already, with another name.
      sqlite3* db = Open(work);
      Exec(db, "ATTACH " + Literal(plain) + " AS p; INSERT INTO dt_data (c901, c902) "
               "SELECT c901, 'x' FROM p.dt_data ORDER BY c901 LIMIT 1 OFFSET " + std::to_string(records / 2));
      sqlite3_close(db);
    }
    session = std::make_unique<session::DatabaseSession>(programFolder.string(), prompts);
    session->setPersonalFolder(scratch.string());
    if (!session->OpenDatabase(work.string())) throw std::runtime_error("cannot open " + work.string());
  };

  ExchangeTiming clean{"import", records, 0, 0};
  exchange::ImportStatus status{};
  clean.ours = MedianMs(runs, [&] { openSession(false); }, [&] {
    status = exchange::ImportPackage(*session, prompts, package.string(), "dt_data", options).result.status;
  });
  if (status != exchange::ImportStatus::Imported) throw std::runtime_error("the import failed");
  session.reset();
  clean.floor = MedianMs(runs, [&] { Copy(baseDatabase, work); }, [&] { PlainInsert(work, {plain}); });
  out.push_back(clean);

  ExchangeTiming conflict{"import-1c", records, 0, clean.floor};
  conflict.ours = MedianMs(runs, [&] { openSession(true); }, [&] {
    status = exchange::ImportPackage(*session, prompts, package.string(), "dt_data", options).result.status;
  });
  if (status != exchange::ImportStatus::Conflicts) throw std::runtime_error("the conflict was not found");
  session.reset();
  out.push_back(conflict);
  Remove(work);
  Remove(package);
  Remove(plain);
  return out;
}

std::vector<ExchangeTiming> MeasureBatch(const fs::path& programFolder, const fs::path& sourceDatabase,
                                         const fs::path& baseDatabase, const ExchangeSizes& sizes,
                                         const fs::path& scratch, int runs) {
  const fs::path folder = scratch / "batch";
  fs::create_directories(folder);
  std::vector<std::string> packages;
  std::vector<fs::path> plains;
  for (std::int64_t i = 0; i < sizes.batchFiles; ++i) {
    const fs::path package = folder / ("p" + std::to_string(i) + ".dat");
    const fs::path plain = folder / ("p" + std::to_string(i) + ".mdb");
    const std::int64_t from = i * sizes.batchRecords;
    // A package carries the records a unit could report: those in state 1.
    MakePackage(programFolder, sourceDatabase,
                "RecordState=1 and id > " + std::to_string(from) + " and id <= " + std::to_string(from + sizes.batchRecords),
                package, plain);
    packages.push_back(package.string());
    plains.push_back(plain);
  }
  const fs::path work = scratch / "batch-work.mdb";
  QuietPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  ExchangeTiming t{"batch", sizes.batchFiles * sizes.batchRecords, 0, 0};
  bool all = true;
  t.ours = MedianMs(runs, [&] {
    session.reset();
    Copy(baseDatabase, work);
    session = std::make_unique<session::DatabaseSession>(programFolder.string(), prompts);
    session->setPersonalFolder(scratch.string());
    session->OpenDatabase(work.string());
  }, [&] { all = exchange::ImportPackageFiles(*session, prompts, packages, "dt_data", {}).allImported && all; });
  session.reset();
  if (!all) throw std::runtime_error("the batch did not import every file");
  t.floor = MedianMs(runs, [&] { Copy(baseDatabase, work); }, [&] { PlainInsert(work, plains); });
  Remove(work);
  fs::remove_all(folder);
  return {t};
}

}  // namespace velmora::bench
