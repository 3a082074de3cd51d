#include "core/records/record_scope.h"
#include "core/entry/cover_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/entry/cover_messages.h"
#include "core/entry/edit_filters.h"
#include "core/settings/settings_store.h"
#include "core/survey/codes.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::entry {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

class CoverTest : public ::testing::Test {
 protected:
  CoverTest()
      : connection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.copyOfShipped().string() + ";Mode=ReadWrite;") {
    codes.LoadAll(connection);
    context.IsLoaded = true;
    form.values = {{"c901", "110101000001"}, {"c902", "东城区总工会"}, {"c903", "110101"}, {"c904", "1"},
                   {"c905", "1"},            {"c906", "110"},        {"C907", "A01"},    {"c909", "1"},
                   {"c912", "1"},            {"c910", "张三"},       {"c911", "010-6512"},
                   {kHoldSituation, "国有控股"}, {kTypeName, "教育"}};
  }

  void StoreCode(const std::string& code) {
    connection.execute("insert into dt_data (c901, c902) values (" + code + ", 'x')");
  }

  TempDir dir;
  db::Connection connection;
  survey::CodeCaches codes;
  ScriptedPrompts prompts;
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
  EntryContext context{connection, codes, prompts};
  EntryForm form;
};

struct CoverCase {
  const char* what;
  FieldValues changes;
  const char* message;  // nullptr: passes
  const char* focus;
};

TEST_F(CoverTest, ValidateCoverPageReportsTheFirstFailureInItsOrder) {
  const std::vector<CoverCase> cases = {
      {"complete", {}, nullptr, ""},
      {"no union domain", {{"C907", ""}, {kTypeName, ""}}, nullptr, ""},
      {"empty code", {{"c901", ""}, {"c902", ""}}, msg::kCodeRequired, "c901"},
      {"eleven digits", {{"c901", "99999999999"}}, msg::kCodeTwelveDigits, "c901"},
      {"blank name", {{"c902", "   "}, {"c911", ""}}, "必须输入基层工会名称", "c902"},
      {"five-digit division", {{"c903", "99999"}}, "输入的行政区划代码错误，请重新输入，或用对话框选择", "c903"},
      {"unknown division", {{"c903", "999999"}}, "输入的行政区划代码错误，请重新输入，或用对话框选择", "c903"},
      {"unknown type", {{"c904", "3"}}, "输入的工会组织类型代码不合法，请重新输入或通过列表选择", "c904"},
      {"no industry", {{"c905", "0"}}, "输入的国民经济行业分类代码不合法，请重新输入或通过列表选择", "c905"},
      {"unknown category",
       {{"c906", "111"}},
       "输入的基层工会所在单位（或单位主体）的单位类别代码不合法，请重新输入或通过列表选择",
       "c906"},
      {"no state", {{"c912", "0"}}, "输入的基层工会本年度的填报状态代码不合法，请重新输入或通过列表选择", "c912"},
      {"holding not chosen", {{"c906", "140"}, {kHoldSituation, " "}}, "必须填写控股情况", "c909"},
      {"holding needed for 169", {{"c906", "169"}, {kHoldSituation, ""}}, "必须填写控股情况", "c909"},
      {"holding not needed for 500", {{"c906", "500"}, {kHoldSituation, ""}}, nullptr, ""},
      {"no filler", {{"c910", " "}}, "必须输入填表人", "c910"},
      {"no telephone", {{"c911", ""}}, "必须输入联系电话", "c911"},
      {"unknown union domain", {{"C907", "A99"}}, "输入的单位产业类别代码不合法，请重新输入或通过列表选择", "C907"},
  };
  for (const CoverCase& c : cases) {
    SCOPED_TRACE(c.what);
    EntryForm edited = form;
    for (const auto& [name, value] : c.changes) edited.values[name] = value;
    prompts.messages.clear();
    CheckResult r = ValidateCoverPage(context, edited);
    EXPECT_EQ(r.passed, c.message == nullptr);
    EXPECT_EQ(r.focus, c.focus);
    if (c.message) EXPECT_EQ(prompts.messages, std::vector<std::string>{c.message});
    else EXPECT_TRUE(prompts.messages.empty());
  }
}

TEST_F(CoverTest, DuplicateCodeIsRefusedUnlessItIsTheRecordItself) {
  StoreCode("110101000001");
  StoreCode("110101000002");
  struct Case {
    bool isNew;
    double currentCode;
    const char* code;
    const char* message;
  } cases[] = {
      {true, 0, "110101000001", "在增加数据时，填写的工会顺序编码为110101000001，该编码的数据已经存在，请改用其它编码。"},
      {true, 0, "110101000003", nullptr},
      {true, 110101000001.0, "110101000001", nullptr},  // stored once by a temporary save
      {false, 110101000002.0, "110101000001",
       "在修改数据时，将工会顺序编码改为110101000001，该编码的数据已经存在，请改用其它编码。"},
      {false, 110101000002.0, "110101000002", nullptr},
      {false, 110101000002.0, "110101000009", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    context.IsNew = c.isNew;
    context.CurrentCode = c.currentCode;
    form.values["c901"] = c.code;
    prompts.messages.clear();
    CheckResult r = ValidateCoverPage(context, form);
    EXPECT_EQ(r.passed, c.message == nullptr);
    EXPECT_EQ(r.disableSaveButtons, c.message != nullptr);
    EXPECT_EQ(r.showCoverPage, c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(r.focus, "c901");
      EXPECT_EQ(prompts.lastMessage(), c.message);
    }
  }
}

TEST_F(CoverTest, MissingCodeTablesGiveValidationMessagesNotFailures) {
  connection.execute("delete from CT_Economic");
  connection.execute("drop table CT_UnionDomain");
  codes.LoadAll(connection);
  CheckResult r = ValidateCoverPage(context, form);
  EXPECT_FALSE(r.passed);
  EXPECT_EQ(r.focus, "c906");

  form.values["c906"] = "0";
  EXPECT_EQ(CoverFieldExit(context, form, "c906").focus, "c906");
  prompts.messages.clear();
  r = CoverFieldExit(context, form, "C907");
  EXPECT_FALSE(r.passed);
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[0].rfind("运行中发生错误：", 0), 0u);
  EXPECT_EQ(prompts.messages[1], msg::kUnionDomainInvalid);
}

struct ExitCase {
  const char* what;
  const char* field;
  FieldValues values;
  CheckOrigin origin;
  bool passed;
  const char* message;  // nullptr: none shown
  const char* focus;
  FieldValues after;  // texts the form shows afterwards
};

TEST_F(CoverTest, ExitChecksOfTheCoverFields) {
  const std::string sixtyOne(61, 'x');
  const std::vector<ExitCase> cases = {
      {"eleven-digit code", "c901", {{"c901", "99999999999"}}, CheckOrigin::User, false, msg::kCodeTwelveDigits, "c901", {}},
      {"smallest code", "c901", {{"c901", "100000000000"}}, CheckOrigin::User, true, nullptr, "", {}},
      {"blank code", "c901", {{"c901", ""}}, CheckOrigin::User, false, msg::kCodeRequired, "c901", {}},
      {"long name is cut", "c902", {{"c902", sixtyOne}}, CheckOrigin::User, true, nullptr, "", {{"c902", std::string(60, 'x')}}},
      {"blank name", "c902", {{"c902", "  "}}, CheckOrigin::User, false, "必须输入本级工会名称", "c902", {}},
      {"division", "c903", {{"c903", "110101"}}, CheckOrigin::User, true, nullptr, "", {{kCityNameCtrl, "北京市市辖区东城区"}}},
      {"unknown type by the user", "c904", {{"c904", "9"}}, CheckOrigin::User, false, msg::kLevelInvalidOnExit, "c904", {}},
      {"unknown type while loading", "c904", {{"c904", "9"}}, CheckOrigin::Program, false, nullptr, "c904", {}},
      {"unknown category", "c906", {{"c906", "999"}}, CheckOrigin::User, false, msg::kEconomicInvalidOnExit, "c906", {}},
      {"unknown state", "c912", {{"c912", "9"}}, CheckOrigin::User, false, msg::kStateInvalidOnExit, "c912", {}},
      {"state-held refused for 169", "c909", {{"c906", "169"}, {"c909", "1"}}, CheckOrigin::User, false, msg::kHoldSituationInvalid, "c909", {}},
      {"collective accepted for 169", "c909", {{"c906", "169"}, {"c909", "2"}}, CheckOrigin::User, true, nullptr, "", {{kHoldSituation, "集体控股"}}},
      {"holding above 3", "c909", {{"c909", "4"}}, CheckOrigin::User, false, msg::kHoldSituationInvalid, "c909", {}},
      {"lower-case domain", "C907", {{"C907", "a01"}}, CheckOrigin::User, true, nullptr, "", {{"C907", "A01"}, {kTypeName, "教育"}}},
      {"letter digit letter", "C907", {{"C907", "a1b"}}, CheckOrigin::User, false, msg::kUnionDomainDigits, "", {{"C907", "A1B"}}},
      {"two characters", "C907", {{"C907", "A1"}}, CheckOrigin::User, false, msg::kUnionDomainLength, "", {}},
      // The second and third characters are looked at, whatever the first one is.
      {"Chinese letter, two digits", "C907", {{"C907", "中01"}}, CheckOrigin::User, false, msg::kUnionDomainInvalid, "C907", {{"C907", "中01"}}},
      {"Chinese second character", "C907", {{"C907", "A中1"}}, CheckOrigin::User, false, msg::kUnionDomainDigits, "", {}},
      {"Chinese third character", "C907", {{"C907", "A1中"}}, CheckOrigin::User, false, msg::kUnionDomainDigits, "", {}},
      {"full-width digits", "C907", {{"C907", "A０１"}}, CheckOrigin::User, false, msg::kUnionDomainDigits, "", {}},
      {"three Chinese characters", "C907", {{"C907", "中文字"}}, CheckOrigin::User, false, msg::kUnionDomainDigits, "", {}},
      {"Chinese letter and one digit", "C907", {{"C907", "中1"}}, CheckOrigin::User, false, msg::kUnionDomainLength, "", {}},
      {"format message while loading", "C907", {{"C907", "ABCD"}}, CheckOrigin::Program, false, msg::kUnionDomainLength, "", {}},
      {"unknown domain while loading", "C907", {{"C907", "A99"}}, CheckOrigin::Program, false, nullptr, "C907", {}},
      {"empty domain", "C907", {{"C907", ""}}, CheckOrigin::User, true, nullptr, "", {{kTypeName, ""}}},
  };
  for (const ExitCase& c : cases) {
    SCOPED_TRACE(c.what);
    EntryForm edited = form;
    for (const auto& [name, value] : c.values) edited.values[name] = value;
    prompts.messages.clear();
    CheckResult r = CoverFieldExit(context, edited, c.field, c.origin);
    EXPECT_EQ(r.passed, c.passed);
    EXPECT_EQ(r.focus, c.focus);
    if (c.message) EXPECT_EQ(prompts.messages, std::vector<std::string>{c.message});
    else EXPECT_TRUE(prompts.messages.empty());
    for (const auto& [name, text] : c.after) EXPECT_EQ(ValueText(edited.values, name), text) << name;
  }
}

TEST_F(CoverTest, ExitChecksWaitForTheEndOfLoading) {
  context.IsLoaded = false;
  form.values["c902"] = "";
  form.values["c906"] = "999";
  EXPECT_TRUE(CoverFieldExit(context, form, "c902").passed);
  EXPECT_TRUE(CoverFieldExit(context, form, "c906").passed);
  EXPECT_FALSE(CoverFieldExit(context, form, "c906", CheckOrigin::Program).passed);
  form.values["c901"] = "";
  EXPECT_FALSE(CoverFieldExit(context, form, "c901").passed);
}

TEST_F(CoverTest, AcceptedDomainIsRememberedAsItsNumber) {
  form.values["C907"] = "z00";
  CoverFieldExit(context, form, "C907");
  EXPECT_EQ(form.remembered[kTypeName], 2600);
  form.values["C907"] = "";
  CoverFieldExit(context, form, "C907");
  EXPECT_EQ(form.remembered[kTypeName], -1);
}

TEST(EditFilters, TypedCharactersPerField) {
  struct Case {
    const char* field;
    char32_t ch;
    bool accepted;
  } cases[] = {
      {"c902", U'\'', false}, {"c902", U'"', false}, {"c902", U'`', false}, {"c902", U'工', true},
      {"c902", kBackspace, true}, {"C907", U'a', true}, {"c910", U'`', false}, {"c911", U'a', false},
      {"c911", U'-', true},   {"c911", U'7', true},   {"c911", U' ', false},  {"c911", kBackspace, true},
      {"c911", U'\'', false}, {"z001", U'\'', true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CoverFieldAcceptsChar(c.field, c.ch), c.accepted) << c.field << " " << static_cast<unsigned>(c.ch);
  EXPECT_EQ(DropRefusedChars("c911", "010-1234 转5"), "010-12345");
  EXPECT_EQ(DropRefusedChars("c902", "O'Brien\"工会`"), "OBrien工会");
}

TEST(EditFilters, ValidateAndForbidRules) {
  const ValidEditRule digits = DigitsOnlyRule();
  EXPECT_TRUE(AcceptsTypedChar(digits, U'5'));
  EXPECT_FALSE(AcceptsTypedChar(digits, U'a'));
  EXPECT_FALSE(AcceptsTypedChar(digits, kEnter));
  EXPECT_TRUE(AcceptsTypedChar(digits, kEnter, true));
  const ValidEditRule nothing{TCheckType::tcValidate, U"", U""};
  EXPECT_FALSE(AcceptsTypedChar(nothing, U'0'));
  EXPECT_TRUE(AcceptsTypedChar(nothing, kBackspace));
  EXPECT_EQ(UpperCaseTyped(U'q'), U'Q');
  EXPECT_EQ(CutToCharacters("基层工会", 2), "基层");
}

TEST(EditFilters, NumberBoxTakesDigitsUpToFourteenAndSixDecimals) {
  const NumberBoxRule integer{};
  const NumberBoxRule amount{true, 0, 99999999999999};
  const NumberBoxRule flag{false, 1, 5};
  using F = NumberBoxFault;
  struct Case {
    const char* text;
    const NumberBoxRule& rule;
    NumberBoxFault fault;
    double value;
  } cases[] = {
      {"0", integer, F::None, 0},
      {"99999999999999", integer, F::None, 99999999999999.0},
      {"00000000000001", integer, F::None, 1},
      {"999999999999999", integer, F::TooManyDigits, 0},
      {"1.5", integer, F::Fraction, 0},
      {"5.", amount, F::None, 5},
      {".5", amount, F::None, 0.5},
      {"12345678.123456", amount, F::None, 12345678.123456},
      {"1.1234567", amount, F::TooManyDecimals, 0},
      {"1.2.3", amount, F::NotDigits, 0},
      {".", amount, F::NotDigits, 0},
      {"", integer, F::NotDigits, 0},
      {"-1", integer, F::NotDigits, 0},
      {"1e3", integer, F::NotDigits, 0},
      {"nan", amount, F::NotDigits, 0},
      {"１", integer, F::NotDigits, 0},
      {"5", flag, F::None, 5},
      {"6", flag, F::AboveMaximum, 0},
      {"05", flag, F::TooLong, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    double value = -1;
    EXPECT_EQ(CheckNumberBoxText(c.text, c.rule, value), c.fault);
    if (c.fault == F::None) {
      EXPECT_EQ(value, c.value);
    }
  }
}


// The code rule of the range boxes and the command line, against texts a number parser would take.
TEST(UnitCodeText, DigitsOnlyAndAtMostTwelveAfterLeadingZeros) {
  const std::string digits400(400, '9');
  struct Case {
    std::string text;
    bool code;
  } cases[] = {
      {"1", true},          {"110101000001", true}, {"000110101000001", true}, {"0", true},
      {"999999999999", true}, {"1101010000011", false}, {digits400, false},     {"", false},
      {"inf", false},       {"nan", false},         {"1e5", false},            {"-3", false},
      {"+3", false},        {" 5", false},          {"5 ", false},             {"0x1F", false},
      {"1.5", false},       {"１２", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(records::IsCodeText(c.text), c.code);
  }
}

}  // namespace
}  // namespace velmora::entry
