#pragma once
// The measured operations: each in the program's own way ("ours") and in the plainest way SQLite
// allows ("floor"), on the same files.

#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::bench {

namespace fs = std::filesystem;

// Generating records: the program's generator writing a new database from the shipped one.
void GenerateOurs(const fs::path& shipped, const fs::path& out, std::int64_t records, std::uint64_t seed);
// The floor: a fresh file with the same record table and indexes, `records` rows of the same width
// inserted through one prepared statement in one transaction, without a journal.
void GenerateFloor(const fs::path& shipped, const fs::path& out, std::int64_t records);

// Opening a database for the record list: connect, count the records, read the first page of 50
// rows in code order. Returns the count (to be checked against the records generated).
std::int64_t OpenListOurs(const fs::path& file);
std::int64_t OpenListFloor(const fs::path& file);

// Compacting: the program's compaction in place; the floor is the sqlite3 shell writing a compacted
// copy with VACUUM INTO. Return false when the operation failed (or the shell is missing).
bool CompactOurs(const fs::path& file);
bool CompactFloor(const fs::path& file, const fs::path& out);

// The number of records in a database file, or -1 when it cannot be read.
std::int64_t RecordCount(const fs::path& file);

}  // namespace velmora::bench
