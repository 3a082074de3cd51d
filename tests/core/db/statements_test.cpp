// The statements the program runs against its own database, through the adaptor, on a copy of the
// shipped database holding a few records. Each row is one statement as the program builds it.
#include <gtest/gtest.h>

#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/db/translate.h"
#include "support/test_paths.h"

namespace velmora::db {
namespace {

using velmora::testing::TempDir;

std::string Conn(const std::filesystem::path& f) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + f.string() + ";Mode=ReadWrite;Persist Security Info=False;"
         "Jet OLEDB:Engine Type=5";
}

class ShippedStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.copyOfShipped();
    db.setConnectionString(Conn(file));
    db.execute(
        "insert into dt_data (c901,c902,c903,c904,c905,c906,c907,c909,c910,c911,c912,z001,z002,z003,z022,h006,"
        "RecordState) values "
        "(110101000001,'北京市甲公司工会',110101,1,13,110,'A01',1,'张三','010-1234',1,1,10,4,1,1,1),"
        "(110101000002,'北京市乙公司工会',110101,2,13,110,'A01',1,'李四','010-1235',1,3,20,0,0,2,2),"
        "(110101000003,'北京市丙学校工会',110102,1,83,120,'Z00',0,'王五','010-1236',0,1,30,12,2,0,0)");
  }
  TempDir dir;
  std::filesystem::path file;
  Connection db;
};

struct StatementCase {
  const char* sql;
  long rows;             // rows returned, -1 when not checked
  const char* column;    // a column of the first row, "" when not checked
  const char* value;     // its text
};

TEST_F(ShippedStatements, QueriesReturnWhatTheirCallersRead) {
  const StatementCase cases[] = {
      {"select * from ct_label", 1, "db_name", "默认数据库"},
      {"SELECT *  from view_data order by c901 asc", 3, "c902", "北京市甲公司工会"},
      {"SELECT id,c901,c902,RecordState  from dt_data order by c901 asc", 3, "c901", "110101000001"},
      {"SELECT MAX(c901)+1 as NSI FROM dt_data", 1, "NSI", "110101000004"},
      {"SELECT count(*) as TBLNUM FROM dt_data  WHERE c901=110101000002", 1, "TBLNUM", "1"},
      {"select * from view_data where c901=110101000003", 1, "c907", "Z00"},
      {"Select CombName from CT_CityName where ID=999999", 0, "", ""},
      {"select count(*) as cnt from dt_data where RecordState<>1", 1, "cnt", "2"},
      {"select * from dt_data where c912<=2", 3, "", ""},
      {"select * from dt_data where c912<=2 and c901>=110101000002.000000 and c901<=110101000003.000000", 2, "c901",
       "110101000002"},
      {"select c901 from dt_data where c902 like '%学校%'", 1, "c901", "110101000003"},
      {"select c901 from dt_data where c902 like '%O''Brien%'", 0, "", ""},
      {"select * from dt_data where c901 in (110101000001,110101000003)", 2, "", ""},
      {"select c901,c902 from dt_data_dt_data where c901 in (select c901 from dt_data order by c901)", 0, "", ""},
      {"select * from dt_logic where page_id=3", 30, "", ""},
      {"select * from dt_logic where page_id=7", 6, "", ""},
      {"select Codeid from ct_sheetName where Codeid>0 order by Codeid asc", 7, "Codeid", "1"},
      {"select * from view_FieldList where PageID >=0 order by PageID,sequence", -1, "SheetName", "封面"},
      {"select distinct printPageID from dt_fieldlist where pageid>=0 order by printPageID", -1, "", ""},
      {"select FieldName from dt_fieldlist where FieldName like'%w00%'", 5, "", ""},
      {"select * from DT_FieldList", -1, "", ""},
      {"SELECT ID, Name,orderstr FROM ct_group;", -1, "", ""},
      {"select max(id) as GroupID from ct_group", 1, "", ""},
      {"select count(*) as cnt from DT_GroupItem where GroupID =1", 1, "", ""},
      {"select * from view_group_item order by LowValue DESC", -1, "", ""},
      {"Select * from view_datasearch where PageID=1 order by sequence", -1, "", ""},
      {"select 10<=12 as rt", 1, "rt", "1"},
      {"select code.name,sum_table.*  from CT_state code left join (select c912, count(*) as cnt from dt_data"
       " group by c912) sum_table on code.id = sum_table.c912 order by code.id desc",
       -1, "", ""},
      {"select code.name,sum_table.*  from CT_Economic code left join (select c906, count(*) as cnt from dt_data"
       " group by c906) sum_table on code.id = sum_table.c906 order by code.id desc",
       -1, "", ""},
      {"select ('(' + code.id + ')' + code.name) as name,sum_table.*  from (select * from CT_UnionDomain where Code2<>0"
       " or id='Z00') code left join (select c907, count(*) as cnt, sum(z002) as sum_z002 from dt_data group by c907)"
       " sum_table on code.id = sum_table.c907 where code.id='A01'",
       1, "sum_z002", "30"},
      {"select code.name,sum_table.*  from CT_LevelCode code left join (select c904,"
       "sum(iif(z003>0,1,0)) as count_z003,"
       "iif(sum(iif(z003>0,1,0))>0,sum(z022*(2-z022)+int(z022/2))/sum(iif(z003>0,1,0)),) as percent_z003,"
       "sum(h006*(2-h006)+int(h006/2)) as sum_h006_3 from dt_data group by c904) sum_table"
       " on code.id = sum_table.c904 where code.id=1",
       1, "percent_z003", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    Query q(db);
    q.setSql(c.sql);
    try {
      q.open();
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    if (c.rows >= 0) {
      EXPECT_EQ(q.recordCount(), c.rows);
    }
    if (*c.column) {
      ASSERT_FALSE(q.eof());
      EXPECT_EQ(q[c.column].asString(), c.value);
    }
  }
}

TEST_F(ShippedStatements, ChangesReachTheirTables) {
  struct Change {
    const char* sql;
    long changed;
    const char* check;  // a query whose single value must then be `expected`
    const char* expected;
  } cases[] = {
      {"update ct_label set db_name = '北京市总工会'", 1, "select db_name from ct_label", "北京市总工会"},
      {"update view_fieldlist set visible=false", -1, "select count(*) from dt_fieldlist where Visible", "0"},
      {"update view_fieldlist set visible=true where id=2", -1, "select count(*) from dt_fieldlist where Visible", "1"},
      {"update dt_data set c912=1 where c912=0", 1, "select count(*) from dt_data where c912=1", "3"},
      {"update dt_data set RecordState=1", 3, "select count(*) from dt_data where RecordState<>1", "0"},
      {"delete from dt_data where c901>=110101000002.000000 and c901<=110101000002.000000", 1,
       "select count(*) from dt_data", "2"},
      {"insert into dt_data_dt_data (c901,c902) select c901,c902 from dt_data", 2, "select count(*) from dt_data_dt_data",
       "2"},
      {"delete from dt_data_dt_data", 2, "select count(*) from dt_data_dt_data", "0"},
      {"delete from dt_data_2010", 0, "select count(*) from dt_data_2010", "0"},
      {"delete from dt_data", 2, "select count(*) from dt_data", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    Query q(db);
    q.setSql(c.sql);
    std::int64_t changed = q.execSql();
    if (c.changed >= 0) {
      EXPECT_EQ(changed, c.changed);
    }
    Query check(db);
    check.setSql(c.check);
    check.open();
    EXPECT_EQ(check.field(0).asString(), c.expected);
  }
}

TEST_F(ShippedStatements, RecordsTravelBetweenFilesThroughStatements) {
  // a package made from the template receives the reportable rows, and comes back in
  std::filesystem::path package = dir / "上报.dat";
  std::filesystem::copy_file(velmora::testing::PackageTemplate(), package);
  std::string quoted = QuoteText(package.string());
  db.execute("insert into dt_data SELECT * from dt_data in " + quoted + " where RecordState=1");  // empty: nothing
  Connection p(Conn(package));
  p.execute("insert into dt_data SELECT * from dt_data in " + QuoteText(file.string()) + " where RecordState=1");
  Query count(p);
  count.setSql("select count(*) from dt_data");
  count.open();
  EXPECT_EQ(count.field(0).asString(), "1");
  p.close();

  db.execute("delete from dt_data where RecordState=1");
  db.beginTrans();
  db.execute("insert into dt_data SELECT * from dt_data in " + quoted + " where RecordState=1");
  db.commitTrans();
  Query back(db);
  back.setSql("select c902 from dt_data where c901=110101000001");
  back.open();
  ASSERT_EQ(back.recordCount(), 1);
  EXPECT_EQ(back["c902"].asString(), "北京市甲公司工会");

  // the group transfer writes whole tables into another file
  std::filesystem::path backup = dir / "groups.mdb";
  CreateDatabase(Conn(backup));
  for (const char* table : {"CT_Group", "DT_GroupItem"})
    db.execute(std::string("SELECT * into ") + table + " in " + QuoteText(backup.string()) + " from " + table);
  Connection b(Conn(backup));
  EXPECT_TRUE(b.TableExists("ct_group"));
  EXPECT_TRUE(b.TableExists("dt_groupitem"));
  b.execute("drop table CT_Group");
  EXPECT_FALSE(b.TableExists("CT_Group"));
}

}  // namespace
}  // namespace velmora::db
