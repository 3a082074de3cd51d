#include "core/db/progress_scope.h"

#include <sqlite3.h>

namespace velmora::db {

ProgressScope::ProgressScope(Connection& connection, jobs::Job& job, int instructions)
    : connection_(connection), job_(job) {
  sqlite3_progress_handler(connection_.handle(), instructions > 0 ? instructions : 1, &ProgressScope::Callback,
                           this);
}

ProgressScope::~ProgressScope() {
  if (connection_.isOpen()) sqlite3_progress_handler(connection_.handle(), 0, nullptr, nullptr);
}

int ProgressScope::Callback(void* self) {
  auto* scope = static_cast<ProgressScope*>(self);
  // A paused job waits here: the statement holds its place until the user resumes or stops.
  scope->job_.processEvents(false);
  while (scope->job_.paused() && !scope->job_.stopRequested()) scope->job_.processEvents(true);
  if (scope->job_.stopRequested()) {
    scope->interrupted_ = true;
    return 1;
  }
  return 0;
}

bool IsInterrupted(const DbError& error) { return (error.code() & 0xff) == SQLITE_INTERRUPT; }

}  // namespace velmora::db
