// The Jet dialect translation, statement by statement.
#include <gtest/gtest.h>

#include "core/db/translate.h"

namespace velmora::db {
namespace {

struct TranslateCase {
  const char* jet;
  const char* sqlite;
};

TEST(TranslateJetSql, RewritesOnlyWhatSQLiteReadsDifferently) {
  const TranslateCase cases[] = {
      // untouched
      {"select * from ct_label", "select * from ct_label"},
      {"update view_fieldlist set visible=false", "update view_fieldlist set visible=false"},
      {"select count(*) as cnt from DT_GroupItem where GroupID =3", "select count(*) as cnt from DT_GroupItem where GroupID =3"},
      {"select * from [dt_data] where c902 like '%工会%'", "select * from [dt_data] where c902 like '%工会%'"},
      // floating-point division
      {"select 1/2 as rt", "select 1*1.0/2 as rt"},
      {"sum(int(z022/2)) as s", "sum(int(z022*1.0/2)) as s"},
      {"select a-b/c", "select a-b*1.0/c"},
      // iif with a missing argument
      {"iif(sum(x)>0,sum(y)/sum(x),) as p", "iif(sum(x)>0,sum(y)*1.0/sum(x),NULL) as p"},
      {"iif(a, b , )", "iif(a, b ,NULL )"},
      // text concatenation
      {"select 'a' + c902 + 'b'", "select 'a' || c902 || 'b'"},
      {"select c901 + 1", "select c901 + 1"},
      {"select c902 & c907", "select c902 || c907"},
      // Jet text delimiters and apostrophes inside text
      {"select \"it's\" as t", "select 'it''s' as t"},
      {"where db_name = 'O''Brien'", "where db_name = 'O''Brien'"},
      // slashes inside text stay
      {"where c911 = '010/123'", "where c911 = '010/123'"},
      // other files
      {"insert into dt_data SELECT * from dt_data in '/tmp/a.dat' where RecordState=1",
       "insert into dt_data SELECT * from __vm_ext_0__.dt_data where RecordState=1"},
      {"SELECT * into dt_data in '/tmp/b.mdb' from dt_data where c901>=1",
       "CREATE TABLE __vm_ext_0__.dt_data AS SELECT * from dt_data where c901>=1"},
      {"SELECT * into [my table] from dt_data", "CREATE TABLE \"my table\" AS SELECT * from dt_data"},
      {"select c901 from dt_data where c907 in ('A01','B02')", "select c901 from dt_data where c907 in ('A01','B02')"},
      // into inside a subquery or an insert is not a make-table query
      {"insert into t select * from s", "insert into t select * from s"},
      {"select 5 mod 3", "select 5 % 3"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateJetSql(c.jet).sql, c.sqlite) << c.jet;
}

TEST(TranslateJetSql, NumbersFilesOncePerStatement) {
  Translation t = TranslateJetSql(
      "select a.c901 from dt_data in '/x/a.mdb' a left join (select * from dt_data in '/x/b.mdb') b on a.c901=b.c901 "
      "where a.c901 not in (select c901 from dt_data in '/x/a.mdb')");
  ASSERT_EQ(t.files.size(), 2u);
  EXPECT_EQ(t.files[0], "/x/a.mdb");
  EXPECT_EQ(t.files[1], "/x/b.mdb");
  EXPECT_EQ(t.sql.find("in '"), std::string::npos);
}

TEST(QuoteText, DoublesApostrophes) {
  EXPECT_EQ(QuoteText("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuoteText(""), "''");
  EXPECT_EQ(QuoteText("''"), "''''''");
}

TEST(SplitJetStatements, SplitsAtSemicolonsOutsideTextsNamesAndComments) {
  struct Case {
    const char* text;
    std::vector<std::string> statements;
  } cases[] = {
      {"select 1", {"select 1"}},
      {"select 1; select 2;", {"select 1", " select 2"}},
      {"update t set a='x;y'; select [a;b] from t", {"update t set a='x;y'", " select [a;b] from t"}},
      {"select 'O''Brien;'", {"select 'O''Brien;'"}},
      {"-- a; b\nselect 1", {" \nselect 1"}},
      {"select 1 -- x; y", {"select 1  "}},
      {"-- x", {}},
      {"", {}},
      {" ; ;\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitJetStatements(c.text), c.statements);
  }
}

}  // namespace
}  // namespace velmora::db
