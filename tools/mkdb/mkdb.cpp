// velmora-mkdb OUT.db FILE.sql...
// Makes a fresh database file from SQL sources, executed in order inside one transaction.
// The file is written beside its final name and renamed into place, so a failed build never
// leaves a half-made database behind.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

static bool exec(sqlite3* db, const std::string& sql, const std::string& origin) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::cerr << "velmora-mkdb: " << origin << ": " << (err ? err : "unknown error") << "\n";
    sqlite3_free(err);
    return false;
  }
  return true;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: velmora-mkdb OUT.db FILE.sql...\n";
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path tmp = out.string() + ".part";
  std::error_code ec;
  fs::create_directories(out.parent_path(), ec);
  fs::remove(tmp, ec);

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    std::cerr << "velmora-mkdb: cannot create " << tmp << "\n";
    return 1;
  }
  bool ok = exec(db, "PRAGMA page_size=4096; PRAGMA journal_mode=DELETE; BEGIN;", "start");
  for (int i = 2; ok && i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << "velmora-mkdb: cannot read " << argv[i] << "\n";
      ok = false;
      break;
    }
    std::stringstream text;
    text << in.rdbuf();
    ok = exec(db, text.str(), argv[i]);
  }
  ok = ok && exec(db, "COMMIT; ANALYZE; VACUUM;", "finish");
  sqlite3_close(db);
  if (!ok) {
    fs::remove(tmp, ec);
    return 1;
  }
  fs::rename(tmp, out, ec);
  if (ec) {
    std::cerr << "velmora-mkdb: cannot rename to " << out << ": " << ec.message() << "\n";
    return 1;
  }
  return 0;
}
