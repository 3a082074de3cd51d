#include "core/db/progress_scope.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace velmora::db {

namespace {
// The scopes alive on this thread, innermost last, with their instruction counts: when an inner
// scope ends, the handler of the next one out on the same connection is put back.
thread_local std::vector<std::pair<ProgressScope*, int>> liveScopes;
}  // namespace

ProgressScope::ProgressScope(Connection& connection, jobs::Job& job, int instructions)
    : connection_(connection), job_(job) {
  const int every = instructions > 0 ? instructions : 1;
  sqlite3_progress_handler(connection_.handle(), every, &ProgressScope::Callback, this);
  liveScopes.emplace_back(this, every);
}

ProgressScope::~ProgressScope() {
  auto self = std::find_if(liveScopes.begin(), liveScopes.end(), [this](const auto& s) { return s.first == this; });
  if (self != liveScopes.end()) liveScopes.erase(self);
  if (!connection_.isOpen()) return;
  for (auto outer = liveScopes.rbegin(); outer != liveScopes.rend(); ++outer) {
    if (&outer->first->connection_ == &connection_) {
      sqlite3_progress_handler(connection_.handle(), outer->second, &ProgressScope::Callback, outer->first);
      return;
    }
  }
  sqlite3_progress_handler(connection_.handle(), 0, nullptr, nullptr);
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

bool IsDamagedFile(const DbError& error) {
  const int primary = error.code() & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace velmora::db
