#include "core/entry/record_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/entry/remembered_codes.h"
#include "core/entry/save_flows.h"
#include "core/settings/settings.h"
#include "core/survey/codes.h"
#include "core/survey/machine_stamp.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/database.h"
#include "core/db/statement.h"

namespace velmora::entry {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

class RecordStoreTest : public ::testing::Test {
 protected:
  RecordStoreTest()
      : connection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.copyOfShipped().string() + ";Mode=ReadWrite;") {
    codes.LoadAll(connection);
    bindings = LoadFieldBindings(connection);
  }

  // A complete, valid record in the form.
  void FillValid(const std::string& code) {
    form.values["c901"] = code;
    form.values["c902"] = "东城区总工会";
    form.values["c903"] = "110101";
    form.values["c904"] = "2";
    form.values["c905"] = "1";
    form.values["c906"] = "140";
    form.values["C907"] = "A01";
    form.values["c909"] = "3";
    form.values["c912"] = "1";
    form.values["c910"] = "张三";
    form.values["c911"] = "010-6512";
    form.values[kHoldSituation] = "私人及其他非公有控股";
    form.values[kTypeName] = "教育";
  }

  std::int64_t Count(const std::string& where = "1=1") {
    db::Query q(connection);
    q.setSql("select count(*) as n from dt_data where " + where);
    q.open();
    return q.field(0).asInt64();
  }

  db::Variant Stored(double code, const std::string& column) {
    db::Query q(connection);
    q.setSql("select * from dt_data where c901=:c");
    q.setParam("c", code);
    q.open();
    return q.isEmpty() ? db::Variant() : q.fieldByName(column).value();
  }

  // The stored row exactly: every column's type and bytes.
  std::string RowImage(double code) {
    db::Statement st = db::Statement::Native(connection, "select * from dt_data where c901=?1");
    st.bindDouble(1, code);
    std::string image;
    while (st.step()) {
      for (int i = 0; i < st.columnCount(); ++i) {
        image += std::to_string(static_cast<int>(st.kind(i))) + ":";
        image += st.text(i);
        image += "|";
      }
      image += "\n";
    }
    return image;
  }

  TempDir dir;
  db::Connection connection;
  survey::CodeCaches codes;
  ScriptedPrompts prompts;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  EntryContext context{connection, codes, prompts};
  FieldBindings bindings;
  EntryForm form;
  PageChecks noErrors{[] {}, [] { return true; }};
};

TEST_F(RecordStoreTest, NewRecordStartsFromTheRememberedValuesAndAProposedCode) {
  EXPECT_EQ(ProposeNextCode(connection), 0);
  settings::RegWriteInteger("AppLastCity", 110101, settings::RegRoot::CurrentUser, settings::kEnvSettingKey);
  settings::RegWriteString("c910", "李四", settings::RegRoot::CurrentUser, settings::kDataKey);
  LoadedRecord loaded = LoadRecord(context, bindings, form);
  EXPECT_TRUE(context.IsLoaded);
  EXPECT_EQ(form.values["c901"], "0");
  EXPECT_EQ(form.values["c903"], "110101");
  EXPECT_EQ(form.values[kCityNameCtrl], "北京市市辖区东城区");
  EXPECT_EQ(form.values["c910"], "李四");
  EXPECT_EQ(form.values["c911"], "");
  EXPECT_EQ(form.values["c904"], "1");
  EXPECT_EQ(form.values[kLevelName], "单独基层工会");
  EXPECT_EQ(form.values["z001"], "1");
  EXPECT_FALSE(form.isEnabled("z001"));
  EXPECT_EQ(form.values["b005"], "0");
  EXPECT_EQ(form.remembered[kTypeName], -1);
  // The proposed code of an empty table is refused until a twelve-digit code is typed.
  EXPECT_EQ(ValidateCoverPage(context, form).focus, "c901");
}

TEST_F(RecordStoreTest, TemporaryThenFormalSaveWhileAddingStoresOneRow) {
  LoadRecord(context, bindings, form);
  FillValid("110101000007");
  SaveOutcome temporary = TemporarySave(context, bindings, form);
  ASSERT_TRUE(temporary.saved);
  EXPECT_EQ(prompts.lastMessage(), "数据已经被临时保存。");
  EXPECT_TRUE(context.IsStored);
  EXPECT_EQ(Stored(110101000007.0, "RecordState").toInt(), 0);

  form.values["z002"] = "12";
  SaveOutcome formal = FormalSave(context, bindings, form, noErrors);
  ASSERT_TRUE(formal.saved);
  EXPECT_EQ(prompts.lastMessage(), "数据保存成功，没有逻辑错误！");
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Stored(110101000007.0, "RecordState").toInt(), 1);
  EXPECT_EQ(Stored(110101000007.0, "z002").toInt64(), 12);
  EXPECT_EQ(settings::RegReadInteger("AppLastCity", 0, settings::RegRoot::CurrentUser, settings::kEnvSettingKey), 110101);
  EXPECT_EQ(settings::RegReadString("c911", "", settings::RegRoot::CurrentUser, settings::kDataKey), "010-6512");
  // The form is empty again for the next record, proposed one above the stored code.
  ASSERT_TRUE(formal.next.has_value());
  EXPECT_FALSE(context.IsStored);
  EXPECT_EQ(form.values["c901"], "110101000008");
  EXPECT_EQ(form.values["c902"], "");
  EXPECT_EQ(form.values["c910"], "张三");
}

TEST_F(RecordStoreTest, FormalSaveRecordsTheLogicErrors) {
  int checksRun = 0;
  PageChecks withErrors{[&] { ++checksRun; }, [] { return false; }};
  LoadRecord(context, bindings, form);
  FillValid("110101000007");
  ASSERT_TRUE(FormalSave(context, bindings, form, withErrors).saved);
  EXPECT_EQ(checksRun, 1);
  EXPECT_EQ(prompts.lastMessage(), "数据保存成功，有逻辑错误！");
  EXPECT_EQ(Stored(110101000007.0, "RecordState").toInt(), 2);

  // Not reporting this year: no page checks.
  FillValid("110101000008");
  form.values["c912"] = "3";
  ASSERT_TRUE(FormalSave(context, bindings, form, withErrors).saved);
  EXPECT_EQ(checksRun, 1);
}

TEST_F(RecordStoreTest, ValuesAreStoredByTheirKind) {
  context.IsNew = true;
  FillValid("110101000001");
  form.values["c902"] = "  O'Brien \"工会\" `x`  ";
  form.values["z002"] = "99999999999999";
  form.values["z022"] = "7";
  form.values["b005"] = "1234567890123.5";
  form.values["C907"] = "";
  form.values[kTypeName] = "";
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::WithoutLogicErrors, true).ok);
  EXPECT_EQ(context.CurrentCode, 110101000001.0);

  const double code = 110101000001.0;
  EXPECT_EQ(Stored(code, "c902").toString(), "O'Brien \"工会\" `x`");
  EXPECT_EQ(Stored(code, "z002").toInt64(), 99999999999999);
  EXPECT_TRUE(Stored(code, "z002").isInteger());
  EXPECT_EQ(Stored(code, "z022").toInt64(), 2);
  EXPECT_EQ(Stored(code, "b005").toDouble(), 1234567890123.5);
  EXPECT_EQ(Stored(code, "c907").toString(), "Z00");
  EXPECT_EQ(Stored(code, "RecordState").toInt(), 1);
  EXPECT_EQ(Stored(code, "c900").toString(), survey::GetMachineStamp());

  // Read back as the form shows them.
  context.IsNew = false;
  EntryForm shown;
  LoadRecord(context, bindings, shown, code);
  EXPECT_EQ(shown.values["c901"], "110101000001");
  EXPECT_EQ(shown.values["z002"], "99999999999999");
  EXPECT_EQ(shown.values["b005"], "1234567890123.5");
  EXPECT_EQ(shown.values["c902"], "O'Brien \"工会\" `x`");
  EXPECT_EQ(shown.values[kStateName], "正常填报");
  EXPECT_EQ(shown.values[kEconomicName], "联营企业");
}

TEST_F(RecordStoreTest, LoadingAppliesTheRulesOfTheStoredCodes) {
  FillValid("110101000001");
  form.values["c906"] = "500";
  form.values["c904"] = "1";
  form.values["h001"] = "4";
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::Temporary, true).ok);
  context.IsNew = false;
  EntryForm shown;
  LoadedRecord loaded = LoadRecord(context, bindings, shown, 110101000001.0);
  EXPECT_TRUE(loaded.found);
  EXPECT_EQ(context.CurrentCode, 110101000001.0);
  EXPECT_FALSE(shown.isEnabled("h001"));
  EXPECT_EQ(shown.values["h001"], "0");
  EXPECT_FALSE(shown.isEnabled("c909"));
  EXPECT_FALSE(shown.isEnabled("z001"));
  EXPECT_EQ(shown.values[kTypeName], "教育");
  EXPECT_EQ(shown.remembered[kTypeName], 101);
}

TEST_F(RecordStoreTest, ModifyingUpdatesTheLoadedRowAlsoUnderANewCode) {
  FillValid("110101000001");
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::Temporary, true).ok);
  context.IsNew = false;
  LoadRecord(context, bindings, form, 110101000001.0);
  form.values["c901"] = "110101000005";
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::WithoutLogicErrors, false).ok);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Count("c901=110101000005"), 1);
  EXPECT_EQ(context.CurrentCode, 110101000005.0);
}

TEST_F(RecordStoreTest, FailedStoreLeavesTheStoredRowsAsTheyWere) {
  FillValid("110101000001");
  form.values["z002"] = "30";
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::WithoutLogicErrors, true).ok);
  FillValid("110101000002");
  ASSERT_TRUE(StoreRecord(context, bindings, form, StoreState::WithoutLogicErrors, true).ok);
  const std::string first = RowImage(110101000001.0);
  const std::string second = RowImage(110101000002.0);
  connection.execute(
      "CREATE TRIGGER refuse_store AFTER UPDATE ON dt_data WHEN NEW.c902 = '拒绝' "
      "BEGIN SELECT RAISE(ABORT, 'refused'); END");

  struct Case {
    const char* what;
    const char* code;
    const char* name;
    double current;
    bool appending;
  } cases[] = {
      {"trigger refuses the update", "110101000001", "拒绝", 110101000001.0, false},
      {"renumbered onto another record", "110101000002", "改名", 110101000001.0, false},
      {"new record with a stored code", "110101000002", "新", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FillValid(c.code);
    form.values["c902"] = c.name;
    form.values["z002"] = "99";
    context.CurrentCode = c.current;
    prompts.messages.clear();
    StoreResult r = StoreRecord(context, bindings, form, StoreState::Temporary, c.appending);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(prompts.lastMessage(), "保存过程中遇到错误：" + r.error + "数据没有被保存。");
    EXPECT_EQ(context.CurrentCode, c.current);
    EXPECT_FALSE(connection.inTransaction());
    EXPECT_EQ(RowImage(110101000001.0), first);
    EXPECT_EQ(RowImage(110101000002.0), second);
    EXPECT_EQ(Count(), 2);
  }
}

TEST_F(RecordStoreTest, BindingsFollowTheCatalogue) {
  ASSERT_EQ(bindings.size(), 153u);  // 11 cover fields and 142 indicators
  auto find = [&](const std::string& name) {
    for (const FieldBinding& b : bindings)
      if (b.FieldName == name) return b;
    ADD_FAILURE() << name;
    return FieldBinding{};
  };
  EXPECT_FALSE(find("c912").limits.has_value());
  EXPECT_EQ(find("z002").limits->maximum, kIndicatorMaximum);
  EXPECT_EQ(find("w001").limits->maximum, 5);
  EXPECT_EQ(find("z022").limits->maximum, 2);
  EXPECT_TRUE(find("c911").forbidQuotes);
}

TEST(RememberedCodes, UnionDomainCodesAndNumbers) {
  struct Case {
    const char* code;
    int number;
  } cases[] = {{"A01", 101}, {"Z00", 2600}, {"B12", 212}, {"M07", 1307}};
  for (const Case& c : cases) {
    EXPECT_EQ(UnionDomainCodeNumber(c.code), c.number) << c.code;
    EXPECT_EQ(UnionDomainCodeText(c.number), c.code) << c.number;
    EXPECT_EQ(UnionDomainCodeText(UnionDomainCodeNumber(c.code)), c.code);
  }
  EXPECT_EQ(UnionDomainCodeNumber("a01"), -1);
  EXPECT_EQ(UnionDomainCodeNumber("A1"), -1);
  EXPECT_EQ(UnionDomainCodeText(-1), "");
  EXPECT_EQ(UnionDomainCodeText(99), "");
  UnionDomainStart start = SplitUnionDomainCode(UnionDomainCodeText(101));
  EXPECT_EQ(start.section, "A");
  EXPECT_EQ(start.category, 1);
  EXPECT_EQ(SplitUnionDomainCode("").section, "");
  EXPECT_EQ(SplitUnionDomainCode("").category, 0);
}

}  // namespace
}  // namespace velmora::entry
