// Invariants of the shipped database 2012Velmora.mdb and the package template view.dll: the tables
// and views the program reads, the field catalogue's exchange order, the rule table, the code tables
// and the updatable views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/db/error.h"
#include "support/database.h"
#include "support/test_paths.h"

namespace {

namespace db = velmora::db;

using velmora::testing::PackageTemplate;
using velmora::testing::ShippedDatabase;
using velmora::testing::TempDir;
using Rows = std::vector<std::vector<std::string>>;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// A plain connection to one database file.
class Db {
 public:
  explicit Db(const std::filesystem::path& file, bool writable = false)
      : connection_(velmora::testing::ConnectionTo(file, !writable)) {
    connection_.open();
  }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // Runs statements; returns the engine's message, empty on success.
  std::string exec(const std::string& sql) {
    try {
      connection_.executeNative(sql);
      return {};
    } catch (const db::DbError& e) {
      return e.what();
    }
  }
  // Prepares one statement; returns the engine's message, empty when it prepares.
  std::string prepareError(const std::string& sql) {
    try {
      db::Statement::Native(connection_, sql);
      return {};
    } catch (const db::DbError& e) {
      return e.what();
    }
  }
  // Every row of a query as text (NULL as "<null>").
  Rows rows(const std::string& sql) {
    try {
      db::Statement st = db::Statement::Native(connection_, sql);
      Rows out;
      while (st.step()) {
        std::vector<std::string> row;
        for (int i = 0; i < st.columnCount(); ++i) row.push_back(st.isNull(i) ? std::string("<null>") : st.text(i));
        out.push_back(std::move(row));
      }
      return out;
    } catch (const db::DbError& e) {
      throw std::runtime_error(sql + ": " + e.what());
    }
  }
  std::string scalar(const std::string& sql) {
    Rows r = rows(sql);
    return r.empty() || r[0].empty() ? std::string("<none>") : r[0][0];
  }
  std::vector<std::string> column(const std::string& sql) {
    std::vector<std::string> out;
    for (auto& r : rows(sql)) out.push_back(r.at(0));
    return out;
  }
  // Column names of a table or view, in order.
  std::vector<std::string> columns(const std::string& table) {
    return column("SELECT name FROM pragma_table_info('" + table + "')");
  }

 private:
  db::Connection connection_;
};

std::vector<std::string> Family(char letter, int count) {
  std::vector<std::string> out;
  for (int i = 1; i <= count; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%03d", letter, i);
    out.emplace_back(buf);
  }
  return out;
}

// The 142 indicators in page order.
std::vector<std::string> Indicators() {
  std::vector<std::string> out;
  for (auto [letter, count] : std::vector<std::pair<char, int>>{
           {'z', 24}, {'b', 29}, {'h', 22}, {'l', 10}, {'f', 26}, {'j', 23}, {'w', 4}, {'s', 4}}) {
    auto f = Family(letter, count);
    out.insert(out.end(), f.begin(), f.end());
  }
  return out;
}

// Replaces every field name of a rule expression by its value (0 when not given), as the entry
// form does before the engine evaluates the expression.
std::string Substitute(const std::string& expression, const std::map<std::string, long long>& values) {
  static const std::regex name("[A-Za-z][A-Za-z0-9]*");
  std::string out;
  auto begin = std::sregex_iterator(expression.begin(), expression.end(), name);
  std::size_t last = 0;
  for (auto it = begin; it != std::sregex_iterator(); ++it) {
    out += expression.substr(last, static_cast<std::size_t>(it->position()) - last);
    const std::string word = it->str();
    const std::string lw = Lower(word);
    if (lw == "and" || lw == "or" || lw == "not") {
      out += word;
    } else {
      auto v = values.find(lw);
      out += std::to_string(v == values.end() ? 0 : v->second);
    }
    last = static_cast<std::size_t>(it->position() + it->length());
  }
  return out + expression.substr(last);
}

TEST(ShippedDatabase, HoldsEveryTableAndViewWithTheColumnsTheProgramReads) {
  Db db(ShippedDatabase());
  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"dt_data", {"id", "c900", "c901", "c902", "c903", "c904", "c905", "c906", "c907", "c909", "c910", "c911",
                   "c912", "w005", "RecordState"}},
      {"view_data", {"id", "c900", "c901", "c902", "c912", "w005", "RecordState"}},
      {"dt_dataelse", {"c901"}},
      {"dt_data_dt_data", {"c900", "c901", "c902", "RecordState"}},
      {"dt_data_2010", {"c901", "c902", "c903", "c904", "c905", "c906", "c907", "c909", "c910", "c911", "f001",
                        "f023", "j017", "w005", "s001", "s002"}},
      {"dt_data_dt_data_2010", {"c901", "f023", "j017", "s002"}},
      {"ct_label", {"db_name"}},
      {"dt_fieldlist", {"ID", "FieldName", "ShowName", "Hint", "FieldWidth", "Visible", "FieldType", "QueryShow",
                        "QueryType", "sequence", "PageID", "printPageID", "printplace"}},
      {"dt_fieldlist_quan", {"ID", "FieldName", "ShowName", "Hint", "FieldWidth", "Visible", "FieldType",
                             "QueryShow", "QueryType", "sequence", "PageID", "printPageID", "printplace"}},
      {"view_FieldList", {"id", "FieldName", "Hint", "visible", "PageID", "sequence", "SheetName"}},
      {"dt_logic", {"page_id", "expression", "rule", "explain", "focus"}},
      {"CT_LevelCode", {"ID", "Name"}},
      {"CT_Industry", {"ID", "Name"}},
      {"CT_Economic", {"ID", "Name"}},
      {"CT_HoldSituation", {"ID", "Name"}},
      {"CT_HoldSituation1", {"ID", "Name"}},
      {"CT_state", {"ID", "Name"}},
      {"CT_CityName", {"ID", "Code1", "Code2", "Code3", "Name", "CombName"}},
      {"CT_UnionDomain", {"ID", "Code1", "Code2", "Name", "CombName"}},
      {"ct_sheetName", {"CodeID", "CodeName"}},
      {"view_datasearch", {"PageID", "sequence", "CodeName"}},
      {"ct_group", {"ID", "Name", "orderstr", "AutoLowest", "AutoHighest", "GroupList"}},
      {"DT_GroupItem", {"id", "Title", "GroupID", "LowBoundary", "HighBoundary", "LowSymbol", "HighSymbol"}},
      {"view_group_item", {"id", "Title", "GroupID", "LowBoundary", "HighBoundary", "LowSymbol", "HighSymbol",
                           "LowValue", "HighValue"}},
  };
  for (const auto& [table, wanted] : expected) {
    std::set<std::string> have;
    for (const auto& c : db.columns(table)) have.insert(Lower(c));
    EXPECT_FALSE(have.empty()) << table << " is missing";
    for (const auto& c : wanted) EXPECT_TRUE(have.count(Lower(c))) << table << " lacks " << c;
  }

  // dt_data holds every indicator, and view_data offers every column of dt_data.
  const auto dataColumns = db.columns("dt_data");
  for (const auto& f : Indicators())
    EXPECT_NE(std::find(dataColumns.begin(), dataColumns.end(), f), dataColumns.end()) << f;
  EXPECT_EQ(db.columns("view_data"), dataColumns);
  EXPECT_EQ(dataColumns.size(), 2u + 11u + 142u + 2u);

  EXPECT_EQ(db.rows("SELECT db_name FROM ct_label"), (Rows{{"默认数据库"}}));
}

TEST(ShippedDatabase, StatementsOfTheProgramPrepare) {
  Db db(ShippedDatabase());
  const std::vector<std::string> statements = {
      "SELECT *  from view_data order by c901 asc",
      "SELECT id,c901,c902,RecordState  from dt_data order by c901 asc",
      "select * from view_FieldList where PageID >=0 order by PageID,sequence",
      "update view_fieldlist set visible=false",
      "select distinct printPageID from dt_fieldlist where pageid>=0 order by printPageID",
      "select Codeid from ct_sheetName where Codeid>0 order by Codeid asc",
      "Select * from view_datasearch where PageID=0 order by sequence",
      "select * from dt_logic where page_id=3",
      "SELECT ID, Name,orderstr FROM ct_group;",
      "select max(id) as GroupID from ct_group",
      "update CT_Group set orderstr='LowValue DESC' where id=1",
      "select * from view_group_item where groupid=1 order by LowValue asc",
      "select count(*) as cnt from DT_GroupItem where GroupID =1",
      "select code.name,sum_table.*  from CT_Industry code left join (select c905,count(*) as cnt from dt_data "
      "group by c905) sum_table on code.id = sum_table.c905 order by code.id desc",
      "select ('(' || code.id || ')' || code.name) as name,sum_table.*  from (select * from CT_UnionDomain where "
      "Code2<>0 or id='Z00') code left join (select c907,count(*) as cnt from dt_data group by c907) sum_table "
      "on code.id = sum_table.c907 order by code.id desc",
      "select * from CT_CityName where Code1=11 and Code2<>0 and Code3=0 order by Code2",
      "Select * from CT_UnionDomain where Code1='A' and Code2<>0 order by Code2",
      "delete from dt_data_dt_data where c901 not in (select c901 from dt_data)",
      "select c901,c902 from dt_data_dt_data where c901 in (select c901 from dt_data order by c901)",
      "insert into dt_data select * from dt_data_dt_data",
      "select * from dt_data where c912<=2 and c901>=1.00 and c901<=2.00",
      "update dt_data set c912=1 where c912=0",
      "delete from dt_dataelse where c901>=1.00 and c901<=2.00",
  };
  for (const auto& sql : statements) EXPECT_EQ(db.prepareError(sql), "") << sql;
}

TEST(ShippedDatabase, ExchangeSelectionHas155ColumnsWithTextAtTheImportPositions) {
  Db db(ShippedDatabase());
  const Rows rows =
      db.rows("select fieldName,QueryType from dt_fieldlist where sequence>0 and sequence<1000 order by sequence");
  std::vector<std::string> expected = {"c901", "c902", "c903", "c904", "c905", "c906",
                                       "c907", "c909", "c912", "c910", "c911"};
  for (const auto& f : Indicators()) expected.push_back(f);
  expected.push_back("w005");
  expected.push_back("RecordState");
  ASSERT_EQ(rows.size(), 155u);
  std::vector<std::size_t> textPositions;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], expected[i]) << "position " << i;
    if (rows[i][1] == "1") textPositions.push_back(i);
  }
  EXPECT_EQ(textPositions, (std::vector<std::size_t>{1, 6, 9, 10}));

  // The exchange file's header becomes the column list of an insert into the staging table.
  std::string header;
  for (const auto& r : rows) header += r[0] + ",";
  header.pop_back();
  EXPECT_EQ(db.prepareError("insert into dt_data_dt_data(" + header + ",c900) select " + header + ",c900 from dt_data"),
            "");
}

TEST(ShippedDatabase, CatalogueDescribesEveryRecordColumnOnce) {
  Db db(ShippedDatabase());
  const auto dataColumns = db.columns("dt_data");
  const Rows rows = db.rows(
      "SELECT ID, FieldName, ShowName, Hint, QueryType, PageID, printPageID, printplace FROM dt_fieldlist ORDER BY ID");
  std::multiset<std::string> named;
  std::set<std::string> hints;
  std::set<std::pair<std::string, std::string>> cells;
  const std::regex cell("[A-Z]{1,2}[1-9][0-9]*");
  for (const auto& r : rows) {
    const std::string& field = r[1];
    named.insert(field);
    EXPECT_EQ(r[2], field) << "ShowName of " << field;
    EXPECT_FALSE(r[3].empty()) << "Hint of " << field;
    EXPECT_TRUE(hints.insert(r[3]).second) << "Hint of " << field << " is not unique: " << r[3];
    const int qt = std::stoi(r[4]);
    EXPECT_TRUE(qt >= 0 && qt <= 3) << field;
    if (std::stoi(r[5]) >= 0) {
      const int sheet = std::stoi(r[6]);
      EXPECT_TRUE(sheet >= 1 && sheet <= 8) << "print sheet of " << field;
      EXPECT_TRUE(std::regex_match(r[7], cell)) << "print cell of " << field << ": " << r[7];
      EXPECT_TRUE(cells.insert({r[6], r[7]}).second) << "print cell of " << field << " is taken";
    }
  }
  for (const auto& c : dataColumns) EXPECT_EQ(named.count(c), 1u) << c;
  EXPECT_EQ(named.size(), dataColumns.size());

  // The entry form special-cases the rows with ids 190-192 (at most 5) and keeps its own limits for
  // the cover's numeric fields, which therefore need ids up to 8 (c901, a decimal, up to 7).
  EXPECT_EQ(db.rows("SELECT ID, FieldName FROM dt_fieldlist WHERE ID BETWEEN 190 AND 192 ORDER BY ID"),
            (Rows{{"190", "w001"}, {"191", "w002"}, {"192", "w003"}}));
  EXPECT_EQ(db.scalar("SELECT max(ID) FROM dt_fieldlist WHERE FieldName IN "
                      "('c903','c904','c905','c906','c909','c912')"),
            "8");
  EXPECT_EQ(db.scalar("SELECT ID <= 7 FROM dt_fieldlist WHERE FieldName='c901'"), "1");
  EXPECT_EQ(db.scalar("SELECT min(ID) FROM dt_fieldlist WHERE PageID BETWEEN 1 AND 7"), "10");

  // Amount fields are decimals, every page exists in the page table.
  EXPECT_EQ(db.column("SELECT FieldName FROM dt_fieldlist WHERE QueryType=2 ORDER BY FieldName"),
            (std::vector<std::string>{"b005", "b006", "b011", "b025", "b029", "c901", "j011"}));
  EXPECT_EQ(db.scalar("SELECT count(*) FROM dt_fieldlist WHERE PageID>=0 AND PageID NOT IN (SELECT CodeID FROM "
                      "ct_sheetName)"),
            "0");
  EXPECT_EQ(db.scalar("SELECT SheetName FROM ct_sheetName WHERE CodeID=7"), "表7&&表8");
}

TEST(ShippedDatabase, CatalogueTablesHaveTheirSequenceIndex) {
  Db db(ShippedDatabase());
  for (const std::string table : {"dt_fieldlist", "dt_fieldlist_quan"}) {
    bool found = false;
    for (const auto& name : db.column("SELECT name FROM pragma_index_list('" + table + "')")) {
      const std::string ln = Lower(name);
      if (ln.size() > 9 && ln.compare(ln.size() - 9, 9, "_sequence") == 0) {
        found = true;
        EXPECT_EQ(db.scalar("SELECT name FROM pragma_index_info('" + name + "') WHERE seqno=0"), "sequence");
      }
    }
    EXPECT_TRUE(found) << table;
  }
  EXPECT_EQ(db.scalar("SELECT count(*) FROM (SELECT * FROM dt_fieldlist EXCEPT SELECT * FROM dt_fieldlist_quan)"), "0");
}

struct RulePlace {
  int page;
  const char* focus;
};

TEST(ShippedDatabase, RuleTableCarriesTheBuiltInRulesInOrder) {
  const std::vector<RulePlace> expected = {
      {1, "z001"}, {1, "z002"}, {1, "z003"}, {1, "z004"}, {1, "z005"},
      {1, "z006"}, {1, "z007"}, {1, "z008"}, {1, "z009"}, {1, "z010"},
      {1, "z011"}, {1, "z012"}, {1, "z015"}, {1, "z023"}, {1, "z022"},
      {1, "z020"}, {1, "z021"}, {1, "z023"}, {1, "z023"}, {1, "z006"},
      {1, "z002"}, {1, "z002"}, {1, "z004"}, {1, "z007"}, {1, "z008"},
      {1, "z009"}, {1, "z001"}, {1, "z022"}, {1, "z023"}, {1, "z023"},
      {2, "b002"}, {2, "b005"}, {2, "b005"}, {2, "b006"}, {2, "b006"},
      {2, "b014"}, {2, "b009"}, {2, "b009"}, {2, "b011"}, {2, "b013"},
      {2, "b015"}, {2, "b016"}, {2, "b017"}, {2, "b019"}, {2, "b018"},
      {2, "b020"}, {2, "b024"}, {2, "b021"}, {2, "b022"}, {2, "b023"},
      {2, "b025"}, {2, "b025"}, {2, "b007"}, {2, "b008"}, {2, "b006"},
      {3, "h006"}, {3, "h014"}, {3, "h005"}, {3, "h015"}, {3, "h020"},
      {3, "h021"}, {3, "h001"}, {3, "h002"}, {3, "h006"}, {3, "h008"},
      {3, "h008"}, {3, "h009"}, {3, "h011"}, {3, "h011"}, {3, "h016"},
      {3, "h013"}, {3, "h014"}, {3, "h017"}, {3, "h018"}, {3, "h022"},
      {3, "h019"}, {3, "h021"}, {3, "h003"}, {3, "h015"}, {3, "h020"},
      {3, "h021"}, {3, "h012"}, {3, "h013"}, {3, "h018"}, {3, "h019"},
      {4, "l002"}, {4, "l003"}, {4, "l005"}, {5, "f004"}, {5, "f004"},
      {5, "f005"}, {5, "f006"}, {5, "f007"}, {5, "f006"}, {5, "f010"},
      {5, "f010"}, {5, "f012"}, {5, "f014"}, {5, "f013"}, {5, "f025"},
      {5, "f026"}, {5, "f026"}, {5, "f002"}, {5, "f026"}, {6, "j001"},
      {6, "j001"}, {6, "j008"}, {6, "j008"}, {6, "j010"}, {6, "j023"},
      {6, "j023"}, {6, "j011"}, {6, "j011"}, {6, "j016"}, {6, "j018"},
      {6, "j018"}, {6, "j018"}, {6, "j019"}, {6, "j021"}, {7, "s003"},
      {7, "s002"}, {7, "w001"}, {7, "w002"}, {7, "w003"}, {7, "s001"},
  };
  Db db(ShippedDatabase());
  // A page's rows are read without an ordering clause: the engine's order must be the rule order.
  std::vector<std::string> engineOrder;
  for (int page = 1; page <= 7; ++page) {
    auto ids = db.column("select id from dt_logic where page_id=" + std::to_string(page));
    engineOrder.insert(engineOrder.end(), ids.begin(), ids.end());
  }
  const Rows rows = db.rows(
      "SELECT l.id, l.page_id, l.focus, f.PageID FROM dt_logic l LEFT JOIN dt_fieldlist f ON f.FieldName = l.focus "
      "ORDER BY l.id");
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(engineOrder[i], std::to_string(i + 1));
    EXPECT_EQ(rows[i][1], std::to_string(expected[i].page)) << "rule " << i + 1;
    EXPECT_EQ(rows[i][2], expected[i].focus) << "rule " << i + 1;
    EXPECT_EQ(rows[i][3], rows[i][1]) << "the focus of rule " << i + 1 << " is not on its page";
  }
  // The texts are kept character for character, quotes and doubled spaces included.
  EXPECT_EQ(db.scalar("SELECT explain FROM dt_logic WHERE id=1"), "如果c904不是\"单独基层工会\"，那么z001[>]1");
  EXPECT_EQ(db.scalar("SELECT rule FROM dt_logic WHERE id=89"),
            "(f003 = 1 and f004 > 0 and f004 <= z006) or (f003 <> 1 and  f004=0)");
  EXPECT_EQ(db.scalar("SELECT explain FROM dt_logic WHERE id=21"), "男性会员数应[<]男性职工数");
}

TEST(ShippedDatabase, RuleExpressionsAndExplanationsNameOnlyRecordFields) {
  Db db(ShippedDatabase());
  std::set<std::string> columns;
  for (const auto& c : db.columns("dt_data")) columns.insert(Lower(c));
  std::set<std::string> catalogue;
  for (const auto& c : db.column("SELECT FieldName FROM dt_fieldlist")) catalogue.insert(c);
  const std::regex language("[A-Za-z0-9 ()+*/<=>-]+");
  const std::regex word("[A-Za-z][A-Za-z0-9]*");
  for (const auto& r : db.rows("SELECT id, expression, explain FROM dt_logic ORDER BY id")) {
    const std::string& expr = r[1];
    EXPECT_TRUE(std::regex_match(expr, language)) << "rule " << r[0] << ": " << expr;
    for (auto it = std::sregex_iterator(expr.begin(), expr.end(), word); it != std::sregex_iterator(); ++it) {
      const std::string w = Lower(it->str());
      if (w == "and" || w == "or" || w == "not") continue;
      EXPECT_TRUE(columns.count(w)) << "rule " << r[0] << " names " << w;
    }
    EXPECT_EQ(db.prepareError("SELECT count(*) FROM dt_data WHERE " + expr), "") << "rule " << r[0];
    // Every field name in an explanation is explained from the catalogue.
    const std::string& text = r[2];
    for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it)
      EXPECT_TRUE(catalogue.count(it->str())) << "rule " << r[0] << " explains " << it->str();
  }
}

struct RuleCase {
  const char* name;
  std::map<std::string, long long> values;
  std::set<int> fires;      // with `exact`, exactly these rules fire
  std::set<int> stays;      // rules that must not fire
  bool exact;
};

std::map<std::string, long long> CleanRecord() {
  return {{"c904", 1}, {"z001", 1}, {"z002", 100}, {"z003", 40}, {"z004", 20}, {"z005", 10}, {"z006", 90},
          {"z007", 35}, {"z008", 15}, {"z009", 8},  {"z010", 3},  {"z011", 1},  {"z012", 1},  {"z013", 1},
          {"z014", 1},  {"z016", 1},  {"z017", 1},  {"z018", 1},  {"z020", 5},  {"z021", 2},  {"z022", 1},
          {"z023", 1},  {"z024", 1}};
}

TEST(ShippedDatabase, RuleExpressionsFireWhereTheBuiltInRulesFail) {
  const std::vector<RuleCase> cases = {
      {"all zero", {}, {2, 6, 16, 54, 87, 105, 117, 118, 119}, {}, true},
      {"consistent record", CleanRecord(), {}, {}, true},
      {"single union covering one unit", {{"c904", 1}, {"z001", 1}}, {}, {1, 27}, false},
      {"single union covering three units", {{"c904", 1}, {"z001", 3}}, {27}, {1}, false},
      {"joint union covering one unit", {{"c904", 2}, {"z001", 1}}, {1}, {27}, false},
      {"no organisation type", {{"c904", 0}}, {}, {1, 27}, false},
      {"all employees members, breakdowns differ",
       {{"z002", 10}, {"z006", 10}, {"z003", 4}, {"z007", 3}, {"z004", 4}, {"z008", 2}},
       {24, 25},
       {26},
       false},
      {"more migrants in arrears than employees", {{"b003", 3}, {"b004", 5}, {"b005", 9}, {"b006", 1}}, {34}, {}, false},
      {"male members equal male employees", {{"z002", 10}, {"z003", 5}, {"z006", 8}, {"z007", 3}}, {}, {21}, false},
      {"skill leaders chosen without any", {{"j017", 1}}, {115}, {116}, false},
      {"five culture palaces", {{"w001", 5}}, {}, {122}, false},
      {"six culture palaces", {{"w001", 6}}, {122}, {}, false},
      {"dispute causes do not add up", {{"f013", 3}, {"f015", 1}, {"f024", 1}}, {99}, {}, false},
  };
  TempDir dir;
  Db db(dir.copyOfShipped(), true);
  const Rows rules = db.rows("SELECT id, expression FROM dt_logic ORDER BY id");
  const auto columns = db.columns("dt_data");
  double code = 100000000001;
  for (const auto& c : cases) {
    // The same record evaluated as the entry form does (values substituted) and over a stored row.
    std::string names = "c901", values = std::to_string(static_cast<long long>(code));
    for (const auto& [field, value] : c.values) {
      names += "," + field;
      values += "," + std::to_string(value);
    }
    ASSERT_EQ(db.exec("INSERT INTO dt_data(" + names + ") VALUES(" + values + ")"), "") << c.name;
    std::set<int> fired;
    for (const auto& r : rules) {
      const bool onForm = db.scalar("SELECT " + Substitute(r[1], c.values) + " AS rt") == "1";
      const bool stored = db.scalar("SELECT count(*) FROM dt_data WHERE c901=" +
                                    std::to_string(static_cast<long long>(code)) + " AND (" + r[1] + ")") == "1";
      EXPECT_EQ(onForm, stored) << c.name << ", rule " << r[0];
      if (onForm) fired.insert(std::stoi(r[0]));
    }
    if (c.exact) {
      EXPECT_EQ(fired, c.fires) << c.name;
    }
    for (int rule : c.fires) EXPECT_TRUE(fired.count(rule)) << c.name << ": rule " << rule << " does not fire";
    for (int rule : c.stays) EXPECT_FALSE(fired.count(rule)) << c.name << ": rule " << rule << " fires";
    code += 1;
  }
}

TEST(ShippedDatabase, CodeTablesHoldTheCodesTheEntryFormNames) {
  Db db(ShippedDatabase());
  // Every unit category the enabling and holding-situation rules and the cover check name.
  for (int code : {110, 120, 130, 140, 151, 159, 161, 169, 170, 190, 200, 300, 401, 402, 500, 600, 701, 702, 703, 704})
    EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_Economic WHERE ID=" + std::to_string(code)), "1") << code;
  EXPECT_EQ(db.scalar("SELECT Name FROM CT_LevelCode WHERE ID=1"), "单独基层工会");
  EXPECT_EQ(db.column("SELECT ID FROM CT_HoldSituation WHERE ID<>0 ORDER BY ID"),
            (std::vector<std::string>{"1", "2", "3"}));
  // Category 169 cannot be state-held: its table has no code 1.
  EXPECT_EQ(db.column("SELECT ID FROM CT_HoldSituation1 WHERE ID<>0 ORDER BY ID"),
            (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_state WHERE ID IN (1,2)"), "2");
  EXPECT_NE(db.scalar("SELECT count(*) FROM CT_state WHERE ID>=3"), "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_state WHERE ID<1"), "0");
  EXPECT_EQ(db.rows("SELECT count(*), min(ID), max(ID) FROM CT_Industry"), (Rows{{"96", "1", "96"}}));
  for (const std::string table : {"CT_LevelCode", "CT_Industry", "CT_Economic", "CT_state", "CT_CityName", "CT_UnionDomain"})
    EXPECT_EQ(db.scalar("SELECT count(*) FROM " + table + " WHERE trim(Name)=''"), "0") << table;
}

TEST(ShippedDatabase, AdministrativeDivisionsFormAThreeLevelTree) {
  Db db(ShippedDatabase());
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName WHERE ID <> Code1*10000 + Code2*100 + Code3"), "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName WHERE ID < 100000 OR ID > 999999"), "0");
  // Every prefecture has its province, every county its prefecture, and the full name extends the
  // parent's by the row's own name.
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName c WHERE Code2<>0 AND Code3=0 AND NOT EXISTS (SELECT 1 FROM CT_CityName p "
                      "WHERE p.ID = c.Code1*10000 AND c.CombName = p.CombName || c.Name)"),
            "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName c WHERE Code3<>0 AND NOT EXISTS (SELECT 1 FROM CT_CityName p "
                      "WHERE p.ID = c.Code1*10000 + c.Code2*100 AND c.CombName = p.CombName || c.Name)"),
            "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName WHERE Code2=0 AND (Code3<>0 OR CombName<>Name)"), "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName WHERE Code2=0"), "31");
  // Every province has prefectures to choose from.
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_CityName p WHERE Code2=0 AND NOT EXISTS (SELECT 1 FROM CT_CityName c "
                      "WHERE c.Code1=p.Code1 AND c.Code2<>0 AND c.Code3=0)"),
            "0");
  EXPECT_EQ(db.scalar("SELECT CombName FROM CT_CityName WHERE ID=110100"), "北京市市辖区");
  EXPECT_EQ(db.scalar("SELECT CombName FROM CT_CityName WHERE ID=110101"), "北京市市辖区东城区");
}

TEST(ShippedDatabase, UnionDomainFormsATwoLevelTree) {
  Db db(ShippedDatabase());
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_UnionDomain WHERE ID <> Code1 || printf('%02d', Code2) "
                      "OR length(ID)<>3 OR Code1 NOT GLOB '[A-Z]'"),
            "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_UnionDomain c WHERE Code2<>0 AND NOT EXISTS "
                      "(SELECT 1 FROM CT_UnionDomain s WHERE s.Code1=c.Code1 AND s.Code2=0)"),
            "0");
  EXPECT_EQ(db.rows("SELECT Code1, Code2 FROM CT_UnionDomain WHERE ID='Z00'"), (Rows{{"Z", "0"}}));
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_UnionDomain WHERE Code1='Z' AND Code2<>0"), "0");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM CT_UnionDomain WHERE ID='A01'"), "1");
}

TEST(ShippedDatabase, StatisticalCodeIsUniqueInDatabaseAndPackage) {
  TempDir dir;
  std::filesystem::copy_file(PackageTemplate(), dir / "package.dat");
  for (const auto& file : {dir.copyOfShipped(), dir / "package.dat"}) {
    Db db(file, true);
    ASSERT_EQ(db.exec("INSERT INTO dt_data(c901, c902) VALUES(110100000001, 'A')"), "") << file;
    EXPECT_NE(db.exec("INSERT INTO dt_data(c901, c902) VALUES(110100000001, 'B')"), "") << file;
    EXPECT_EQ(db.rows("SELECT c902 FROM dt_data"), (Rows{{"A"}})) << file;
  }
}

TEST(ShippedDatabase, PackageImportCopiesRowsWhoseNumbersAreTakenAlready) {
  TempDir dir;
  const auto working = dir.copyOfShipped();
  const auto package = dir / "package.dat";
  std::filesystem::copy_file(PackageTemplate(), package);
  {
    Db pkg(package, true);
    ASSERT_EQ(pkg.exec("INSERT INTO dt_data(c901, c902, RecordState) VALUES(120000000001, 'P1', 1),"
                       "(120000000002, 'P2', 1)"),
              "");
  }
  Db db(working, true);
  ASSERT_EQ(db.exec("INSERT INTO dt_data(c901, c902) VALUES(110000000001, 'W1'), (110000000002, 'W2')"), "");
  ASSERT_EQ(db.exec("ATTACH '" + package.string() + "' AS pkg"), "");
  // Row numbers 1 and 2 exist on both sides; the copy must go in all the same.
  EXPECT_EQ(db.exec("insert into dt_data select * from pkg.dt_data"), "");
  EXPECT_EQ(db.rows("SELECT count(*), count(DISTINCT id), count(id) FROM dt_data"), (Rows{{"4", "4", "4"}}));
  // A second copy conflicts on c901 only; the conflict search stages and keeps exactly those rows.
  EXPECT_NE(db.exec("insert into dt_data select * from pkg.dt_data"), "");
  EXPECT_EQ(db.exec("delete from dt_data_dt_data; insert into dt_data_dt_data select * from pkg.dt_data;"
                    "delete from dt_data_dt_data where c901 not in (select c901 from dt_data)"),
            "");
  EXPECT_EQ(db.rows("select c901,c902 from dt_data_dt_data order by c901"),
            (Rows{{"120000000001.0", "P1"}, {"120000000002.0", "P2"}}));
}

TEST(ShippedDatabase, PackageTemplateHasTheRecordLayout) {
  Db db(ShippedDatabase());
  Db pkg(PackageTemplate());
  const std::string info = "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info('";
  const Rows layout = db.rows(info + "dt_data')");
  EXPECT_EQ(pkg.rows(info + "dt_data')"), layout);
  // The staging table has the same columns in the same order.
  EXPECT_EQ(db.rows("SELECT name, type FROM pragma_table_info('dt_data_dt_data')"),
            db.rows("SELECT name, type FROM pragma_table_info('dt_data')"));
  EXPECT_EQ(pkg.scalar("SELECT count(*) FROM dt_data"), "0");
  EXPECT_EQ(pkg.scalar("SELECT count(*) FROM ct_label"), "1");
  EXPECT_EQ(db.scalar("SELECT count(*) FROM dt_data"), "0");
}

TEST(ShippedDatabase, FieldChooserViewSetsVisibleOfTheCatalogue) {
  TempDir dir;
  Db db(dir.copyOfShipped(), true);
  ASSERT_EQ(db.exec("update view_fieldlist set visible=false"), "");
  ASSERT_EQ(db.exec("update view_fieldlist set visible=true where id=3"), "");
  ASSERT_EQ(db.exec("update view_fieldlist set visible=true where id=190"), "");
  EXPECT_EQ(db.column("SELECT FieldName FROM dt_fieldlist WHERE Visible ORDER BY ID"),
            (std::vector<std::string>{"c903", "w001"}));
  EXPECT_EQ(db.rows("SELECT visible, SheetName FROM view_fieldlist WHERE id=190"), (Rows{{"1", "表7&&表8"}}));
}

TEST(ShippedDatabase, GroupItemViewWritesThroughToTheItemTable) {
  TempDir dir;
  Db db(dir.copyOfShipped(), true);
  ASSERT_EQ(db.exec("INSERT INTO ct_group(name, orderstr) VALUES('地区', 'id ASC')"), "");
  ASSERT_EQ(db.exec("INSERT INTO view_group_item(Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
                    "VALUES('北京', 1, 110000000000, 120000000000, '>=', '<'),"
                    "('天津', 1, 120000000000.0, 130000000000, '>=', '<=')"),
            "");
  EXPECT_EQ(db.rows("SELECT Title, LowValue, HighValue FROM view_group_item WHERE groupid=1 ORDER BY id"),
            (Rows{{"北京", ">=110000000000", "<120000000000"}, {"天津", ">=120000000000", "<=130000000000"}}));
  // The item condition selects by c901.
  ASSERT_EQ(db.exec("INSERT INTO dt_data(c901) VALUES(120000000000)"), "");
  const Rows items = db.rows("SELECT LowValue, HighValue FROM view_group_item ORDER BY id");
  EXPECT_EQ(db.scalar("select count(*) from dt_data where c901" + items[0][0] + " and c901" + items[0][1]), "0");
  EXPECT_EQ(db.scalar("select count(*) from dt_data where c901" + items[1][0] + " and c901" + items[1][1]), "1");

  ASSERT_EQ(db.exec("UPDATE view_group_item SET Title='北京市', HighSymbol='<=' WHERE Title='北京'"), "");
  EXPECT_EQ(db.rows("SELECT Title, HighSymbol FROM DT_GroupItem WHERE id=1"), (Rows{{"北京市", "<="}}));
  ASSERT_EQ(db.exec("DELETE FROM view_group_item WHERE id=1"), "");
  EXPECT_EQ(db.column("SELECT Title FROM DT_GroupItem"), (std::vector<std::string>{"天津"}));
  EXPECT_EQ(db.scalar("SELECT orderstr FROM CT_Group WHERE id=1"), "id ASC");
}

TEST(ShippedDatabase, PreviousYearRecordsMigrateIntoTheRecordTable) {
  TempDir dir;
  Db db(dir.copyOfShipped(), true);
  ASSERT_EQ(db.exec("INSERT INTO dt_data_2010(c901, c902, c907, f001, f020, f023, j016, s001, s002, w005) "
                    "VALUES(110100000009, '旧', 'A01', 7, 8, 9, 1, 2, 1, 4)"),
            "");
  std::vector<std::string> target = {"c901", "c902", "c903", "c904", "c905", "c906", "c907", "c909", "c910", "c911",
                                     "c912", "recordstate"};
  std::vector<std::string> source = {"c901", "c902", "c903", "c904", "c905", "c906", "c907", "c909", "c910", "c911",
                                     "1", "0"};
  auto same = [&](char letter, int from, int to) {
    for (int i = from; i <= to; ++i) {
      const std::string f = Family(letter, to)[static_cast<std::size_t>(i - 1)];
      target.push_back(f);
      source.push_back(f);
    }
  };
  auto shifted = [&](char letter, int targetFrom, int sourceFrom, int count) {
    for (int i = 0; i < count; ++i) {
      target.push_back(Family(letter, 99)[static_cast<std::size_t>(targetFrom - 1 + i)]);
      source.push_back(Family(letter, 99)[static_cast<std::size_t>(sourceFrom - 1 + i)]);
    }
  };
  same('z', 1, 24);
  same('b', 1, 29);
  same('h', 1, 22);
  same('l', 1, 10);
  shifted('f', 3, 1, 20);
  shifted('f', 24, 21, 3);
  same('j', 1, 15);
  shifted('j', 22, 16, 2);
  same('w', 1, 5);
  shifted('s', 2, 1, 2);
  ASSERT_EQ(target.size(), 144u);
  std::string targets, sources;
  for (std::size_t i = 0; i < target.size(); ++i) {
    targets += (i ? "," : "") + target[i];
    sources += (i ? "," : "") + source[i];
  }
  ASSERT_EQ(db.exec("insert into dt_data(" + targets + ") select " + sources + " from dt_data_2010"), "");
  ASSERT_EQ(db.exec("delete from dt_data_2010; delete from dt_data_dt_data_2010"), "");
  EXPECT_EQ(db.rows("SELECT f001, f003, f022, f026, j016, j022, s001, s002, s003, w005, c912, RecordState, "
                    "id IS NOT NULL FROM dt_data"),
            (Rows{{"0", "7", "8", "9", "0", "1", "0", "2", "1", "4", "1", "0", "1"}}));
}

}  // namespace
