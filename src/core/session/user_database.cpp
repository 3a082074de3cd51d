#include "core/session/user_database.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/files/atomic_file.h"

namespace velmora::session {

namespace fs = std::filesystem;
using base::PathFromUtf8;
using base::QuotedPath;

namespace {

struct Layout {
  std::int64_t version = 0;
  std::set<std::string> tables;
  std::vector<std::string> dataColumns;
};

Layout ReadLayout(const std::string& file) {
  db::Connection connection("Data Source=" + db::Connection::QuoteValue(file) + ";Mode=Read");
  connection.open();
  Layout layout;
  db::Statement version = db::Statement::Native(connection, "PRAGMA user_version");
  if (version.step()) layout.version = version.int64(0);
  for (const std::string& name : connection.tableNames()) layout.tables.insert(name);
  if (layout.tables.count("dt_data")) layout.dataColumns = connection.columnNames("dt_data");
  return layout;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::string> NewerLayout(const std::string& shipped, const std::string& user) {
  Layout ours;
  Layout theirs;
  try {
    ours = ReadLayout(shipped);
    theirs = ReadLayout(user);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (ours.version > theirs.version)
    return "数据库结构版本为" + std::to_string(ours.version) + "，您的数据库为" + std::to_string(theirs.version);
  for (const std::string& table : ours.tables)
    if (!theirs.tables.count(table)) return "您的数据库缺少数据表" + table;
  for (const std::string& column : ours.dataColumns)
    if (!Contains(theirs.dataColumns, column)) return "您的数据库的dt_data缺少字段" + column;
  return std::nullopt;
}

UserDatabase PrepareUserDatabase(const std::string& shippedFile, const std::string& userFile) {
  UserDatabase result;
  const fs::path target = PathFromUtf8(userFile);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(target, ec))) {
    try {
      files::AtomicFile copy(userFile, "~vmu");
      files::CopyFileInto(shippedFile, copy);
      copy.close();
      // A link, not a rename: it fails when a file has appeared under the name meanwhile (another
      // start of the program), and that file is kept.
      fs::create_hard_link(PathFromUtf8(copy.tempPath()), target, ec);
      if (ec && ec != std::errc::file_exists) {
        // A file system without links: the rename, provided the name is still free.
        if (!fs::exists(fs::symlink_status(target, ec))) {
          copy.commit();
          result.made = true;
        }
      } else {
        result.made = !ec;
      }
    } catch (const std::exception& e) {
      result.error = "无法建立您的数据库" + QuotedPath(userFile) + "：" + e.what();
      return result;
    }
  }
  if (!result.made) {
    if (const auto why = NewerLayout(shippedFile, userFile)) {
      result.newerLayout = "软件自带的数据库比您的数据库" + QuotedPath(userFile) + "新（" + *why +
                           "）。您的数据库没有被替换，仍按原样打开；请先备份数据，再与软件提供者联系升级您的数据库。";
    }
  }
  result.ok = true;
  return result;
}

}  // namespace velmora::session
