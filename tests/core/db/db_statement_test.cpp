// The prepared statement and the transaction guard against a real database file.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "support/stopping_job.h"
#include "support/test_paths.h"

namespace velmora::db {
namespace {

class StatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDatabase("Data Source=" + (dir / "s.mdb").string());
    db.setConnectionString("Data Source=" + (dir / "s.mdb").string());
    db.execute("create table t (c901 DOUBLE, c902 VARCHAR(60), z001 INTEGER)");
  }
  std::int64_t Count() {
    Statement st(db, "select count(*) from t");
    EXPECT_TRUE(st.step());
    return st.int64(0);
  }
  velmora::testing::TempDir dir;
  Connection db;
};

TEST_F(StatementTest, BindsByPositionAndNameAndReadsEveryKind) {
  Statement ins(db, "insert into t values (?1, :name, @z)");
  ins.bind(1, 110101000001.0).bind("name", "O'Brien 工会").bind("@z", std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ins.run(), 1);
  ins.reset();
  ins.clearBindings().bind(1, 2.5);  // the others bind as null
  EXPECT_EQ(ins.run(), 1);

  Statement sel(db, "select c901, c902, z001 from t order by c901 desc");
  ASSERT_TRUE(sel.step());
  EXPECT_EQ(sel.kind(0), ValueKind::Float);
  EXPECT_EQ(sel.text(1), "O'Brien 工会");
  EXPECT_EQ(sel.int64(2), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(sel.columnName(1), "c902");
  ASSERT_TRUE(sel.step());
  EXPECT_DOUBLE_EQ(sel.real(0), 2.5);
  EXPECT_TRUE(sel.isNull(1));
  EXPECT_TRUE(sel.value(2).isNull());
  EXPECT_FALSE(sel.step());
}

TEST_F(StatementTest, TranslatesTheProgramsDialect) {
  db.execute("insert into t values (1, 'a', 7)");
  Statement st(db, "select z001/2, 'x' + c902, int(z001/2) from t");
  ASSERT_TRUE(st.step());
  EXPECT_DOUBLE_EQ(st.real(0), 3.5);
  EXPECT_EQ(st.text(1), "xa");
  EXPECT_EQ(st.int64(2), 3);
}

TEST_F(StatementTest, FailuresThrowTheEnginesText) {
  struct Case {
    const char* what;
    std::function<void()> act;
  } cases[] = {
      {"no such table", [&] { Statement(db, "select * from nowhere"); }},
      {"unknown name", [&] { Statement(db, "insert into t values (:a,1,1)").bind("b", 1); }},
      {"position", [&] { Statement(db, "insert into t values (?1,1,1)").bind(2, 1); }},
      {"not prepared", [&] { Statement().step(); }},
  };
  for (const Case& c : cases) EXPECT_THROW(c.act(), DbError) << c.what;

  db.execute("create unique index t_c901 on t(c901)");
  db.execute("insert into t values (1, 'a', 1)");
  Statement dup(db, "insert into t values (1, 'b', 2)");
  try {
    dup.run();
    FAIL() << "a duplicate key went in";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("UNIQUE"), std::string::npos) << e.what();
  }
  // The statement is usable again after its failure.
  dup.reset();
  EXPECT_THROW(dup.run(), DbError);
}

TEST_F(StatementTest, MovedStatementsStayUsable) {
  Statement a(db, "insert into t values (?1, 'a', 1)");
  Statement b = std::move(a);
  EXPECT_FALSE(a.valid());
  b.bind(1, 5).run();
  Statement c;
  c = std::move(b);
  c.reset();
  c.bind(1, 6).run();
  EXPECT_EQ(Count(), 2);
}

TEST_F(StatementTest, TransactionRollsBackUnlessCommitted) {
  {
    Transaction tr(db);
    db.execute("insert into t values (1, 'a', 1)");
  }
  EXPECT_EQ(Count(), 0);
  EXPECT_FALSE(db.inTransaction());
  {
    Transaction tr(db);
    Statement(db, "insert into t values (2, 'b', 2)").run();
    tr.commit();
    EXPECT_FALSE(tr.active());
  }
  EXPECT_EQ(Count(), 1);
  try {
    Transaction tr(db);
    db.execute("insert into t values (3, 'c', 3)");
    throw std::runtime_error("failed in the middle");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Count(), 1);
  // A second transaction on the same connection is refused while one is open.
  Transaction outer(db);
  EXPECT_THROW(Transaction inner(db), DbError);
}

using velmora::testing::StoppingJob;

// A job that asks to stop after a number of event calls, pausing once on the way.
StoppingJob EventsJob(int stopAfter) { return StoppingJob(StoppingJob::Counting::EventCalls, stopAfter, true); }

TEST_F(StatementTest, AStopInterruptsALongStatement) {
  // A grouped scan of three million generated rows: far more than the stop allows.
  const std::string scan =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000000) "
      "SELECT i % 7, count(*), sum(i) FROM n GROUP BY i % 7";
  StoppingJob stopping = EventsJob(10);
  {
    ProgressScope scope(db, stopping, 1000);
    Statement st = Statement::Native(db, scan);
    try {
      st.step();
      FAIL() << "the scan ran to its end";
    } catch (const DbError& e) {
      EXPECT_TRUE(IsInterrupted(e)) << e.what();
    }
    EXPECT_TRUE(scope.interrupted());
  }
  EXPECT_EQ(stopping.waits, 2);  // the pause held the statement until it was resumed

  // Without the scope (or with a job that never stops) the same statement completes.
  StoppingJob never = EventsJob(-1);
  ProgressScope scope(db, never, 100000);
  Statement st = Statement::Native(db, "SELECT count(*) FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                       "SELECT i + 1 FROM n WHERE i < 200000) SELECT i FROM n)");
  ASSERT_TRUE(st.step());
  EXPECT_EQ(st.int64(0), 200000);
  EXPECT_FALSE(scope.interrupted());
  EXPECT_GT(never.calls, 0);
}

TEST_F(StatementTest, TypedBindsKeepTheirKindAndRefuseAPositionOutOfRange) {
  std::string name = "东城区工会";
  Statement ins = Statement::Native(db, "insert into t values (?1, ?2, ?3)");
  ins.bindDouble(1, 1.5).bindStaticText(2, name).bindInt64(3, -7);
  EXPECT_EQ(ins.run(), 1);
  ins.reset();
  ins.bindDouble(1, 2).bindText(2, std::string_view("x\0y", 3)).bindNull(3);
  EXPECT_EQ(ins.run(), 1);
  Statement sel = Statement::Native(db, "select c901, c902, z001 from t order by c901");
  ASSERT_TRUE(sel.step());
  EXPECT_EQ(sel.kind(0), ValueKind::Float);
  EXPECT_EQ(sel.text(1), name);
  EXPECT_EQ(sel.kind(2), ValueKind::Integer);
  EXPECT_EQ(sel.int64(2), -7);
  ASSERT_TRUE(sel.step());
  EXPECT_EQ(sel.textView(1), std::string_view("x\0y", 3));  // bytes after a NUL are kept
  EXPECT_TRUE(sel.isNull(2));
  EXPECT_EQ(sel.findColumn("Z001"), 2);
  EXPECT_EQ(sel.findColumn("z00"), -1);

  const std::function<void(Statement&)> binders[] = {
      [](Statement& s) { s.bindInt64(4, 1); },    [](Statement& s) { s.bindDouble(0, 1); },
      [](Statement& s) { s.bindNull(4); },         [](Statement& s) { s.bindText(4, "a"); },
      [](Statement& s) { s.bindStaticText(0, "a"); }};
  for (const auto& bind : binders) EXPECT_THROW(bind(ins), DbError);
}

TEST_F(StatementTest, BindingAfterARunStartsTheStatementOverWithTheNewValues) {
  // Every kind of bind, after the statement ran to its end and after it stopped on a row: the next
  // run must carry the new values, never the previous ones again.
  const std::vector<std::function<void(Statement&, int)>> binds = {
      [](Statement& st, int i) { st.bind(1, Variant(std::int64_t{100 + i})); },
      [](Statement& st, int i) { st.bind(":code", Variant(std::int64_t{100 + i})); },
      [](Statement& st, int i) { st.bindAll({{"code", Variant(std::int64_t{100 + i})}}); },
      [](Statement& st, int i) { st.bindInt64(1, 100 + i); },
      [](Statement& st, int i) { st.bindDouble(1, 100.0 + i); },
  };
  for (std::size_t kind = 0; kind < binds.size(); ++kind) {
    SCOPED_TRACE(kind);
    db.execute("delete from t");
    Statement insert(db, "insert into t (c901) values (:code)");
    for (int i = 0; i < 3; ++i) {
      binds[kind](insert, i);
      insert.run();
    }
    Statement read(db, "select sum(c901), count(*) from t");
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.real(0), 303.0);
    EXPECT_EQ(read.int64(1), 3);
    // A query stopped on its first row and bound again reads the rows of the new value.
    Statement find(db, "select c901 from t where c901 >= :code order by c901");
    binds[kind](find, 0);
    ASSERT_TRUE(find.step());
    binds[kind](find, 2);
    ASSERT_TRUE(find.step());
    EXPECT_EQ(find.real(0), 102.0);
    EXPECT_FALSE(find.step());
  }
}

TEST_F(StatementTest, NativeSingleRefusesASecondStatement) {
  struct Case {
    const char* sql;
    bool accepted;
  } cases[] = {{"select 1", true}, {"select 1;", true}, {"select 1 ; ;  ", true},
               {"select 1; select 2", false}, {"select 1; drop table t", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    if (c.accepted) {
      Statement st = Statement::NativeSingle(db, c.sql);
      ASSERT_TRUE(st.step());
      EXPECT_EQ(st.int64(0), 1);
    } else {
      EXPECT_THROW(Statement::NativeSingle(db, c.sql), DbError);
    }
  }
  EXPECT_TRUE(db.TableExists("t"));
}

TEST_F(StatementTest, NativeStatementsRunAsTheyStand) {
  // "[...]" and "#" would be rewritten by the dialect translation; here they reach the engine as written.
  db.executeNative("insert into t(c902) values('[a] #1#'); insert into t(c902) values(\"b\")");
  EXPECT_EQ(Count(), 2);
  EXPECT_THROW(db.executeNative("insert into missing values(1)"), DbError);
  Statement st = Statement::Native(db, "select c902 from t order by c902");
  ASSERT_TRUE(st.step());
  EXPECT_EQ(st.text(0), "[a] #1#");
}

TEST(ConnectionFunctions, RegisteredFunctionsAnswerAndFailWithTheirText) {
  Connection memory;
  memory.openInMemory();
  memory.createFunction("halve", 1, [](const std::vector<Variant>& a) -> Variant {
    if (a.at(0).isNull()) return Variant();
    if (a[0].toDouble() == 0) throw DbError("nothing to halve");
    return Variant(a[0].toDouble() / 2);
  });
  struct Case {
    const char* sql;
    const char* result;  // null: fails with "nothing to halve"
  } cases[] = {{"select halve(5)", "2.5"}, {"select halve('8')", "4"}, {"select halve(null) is null", "1"},
               {"select halve(0)", nullptr}, {"select 1 + halve(0.0)", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    Statement st = Statement::Native(memory, c.sql);
    if (c.result) {
      ASSERT_TRUE(st.step());
      EXPECT_EQ(st.value(0).toString(), c.result);
    } else {
      try {
        st.step();
        FAIL() << "the function did not fail";
      } catch (const DbError& e) {
        EXPECT_STREQ(e.what(), "nothing to halve");
      }
    }
  }
}

TEST_F(StatementTest, TracingSeesEveryStatementAndEndsWhenCleared) {
  std::vector<std::string> seen;
  db.traceStatements([&](const std::string& sql) { seen.push_back(sql); });
  Statement::Native(db, "insert into t(z001) values(1)").run();
  db.execute("delete from t");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "insert into t(z001) values(1)");
  EXPECT_EQ(seen[1].rfind("delete", 0), 0u);
  // A reopened connection keeps tracing; a cleared trace sees nothing more.
  db.close();
  Count();
  EXPECT_EQ(seen.size(), 3u);
  db.traceStatements({});
  Count();
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(StatementTest, EveryOpenIsCountedSoCachesKnowTheirStatementsDied) {
  Count();
  const std::uint64_t first = db.openCount();
  Count();
  EXPECT_EQ(db.openCount(), first);
  db.close();
  EXPECT_FALSE(db.isOpen());
  Count();
  EXPECT_EQ(db.openCount(), first + 1);
}

TEST(JobTicker, HandsControlEveryIntervalAndWaitsWhilePaused) {
  StoppingJob job = EventsJob(-1);
  jobs::JobTicker ticker(job, 4);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(ticker.tick());
  EXPECT_EQ(job.waits, 2);  // items 4, 8 and 12; the third call paused the run twice
  EXPECT_EQ(job.calls, 5);
  StoppingJob stop = EventsJob(1);
  jobs::JobTicker once(stop, 1);
  EXPECT_FALSE(once.tick());
}

}  // namespace
}  // namespace velmora::db
