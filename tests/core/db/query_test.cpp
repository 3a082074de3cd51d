// The database adaptor against real database files: statements in the Jet dialect, the
// scrollable rowset and its changes, tables in index order, other files named in statements.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/db/connection.h"
#include "core/db/query.h"
#include "support/test_paths.h"

namespace velmora::db {
namespace {

using velmora::testing::TempDir;

std::string Conn(const std::filesystem::path& file) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string() + ";Persist Security Info=False";
}

// A scratch database with a small record table and a code table.
class AdaptorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir / "a.mdb";
    CreateDatabase(Conn(file));
    db.setConnectionString(Conn(file));
    db.execute("Create Table dt_data ([id] INTEGER PRIMARY KEY, c901 DOUBLE, c902 VARCHAR(60), z001 INTEGER, "
               "z002 INTEGER, z003 INTEGER, z022 INTEGER, b005 DOUBLE, RecordState INTEGER)");
    db.execute("CREATE UNIQUE INDEX dt_data_c901 ON dt_data(c901)");
    db.execute("Create Table CT_state (ID INTEGER, Name VARCHAR(20), sequence INTEGER)");
    db.execute("CREATE INDEX CT_state_sequence ON CT_state(sequence)");
    db.execute("insert into CT_state values (0,'无',9),(1,'正常填报',2),(2,'新建',1),(3,'撤销',3)");
    db.execute(
        "insert into dt_data (c901,c902,z001,z002,z003,z022,b005,RecordState) values "
        "(110101000001,'甲工会',1,10,4,1,2.5,1),(110101000002,'乙工会',1,20,0,0,0,2),"
        "(110101000003,'丙工会',3,30,12,2,100,1),(110101000004,'O''Brien',1,5,5,1,0,0)");
  }
  TempDir dir;
  std::filesystem::path file;
  Connection db;
};

std::string Scalar(Connection& db, const std::string& sql) {
  Query q(db);
  q.setSql(sql);
  q.open();
  return q.eof() ? "<none>" : q.field(0).asString();
}

TEST_F(AdaptorTest, ExpressionsGiveJetResults) {
  struct Case {
    const char* sql;
    const char* text;
  } cases[] = {
      {"select 1/2 as rt", "0.5"},
      {"select 7/2 as rt", "3.5"},
      {"select 1/3 as rt", "0.333333333333333"},
      {"select int(7/2) as rt", "3"},
      {"select int(-2.5) as rt", "-3"},
      {"select int(z022/2) as rt from dt_data where c901=110101000003", "1"},
      {"select iif(1>0,'a',) as rt", "a"},
      {"select iif(1<0,'a',) as rt", ""},
      {"select 'a' + 'b' as rt", "ab"},
      {"select 'No.' + c902 as rt from dt_data where z002=30", "No.丙工会"},
      {"select 10<=12 as rt", "1"},
      {"select 12<=10 as rt", "0"},
      {"select true as rt", "1"},
      {"select 3.0 as rt", "3"},
      {"select 2.5 as rt", "2.5"},
      {"select c901 as rt from dt_data where z002=10", "110101000001"},
      {"select count(*) as rt from dt_data where c902 like '%工会%'", "3"},
      {"select count(*) as rt from dt_data where c902 like '%o''b%'", "1"},
      {"select count(*) from (select distinct z001 from dt_data)", "2"},
      {"select sum(b005) as rt from dt_data", "102.5"},
      // the summary's share of records with a women's organisation among those with women
      {"select iif(sum(iif(z003>0,1,0))>0,sum(z022*(2-z022)+int(z022/2))/sum(iif(z003>0,1,0)),) as percent_z003 "
       "from dt_data",
       "1"},
      {"select sum(z022*(2-z022)+int(z022/2))/count(*) as rt from dt_data", "0.75"},
      {"select iif(sum(iif(z003>100,1,0))>0,1/sum(iif(z003>100,1,0)),) as p from dt_data", ""},
      {"select sum(z022*(2-z022)+int(z022/2)) as sum_h006_3 from dt_data", "3"},
      {"select sum((2-z022)*(1-z022)/2) as s from dt_data", "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Scalar(db, c.sql), c.text) << c.sql;
}

TEST_F(AdaptorTest, EngineErrorsCarryTheEngineText) {
  Query q(db);
  q.setSql("select * from no_such_table");
  try {
    q.open();
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("no_such_table"), std::string::npos);
  }
  EXPECT_THROW(db.execute("insert into dt_data (c901) values (110101000001)"), DbError);  // c901 is unique
}

TEST_F(AdaptorTest, RowsetNavigation) {
  Query q(db);
  q.setSql("SELECT * from dt_data order by c901 asc");
  q.open();
  EXPECT_EQ(q.recordCount(), 4);
  EXPECT_EQ(q.recNo(), 1);
  EXPECT_FALSE(q.bof());
  q.prior();
  EXPECT_TRUE(q.bof());
  q.last();
  EXPECT_EQ(q.recNo(), 4);
  EXPECT_EQ(q["c902"].asString(), "O'Brien");
  q.next();
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(q.recNo(), 0);
  EXPECT_TRUE(q.locate("C901", 110101000003.0));  // names ignore case, numbers compare by value
  EXPECT_EQ(q.recNo(), 3);
  EXPECT_EQ(q.fieldByName("z002").asInteger(), 30);
  EXPECT_FALSE(q.locate("c901", 1.0));
  EXPECT_THROW(q.fieldByName("nope"), DbError);
  EXPECT_EQ(q.fieldName(1), "c901");
  EXPECT_EQ(q.fieldCount(), 9);

  Query empty(db);
  empty.setSql("select * from dt_data where c901 < 0");
  empty.open();
  EXPECT_TRUE(empty.eof());
  EXPECT_TRUE(empty.bof());
  EXPECT_EQ(empty.recordCount(), 0);
  EXPECT_THROW(empty.field(0).asString(), DbError);
}

TEST_F(AdaptorTest, ValuesAsEachKind) {
  Query q(db);
  q.setSql("select c901, c902, b005, null as n, z001 from dt_data where z002=10");
  q.open();
  EXPECT_EQ(q["c901"].asFloat(), 110101000001.0);
  EXPECT_EQ(q["b005"].asString(), "2.5");
  EXPECT_EQ(q["b005"].asInteger(), 2);  // rounds half to even, as the engine's field does
  EXPECT_TRUE(q["n"].isNull());
  EXPECT_EQ(q["n"].asInteger(), 0);
  EXPECT_EQ(q["n"].asString(), "");
  EXPECT_TRUE(q["z001"].asBoolean());
}

TEST_F(AdaptorTest, NamedParameters) {
  Query q(db);
  q.setSql("select c902 from dt_data where c901=:ReocrdID");
  q.setParam("ReocrdID", 110101000002.0);
  q.open();
  ASSERT_EQ(q.recordCount(), 1);
  EXPECT_EQ(q["c902"].asString(), "乙工会");
}

TEST_F(AdaptorTest, EditAppendDeleteReachTheTable) {
  Query q(db);
  q.setSql("select id, c901, c902, z001 + z002 as total from dt_data order by c901");
  q.open();
  q.locate("c901", 110101000002.0);
  q.edit();
  q["c902"] = std::string("乙工会（改）");
  q.post();
  EXPECT_EQ(q["c902"].asString(), "乙工会（改）");
  EXPECT_EQ(Scalar(db, "select c902 from dt_data where c901=110101000002"), "乙工会（改）");

  q.append();
  q["c901"] = 110101000009.0;
  q["c902"] = std::string("新工会");
  q.post();
  EXPECT_EQ(q.recordCount(), 5);
  EXPECT_EQ(q.recNo(), 5);
  EXPECT_FALSE(q["id"].isNull());  // read back from the table
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data where c902='新工会'"), "1");

  q.locate("c901", 110101000001.0);
  q.deleteRow();
  EXPECT_EQ(q.recordCount(), 4);
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data where c901=110101000001"), "0");

  // a failed post leaves the row as it was
  q.locate("c901", 110101000003.0);
  q.edit();
  q["c901"] = 110101000004.0;
  EXPECT_THROW(q.post(), DbError);
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data where c901=110101000003"), "1");
}

TEST_F(AdaptorTest, ChangesWithoutAKeyColumnFindTheRowByItsValues) {
  Query q(db);
  q.setSql("select * from CT_state where ID=2");
  q.open();
  q.edit();
  q["Name"] = std::string("新建单位");
  q.post();
  EXPECT_EQ(Scalar(db, "select Name from CT_state where ID=2"), "新建单位");
  EXPECT_EQ(Scalar(db, "select count(*) from CT_state"), "4");
}

TEST_F(AdaptorTest, BookmarksSurviveRequeryAndFailForGoneRows) {
  Query q(db);
  q.setSql("SELECT * from dt_data order by c901 asc");
  q.open();
  q.locate("c901", 110101000003.0);
  Bookmark b = q.bookmark();
  db.execute("insert into dt_data (c901) values (110101000000)");  // a new first row shifts positions
  q.requery();
  q.gotoBookmark(b);
  EXPECT_EQ(q["c901"].asFloat(), 110101000003.0);
  EXPECT_EQ(q.recNo(), 4);
  db.execute("delete from dt_data where c901=110101000003");
  q.requery();
  EXPECT_FALSE(q.bookmarkValid(b));
  EXPECT_THROW(q.gotoBookmark(b), DbError);
}

TEST_F(AdaptorTest, ClientSideSort) {
  Query q(db);
  q.setSql("select c901, z002, c902, z001 from dt_data");
  q.open();
  q.locate("z002", 20);
  q.setSort("z002 DESC");
  EXPECT_EQ(q["z002"].asInteger(), 20);  // the current row stays current
  q.first();
  EXPECT_EQ(q["z002"].asInteger(), 30);
  q.setSort("z001 ASC, z002 DESC");
  std::vector<int> seen;
  for (q.first(); !q.eof(); q.next()) seen.push_back(q.value(static_cast<int>(q.recNo() - 1), 1).toInt());
  EXPECT_EQ(seen, (std::vector<int>{20, 10, 5, 30}));
  EXPECT_THROW(q.setSort("nope ASC"), DbError);
}

TEST_F(AdaptorTest, TableInIndexOrderWithFilter) {
  Table t(db);
  t.setTableName("CT_state");
  t.setIndexName("sequence");
  t.open();
  std::vector<int> ids;
  for (t.first(); !t.eof(); t.next()) ids.push_back(t["ID"].asInteger());
  EXPECT_EQ(ids, (std::vector<int>{2, 1, 3, 0}));

  t.setIndexName("ID");
  t.setFilter("ID<>0");
  t.setFiltered(true);
  t.open();
  ids.clear();
  for (t.first(); !t.eof(); t.next()) ids.push_back(t["ID"].asInteger());
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));

  t.setIndexName("nosuch");
  EXPECT_THROW(t.open(), DbError);
}

TEST_F(AdaptorTest, TablesAndDdl) {
  EXPECT_TRUE(db.TableExists("DT_DATA"));
  EXPECT_TRUE(db.TableExists("ct_state"));
  EXPECT_FALSE(db.TableExists("dt_none"));
  db.execute("Create Table [my table] ([编号] INTEGER, [日期] DATE, [金额] DOUBLE, [名称] VARCHAR(20))");
  db.execute("insert into [my table] values (1, '2012-01-01', 2.5, 'x')");
  EXPECT_EQ(Scalar(db, "select [金额] from [my table]"), "2.5");
  EXPECT_TRUE(db.TableExists("My Table"));
  db.execute("drop table [my table]");
  EXPECT_FALSE(db.TableExists("my table"));
}

TEST_F(AdaptorTest, OtherFilesNamedInStatements) {
  std::filesystem::path other = dir / "package's copy.dat";  // an apostrophe in the path
  CreateDatabase(Conn(other));
  // make a table in another file from rows of this one, then read them back
  db.execute("SELECT * into dt_data in '" + std::string("") + other.string().replace(other.string().find('\''), 1, "''") +
             "' from dt_data where RecordState=1");
  Connection o(Conn(other));
  EXPECT_EQ(Scalar(o, "select count(*) from dt_data"), "2");
  o.execute("update dt_data set c901=c901+100");
  o.close();

  std::string quoted = other.string();
  quoted.replace(quoted.find('\''), 1, "''");
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data in '" + quoted + "'"), "2");
  db.beginTrans();
  db.execute("insert into dt_data (c901) SELECT c901 from dt_data in '" + quoted + "' where RecordState=1");
  db.execute("delete from dt_data where z002=20");
  db.rollbackTrans();
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data"), "4");
  db.beginTrans();
  db.execute("insert into dt_data (c901,c902) SELECT c901,c902 from dt_data in '" + quoted + "' where RecordState=1");
  db.commitTrans();
  EXPECT_EQ(Scalar(db, "select count(*) from dt_data"), "6");
  // the other file is not held open after the transaction
  EXPECT_TRUE(std::filesystem::remove(other));
}

TEST(Connection, RefusesWhatIsNotADatabase) {
  TempDir dir;
  velmora::testing::WriteFileBytes(dir / "text.mdb", "这不是数据库\r\n");
  velmora::testing::WriteFileBytes(dir / "empty.mdb", "");
  for (const char* name : {"text.mdb", "missing.mdb"}) {
    Connection c(Conn(dir / name));
    EXPECT_THROW(c.open(), DbError) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.mdb"));  // never created
  EXPECT_EQ(velmora::testing::ReadFileBytes(dir / "text.mdb"), "这不是数据库\r\n");
}

TEST(Connection, DataSourceIsReadFromTheString) {
  EXPECT_EQ(Connection::DataSourceOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b\\x.mdb;Mode=ReadWrite;"
                                     "Persist Security Info=False;Jet OLEDB:Engine Type=5"),
            "C:\\a b\\x.mdb");
  EXPECT_EQ(Connection::DataSourceOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/x.mdb;"), "/tmp/x.mdb");
  EXPECT_EQ(Connection::DataSourceOf("Provider=x"), "");
  // names with ';', quotes or outer blanks travel quoted
  for (std::string name : {"/tmp/a;b.mdb", " /tmp/x.mdb ", "/tmp/say \"hi\".mdb", "/tmp/plain.mdb"}) {
    std::string cs = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Connection::QuoteValue(name) + ";Mode=ReadWrite";
    EXPECT_EQ(Connection::DataSourceOf(cs), name) << cs;
  }
  EXPECT_EQ(Connection::QuoteValue("/tmp/plain.mdb"), "/tmp/plain.mdb");
}

TEST(CompactDatabase, WritesACompactedCopy) {
  TempDir dir;
  CreateDatabase(Conn(dir / "big.mdb"));
  {
    Connection c(Conn(dir / "big.mdb"));
    c.execute("create table t (x TEXT)");
    c.beginTrans();
    for (int i = 0; i < 2000; ++i) c.execute("insert into t values ('" + std::string(200, 'x') + "')");
    c.commitTrans();
    c.execute("delete from t where rowid > 10");
  }
  CompactDatabase(Conn(dir / "big.mdb"), Conn(dir / "small.mdb"));
  EXPECT_LT(std::filesystem::file_size(dir / "small.mdb"), std::filesystem::file_size(dir / "big.mdb") / 4);
  Connection s(Conn(dir / "small.mdb"));
  EXPECT_EQ(Scalar(s, "select count(*) from t"), "10");
  EXPECT_THROW(CompactDatabase(Conn(dir / "big.mdb"), Conn(dir / "small.mdb")), DbError);  // never overwrites
}

}  // namespace
}  // namespace velmora::db
