#pragma once
// While one long statement runs (a grouped scan of millions of rows, a bulk insert), the engine calls
// back every few thousand of its instructions: the scope hands those calls to a job, so that the
// window stays alive and a stop by the user interrupts the statement (it then fails with
// SQLITE_INTERRUPT, reported as DbError with IsInterrupted()).

#include "core/db/connection.h"
#include "core/jobs/job.h"

namespace velmora::db {

class ProgressScope {
 public:
  // `instructions`: engine instructions between two calls; events are processed on every call.
  ProgressScope(Connection& connection, jobs::Job& job, int instructions = 100000);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  // True once the statement was interrupted because the user stopped the job.
  bool interrupted() const { return interrupted_; }

 private:
  static int Callback(void* self);
  Connection& connection_;
  jobs::Job& job_;
  bool interrupted_ = false;
};

// The engine's code of a statement that was interrupted.
bool IsInterrupted(const DbError& error);
// The engine found the file damaged, or no database at all.
bool IsDamagedFile(const DbError& error);

}  // namespace velmora::db
