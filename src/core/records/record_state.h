#pragma once
// The records' entry state (RecordState: 0 temporary, 1 formal, 2 with logic errors) set in bulk.

#include <cstdint>

namespace velmora::db {
class Connection;
}

namespace velmora::records {

// Every record formal (RecordState 1), in one statement; the records changed. Throws db::DbError.
std::int64_t SetAllRecordsFormal(db::Connection& connection);

}  // namespace velmora::records
