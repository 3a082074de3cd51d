#include "core/records/record_state.h"

#include "core/db/connection.h"

namespace velmora::records {

std::int64_t SetAllRecordsFormal(db::Connection& connection) {
  return connection.execute("update dt_data set RecordState=1");
}

}  // namespace velmora::records
