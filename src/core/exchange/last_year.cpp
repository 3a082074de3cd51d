#include "core/exchange/last_year.h"

#include "core/db/statement.h"

namespace velmora::exchange {

std::string LastYearName(const LastYear& lastYear) {
  return lastYear.kind == LastYear::Kind::PreviousYear ? kPreviousYearName : lastYear.path;
}

bool PreviousYearHasRecords(db::Connection& connection) {
  if (!connection.TableExists("dt_data_2010")) return false;
  db::Statement any = db::Statement::Native(connection, "SELECT 1 FROM dt_data_2010 LIMIT 1");
  return any.step();
}

}  // namespace velmora::exchange
