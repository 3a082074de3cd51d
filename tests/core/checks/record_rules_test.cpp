// The built-in record rules: the rule table against the shipped dt_logic rows, the failing
// conditions on chosen values, column reading from stored records, and the generator's records.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>
#include <string_view>

#include "core/checks/record_rules.h"
#include "core/db/connection.h"
#include "core/db/error.h"
#include "core/db/statement.h"
#include "core/records/generator.h"
#include "core/records/generator_record.h"
#include "core/session/session.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

using checks::RecordValues;
using V = RecordValues;

void Set(RecordValues& v, std::string_view name, double value) {
#define VELMORA_SET_INTEGER(n) \
  if (name == #n) {            \
    v.n = static_cast<std::int64_t>(value); \
    return;                    \
  }
#define VELMORA_SET_FLOAT(n) \
  if (name == #n) {          \
    v.n = value;             \
    return;                  \
  }
  VELMORA_RECORD_INTEGER_COLUMNS(VELMORA_SET_INTEGER)
  VELMORA_RECORD_FLOAT_COLUMNS(VELMORA_SET_FLOAT)
#undef VELMORA_SET_INTEGER
#undef VELMORA_SET_FLOAT
}

RecordValues With(std::initializer_list<std::pair<const char*, double>> values) {
  RecordValues v;
  for (const auto& [name, value] : values) Set(v, name, value);
  return v;
}

// The smallest record that passes every rule: two employees, both members, one part-time cadre.
RecordValues Passing() { return With({{"z002", 2}, {"z006", 2}, {"z020", 1}}); }

bool Fails(const RecordValues& v, int rule) {
  const auto numbers = checks::FailingRuleNumbers(v);
  return std::find(numbers.begin(), numbers.end(), rule) != numbers.end();
}

class MapHints : public checks::FieldHints {
 public:
  std::map<std::string, std::string> hints;
  std::optional<std::string> HintOf(const std::string& name) override {
    auto it = hints.find(name);
    if (it == hints.end()) return std::nullopt;
    return it->second;
  }
};

struct Entry {
  std::string expression, explanation, focus;
  int page;
};

// Collects the entries and clears the pending flag as the report writer does.
class CollectingSink : public checks::LogicErrorSink {
 public:
  explicit CollectingSink(checks::LogicCheckState& state) : state_(state) {}
  std::vector<Entry> entries;
  void WriteLogicError(const std::string& expression, const std::string& explanation, int page,
                       const std::string& focus) override {
    entries.push_back({expression, explanation, focus, page});
    state_.UnitHeaderPending = false;
  }

 private:
  checks::LogicCheckState& state_;
};

TEST(RecordRules, TableAgreesWithTheShippedRuleRows) {
  db::Connection c(session::DatabaseSession::ConnectionStringFor(ShippedDatabase().string()));
  db::Statement s = db::Statement::Native(c, "select id, page_id, rule, explain, focus from dt_logic order by id");
  auto rules = checks::RecordRules();
  ASSERT_EQ(rules.size(), 125u);
  std::size_t i = 0;
  while (s.step()) {
    ASSERT_LT(i, rules.size());
    const auto text = [&s](int col) { return s.text(col); };
    const checks::RecordRule& r = rules[i];
    SCOPED_TRACE("rule " + std::to_string(r.number));
    EXPECT_EQ(r.number, static_cast<int>(i + 1));
    EXPECT_EQ(s.int64(0), r.number);
    EXPECT_EQ(s.int64(1), r.page);
    EXPECT_EQ(text(2), r.expression);
    EXPECT_EQ(text(3), r.rule);
    EXPECT_EQ(text(4), r.focus);
    ++i;
  }
  EXPECT_EQ(i, 125u);
}

TEST(RecordRules, FailingConditionsOnChosenValues) {
  ASSERT_TRUE(checks::FailingRuleNumbers(Passing()).empty());
  auto passingWith = [](std::initializer_list<std::pair<const char*, double>> changes) {
    RecordValues v = Passing();
    for (const auto& [name, value] : changes) Set(v, name, value);
    return v;
  };
  struct Case {
    const char* what;
    RecordValues values;
    std::vector<int> fails;     // must be among the failing rules
    std::vector<int> passes;    // must not be
  } cases[] = {
      {"c904 1, z001 1", passingWith({{"c904", 1}, {"z001", 1}}), {}, {1, 27}},
      {"c904 1, z001 3", passingWith({{"c904", 1}, {"z001", 3}, {"z002", 5}, {"z006", 5}}), {27}, {1}},
      {"c904 2, z001 1", passingWith({{"c904", 2}, {"z001", 1}}), {1}, {27}},
      {"c904 0, z001 1", passingWith({{"c904", 0}, {"z001", 1}}), {}, {1, 27}},
      {"b004 > b003", passingWith({{"b003", 1}, {"b004", 2}, {"b005", 10}, {"b006", 20}}), {34}, {}},
      {"b004 > b003, equal amounts", passingWith({{"b003", 1}, {"b004", 2}, {"b005", 10}, {"b006", 10}}), {34}, {}},
      {"b004 = b003, equal amounts", passingWith({{"b003", 1}, {"b004", 1}, {"b005", 10}, {"b006", 10}}), {}, {34}},
      {"b004 < b003, amount not below", passingWith({{"b003", 2}, {"b004", 1}, {"b005", 10}, {"b006", 10}}), {34}, {}},
      {"amount just above persons", passingWith({{"b003", 2}, {"b005", 2.01}}), {}, {32, 33}},
      {"amount equal to persons", passingWith({{"b003", 2}, {"b005", 2}}), {33}, {32}},
      {"amount without persons", passingWith({{"b005", 0.01}}), {32}, {33}},
      {"male members equal male employees", passingWith({{"z002", 5}, {"z003", 2}, {"z006", 4}, {"z007", 1}}), {}, {21}},
      {"male members above male employees", passingWith({{"z002", 5}, {"z003", 2}, {"z006", 5}, {"z007", 1}}), {21}, {}},
      {"j017 1, j018 0", passingWith({{"j017", 1}}), {115}, {116}},
      {"j017 1, j018 1", passingWith({{"j017", 1}, {"j018", 1}}), {}, {115}},
      {"w001 5", passingWith({{"w001", 5}}), {}, {122}},
      {"w001 6", passingWith({{"w001", 6}}), {122}, {123, 124}},
      {"l003 equal to z002", passingWith({{"l003", 2}}), {87}, {}},
      {"z022 2 without cadres", passingWith({{"z003", 1}, {"z022", 2}}), {14}, {18, 19}},
      {"z022 1 without cadres", passingWith({{"z003", 1}, {"z022", 1}}), {18}, {14, 19}},
      {"f015..f024 add up", passingWith({{"f009", 1}, {"f013", 10}, {"f015", 4}, {"f024", 6}}), {}, {99}},
      {"f015..f024 do not", passingWith({{"f009", 1}, {"f013", 10}, {"f015", 4}, {"f024", 5}}), {99}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int rule : c.fails) EXPECT_TRUE(Fails(c.values, rule)) << "rule " << rule;
    for (int rule : c.passes) EXPECT_FALSE(Fails(c.values, rule)) << "rule " << rule;
  }
}

// Sums and differences of any 64-bit values come out as exact arithmetic says: a sum that would
// wrap neither passes nor fails a rule by its wrapping.
TEST(RecordRules, ArithmeticOfExtremeValuesIsExact) {
  constexpr std::int64_t MAX = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t MIN = std::numeric_limits<std::int64_t>::min();
  using Member = std::int64_t RecordValues::*;
  struct Case {
    const char* what;
    std::vector<std::pair<Member, std::int64_t>> values;
    int rule;
    bool fails;
  } cases[] = {
      {"z012 MAX + z013 1 wraps to z010 MIN", {{&V::z012, MAX}, {&V::z013, 1}, {&V::z010, MIN}}, 12, true},
      {"MAX + MAX + 2 wraps to 0", {{&V::z012, MAX}, {&V::z013, MAX}, {&V::z014, 2}, {&V::z010, 0}}, 12, true},
      {"MAX + 1 + MIN is 0", {{&V::z012, MAX}, {&V::z013, 1}, {&V::z014, MIN}, {&V::z010, 0}}, 12, false},
      {"MAX - 2 + 1 + 1 is MAX", {{&V::z012, MAX - 2}, {&V::z013, 1}, {&V::z014, 1}, {&V::z010, MAX}}, 12, false},
      {"five MIN wrap to MIN",
       {{&V::z015, MIN}, {&V::z016, MIN}, {&V::z017, MIN}, {&V::z018, MIN}, {&V::z019, MIN}, {&V::z010, MIN}}, 13, true},
      {"z011 MAX + z021 1 above z007", {{&V::z011, MAX}, {&V::z021, 1}, {&V::z020, 1}, {&V::z007, 5}}, 17, true},
      {"MAX - MIN is not below 0", {{&V::z002, MAX}, {&V::z003, MIN}, {&V::z006, 0}, {&V::z007, 0}}, 21, false},
      {"MIN - 1 is below 0", {{&V::z002, MIN}, {&V::z003, 1}, {&V::z006, 0}, {&V::z007, 0}}, 21, true},
      {"z023 + z024 above z010 + z020", {{&V::z023, MAX}, {&V::z024, MAX}, {&V::z010, MAX}, {&V::z020, MAX - 1}}, 30, true},
      {"z023 + z024 equal to z010 + z020", {{&V::z023, MAX}, {&V::z024, MAX - 1}, {&V::z010, MAX - 1}, {&V::z020, MAX}}, 30, false},
      {"b020 not above z002 MAX + b012 1", {{&V::z002, MAX}, {&V::b012, 1}, {&V::b020, 5}}, 46, false},
      {"l002 + l003 + l004 wraps to 0", {{&V::l002, MAX}, {&V::l003, MAX}, {&V::l004, 2}}, 86, true},
      {"f007 + f008 above f006", {{&V::f007, MAX}, {&V::f008, MAX}, {&V::f006, MAX}}, 94, true},
      {"ten MAX wrap to -10",
       {{&V::f015, MAX}, {&V::f016, MAX}, {&V::f017, MAX}, {&V::f018, MAX}, {&V::f019, MAX}, {&V::f020, MAX},
        {&V::f021, MAX}, {&V::f022, MAX}, {&V::f023, MAX}, {&V::f024, MAX}, {&V::f013, -10}}, 99, true},
      {"ten MIN wrap to 0",
       {{&V::f015, MIN}, {&V::f016, MIN}, {&V::f017, MIN}, {&V::f018, MIN}, {&V::f019, MIN}, {&V::f020, MIN},
        {&V::f021, MIN}, {&V::f022, MIN}, {&V::f023, MIN}, {&V::f024, MIN}, {&V::f013, 0}}, 99, true},
      {"large sum that fits", {{&V::f015, MAX / 2}, {&V::f016, MAX / 2}, {&V::f017, 1}, {&V::f013, MAX}}, 99, false},
      {"j002 MAX + j003 1 above j001 MAX", {{&V::j002, MAX}, {&V::j003, 1}, {&V::j001, MAX}}, 106, true},
      {"j002 MAX + j003 MIN not above j001 -1", {{&V::j002, MAX}, {&V::j003, MIN}, {&V::j001, -1}}, 106, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordValues v = Passing();
    for (const auto& [member, value] : c.values) v.*member = value;
    EXPECT_EQ(Fails(v, c.rule), c.fails) << "rule " << c.rule;
  }
}

TEST(RecordRules, EntriesGoToTheSinkInRuleOrder) {
  MapHints hints;
  hints.hints = {{"z002", "职工"}, {"z001", "单位"}, {"z007", "女会员"}, {"z003", "女职工"}};
  ScriptedPrompts prompts;
  checks::RuleTextFormatter formatter(hints, prompts);
  checks::LogicCheckState state;
  CollectingSink sink(state);

  // every value 0: nine rules, in this order
  EXPECT_FALSE(checks::CheckRecordLogic(RecordValues{}, state, formatter, sink));
  std::vector<int> pages;
  std::vector<std::string> focus;
  for (const Entry& e : sink.entries) {
    pages.push_back(e.page);
    focus.push_back(e.focus);
  }
  EXPECT_EQ(checks::FailingRuleNumbers(RecordValues{}), (std::vector<int>{2, 6, 16, 54, 87, 105, 117, 118, 119}));
  EXPECT_EQ(pages, (std::vector<int>{1, 1, 1, 2, 4, 6, 6, 6, 6}));
  EXPECT_EQ(focus, (std::vector<std::string>{"z002", "z006", "z020", "b008", "l003", "j001", "j018", "j019", "j021"}));
  ASSERT_EQ(sink.entries.size(), 9u);
  EXPECT_EQ(sink.entries[0].expression, "z002 > z001");
  EXPECT_EQ(sink.entries[0].explanation, "[职工]必须大于[单位]");

  // z006 = z002 with z007 and z008 off: rules 24 and 25 with the same texts
  sink.entries.clear();
  RecordValues v = Passing();
  Set(v, "z003", 1);
  Set(v, "z004", 1);
  EXPECT_FALSE(checks::CheckRecordLogic(v, state, formatter, sink));
  std::vector<Entry> both;
  for (const Entry& e : sink.entries)
    if (e.focus == "z007" || e.focus == "z008") both.push_back(e);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].focus, "z007");
  EXPECT_EQ(both[1].focus, "z008");
  EXPECT_EQ(both[0].expression, both[1].expression);
  EXPECT_EQ(both[0].explanation, both[1].explanation);
  EXPECT_EQ(both[0].expression, "(z006=z002 and z007=z003 and z008=z004 and z009=z005) or (z006<z002)");
  EXPECT_EQ(both[0].explanation, "z006=[职工]，那么[女会员]必须等于[女职工]、z008必须等于z004、z009必须等于z005");

  // a record without failures: true, and the sink is never called
  sink.entries.clear();
  EXPECT_TRUE(checks::CheckRecordLogic(Passing(), state, formatter, sink));
  EXPECT_TRUE(sink.entries.empty());
  EXPECT_TRUE(prompts.messages.empty());
}

class StoredRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.copyOfShipped("rules.mdb");
    conn_.setConnectionString(session::DatabaseSession::ConnectionStringFor(file_.string()));
  }
  // The values of the row with the given c901 as the rules read them.
  RecordValues Read(const std::string& from = "dt_data") {
    db::Statement s = db::Statement::Native(conn_, "select * from " + from);
    EXPECT_TRUE(s.step());
    RecordValues v;
    checks::RecordColumns columns(s);
    columns.Read(s, v);
    return v;
  }
  TempDir dir_;
  std::filesystem::path file_;
  db::Connection conn_;
};

TEST_F(StoredRecords, NullReadsAsZeroAndValuesKeepTheirSixtyFourBits) {
  std::string nulls;
  for (const std::string& name : checks::RecordRuleColumns()) nulls += ", " + name;
  std::string values;
  for (std::size_t i = 0; i < checks::RecordRuleColumns().size(); ++i) values += ", NULL";
  conn_.execute("insert into dt_data (c901, c902, c912" + nulls + ") values (1, 'a', 1" + values + ")");
  EXPECT_EQ(checks::FailingRuleNumbers(Read()), checks::FailingRuleNumbers(RecordValues{}));

  // 2^32 + 2 employees would read as 2 in 32 bits and fail rule 2; sums past 2^31 stay exact
  conn_.execute("delete from dt_data");
  conn_.execute(
      "insert into dt_data (c901, c902, c912, z001, z002, z006, z010, z012, z013, z014, z015, z020, b005, b003) values "
      "(1, 'a', 1, 2, 4294967298, 4294967298, 4200000000, 1400000000, 1400000000, 1400000000, 4200000000, 1, "
      "5000000000.5, 5000000000)");
  const RecordValues v = Read();
  EXPECT_EQ(v.z002, 4294967298);
  EXPECT_EQ(v.b005, 5000000000.5);
  const auto failing = checks::FailingRuleNumbers(v);
  for (int rule : {2, 6, 12, 13, 16, 33}) EXPECT_FALSE(Fails(v, rule)) << "rule " << rule;
  EXPECT_TRUE(failing.empty()) << failing.size();
}

TEST_F(StoredRecords, AMissingColumnIsTheEnginesUnknownFieldError) {
  conn_.execute("insert into dt_data (c901, c902, c912) values (1, 'a', 1)");
  try {
    Read("(select c901, c902, c904, z001 from dt_data)");
    FAIL() << "no error";
  } catch (const db::DbError& e) {
    EXPECT_STREQ(e.what(), "字段 'z002' 不存在");
  }
}

// Every generated record passes every rule; each deliberate fault fails the rule it was made to
// break.
TEST(RecordRules, GeneratorRecordsAndTheirFaults) {
  const int kFaultRule[11] = {3, 20, 12, 15, 31, 54, 36, 122, 125, 39, 0};
  std::set<int> faultsSeen;
  for (std::uint64_t seed = 1; seed <= 600; ++seed) {
    generator::Random r(seed);
    const int organisationType = seed % 3 == 0 ? 1 : static_cast<int>(seed % 3) + 1;
    const int categories[] = {100, 110, 151, 401, 500, 600, 169};
    const int category = categories[seed % 7];
    generator::Indicators in;
    generator::FillIndicators(r, organisationType, category, in);
    auto toValues = [&](const generator::Indicators& ind) {
      RecordValues v;
      Set(v, "c904", organisationType);
      for (int k = 0; k < generator::kIndicatorCount; ++k)
        Set(v, generator::IndicatorName(k), generator::IsAmount(k) ? ind[k] / 100.0 : static_cast<double>(ind[k]));
      return v;
    };
    const auto passing = checks::FailingRuleNumbers(toValues(in));
    ASSERT_TRUE(passing.empty()) << "seed " << seed << " fails rule " << passing.front();

    generator::Random pick = r;  // the fault BreakIndicators will choose
    const int fault = static_cast<int>(pick.below(11));
    generator::BreakIndicators(r, in);
    const RecordValues broken = toValues(in);
    int rule = kFaultRule[fault];
    if (fault == 10) rule = broken.b003 > 0 ? 33 : 32;  // arrears amount without persons or the reverse
    EXPECT_TRUE(Fails(broken, rule)) << "seed " << seed << " fault " << fault;
    faultsSeen.insert(fault);
  }
  EXPECT_EQ(faultsSeen.size(), 11u);
}

// The rules agree with the shipped dt_logic rows evaluated by the engine, on generated records and
// on records with random changes.
TEST(RecordRules, AgreeWithTheRuleRowsEvaluatedInSql) {
  TempDir dir;
  const auto file = dir / "gen.mdb";
  GenerateOptions options;
  options.records = 400;
  options.seed = 7;
  options.faultyPercent = 20;
  GenerateDatabase(ShippedDatabase().string(), file.string(), options);
  db::Connection c(session::DatabaseSession::ConnectionStringFor(file.string()));

  // as stored: the records kept with RecordState 1 pass every rule, those with 2 fail one at least
  {
    db::Statement s = db::Statement::Native(c, "select * from dt_data");
    checks::RecordColumns read(s);
    const int stateColumn = s.columnCount() - 1;
    ASSERT_EQ(s.columnName(stateColumn), "RecordState");
    int faulty = 0;
    while (s.step()) {
      RecordValues v;
      read.Read(s, v);
      const auto state = s.int64(stateColumn);
      EXPECT_EQ(checks::FailingRuleNumbers(v).empty(), state == 1) << "c901 " << s.int64(2);
      faulty += state == 2;
    }
    EXPECT_GT(faulty, 40);
  }

  // Mutate half the records: copy a neighbouring column's value (±1) or a small number into a
  // random indicator.
  const auto columns = checks::RecordRuleColumns();
  generator::Random r(99);
  for (int round = 0; round < 3; ++round) {
    for (int id = 1; id <= 400; id += 2) {
      const std::string& target = columns[static_cast<std::size_t>(1 + r.below(static_cast<std::int64_t>(columns.size()) - 1))];
      // integer columns only: a fraction in an integer column reads rounded
      const std::string& source = columns[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(columns.size()) - 5))];
      const std::int64_t delta = r.below(3) - 1;
      std::string value = r.chance(300) ? std::to_string(r.below(4)) : source + " + (" + std::to_string(delta) + ")";
      c.execute("update dt_data set " + target + " = " + value + " where _rowid_ = " +
                std::to_string(id + static_cast<int>(r.below(2))));
    }
  }

  std::map<std::int64_t, std::set<int>> fired;  // rowid -> rule rows that fire
  for (const testing::Row& rule : testing::Rows(c, "select id, expression from dt_logic order by id")) {
    const int id = static_cast<int>(rule[0].toInt64());
    db::Statement rows(c, "select _rowid_ from dt_data where " + rule[1].toString());
    while (rows.step()) fired[rows.int64(0)].insert(id);
  }

  db::Statement s = db::Statement::Native(c, "select _rowid_, * from dt_data");
  checks::RecordColumns read(s);
  int records = 0, failing = 0;
  while (s.step()) {
    RecordValues v;
    read.Read(s, v);
    const auto numbers = checks::FailingRuleNumbers(v);
    const std::set<int> ours(numbers.begin(), numbers.end());
    EXPECT_EQ(ours, fired[s.int64(0)]) << "row " << s.int64(0);
    ++records;
    failing += !ours.empty();
  }
  EXPECT_EQ(records, 400);
  EXPECT_GT(failing, 100);
}

}  // namespace
}  // namespace velmora::testing
