#include <gtest/gtest.h>

#include "core/settings/settings.h"

namespace velmora::settings {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PreferredIme = "left over";
    InputWindowStyle = true;
  }
  MemorySettingsStore store;
  ScopedStore installed{store};
};

TEST_F(SettingsTest, ReadsGiveTheDefaultForAbsentEmptyOrMistypedValues) {
  store.write(kProgramRoot, kDataKey, "c910", std::string("张三"));
  store.write(kProgramRoot, kDataKey, "c911", std::string(""));
  store.write(kProgramRoot, kProgramKey, "ShowGrid", 0);
  store.write(kProgramRoot, kEnvSettingKey, "AppLastCity", std::string("110101"));
  store.write(kProgramRoot, kDataKey, "CheckBox1", true);

  struct StringCase {
    const char* name;
    std::string key;
    RegRoot root;
    const char* expected;
  };
  const StringCase strings[] = {
      {"c910", kDataKey, kProgramRoot, "张三"},
      {"c911", kDataKey, kProgramRoot, "缺省"},                     // empty value
      {"c912", kDataKey, kProgramRoot, "缺省"},                     // absent value
      {"c910", kEnvSettingKey, kProgramRoot, "缺省"},               // another key
      {"c910", "\\SOFTWARE\\Tarnwick\\Nothing", kProgramRoot, "缺省"},  // absent key
      {"c910", kDataKey, RegRoot::LocalMachine, "缺省"},            // the other root
  };
  for (const auto& c : strings)
    EXPECT_EQ(RegReadString(c.name, "缺省", c.root, c.key), c.expected) << c.name << " " << c.key;

  struct IntegerCase {
    const char* name;
    std::string key;
    int expected;
  };
  const IntegerCase integers[] = {
      {"ShowGrid", kProgramKey, 0},
      {"ShowGrid", kDataKey, 7},          // absent in that key
      {"AppLastCity", kEnvSettingKey, 7},  // text, even if it holds a number
      {"c910", kDataKey, 7},               // text
      {"CheckBox1", kDataKey, 1},          // booleans are integer data
      {"AppTyp", "\\SOFTWARE\\Nowhere", 7},
  };
  for (const auto& c : integers)
    EXPECT_EQ(RegReadInteger(c.name, 7, kProgramRoot, c.key), c.expected) << c.name << " " << c.key;
}

TEST_F(SettingsTest, ReadingTextFromANumberIsAnError) {
  RegWriteInteger("ShowGrid", 1);
  EXPECT_THROW(RegReadString("ShowGrid", ""), SettingsError);
  RegWriteBool("CheckBox1", false, kProgramRoot, kDataKey);
  EXPECT_THROW(RegReadString("CheckBox1", "", kProgramRoot, kDataKey), SettingsError);
}

TEST_F(SettingsTest, WritersKeepTheValueTypeAndKeysIgnoreCaseAndBackslashes) {
  RegWriteString("c910", "李四", kProgramRoot, kDataKey);
  RegWriteBool("CheckBox1", true, kProgramRoot, kDataKey);
  RegWriteInteger("AppLastCity", 110101, kProgramRoot, kEnvSettingKey);

  EXPECT_EQ(store.read(kProgramRoot, kDataKey, "c910"), SettingValue(std::string("李四")));
  EXPECT_EQ(store.read(kProgramRoot, kDataKey, "CheckBox1"), SettingValue(true));
  EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "AppLastCity"), SettingValue(110101));

  EXPECT_EQ(RegReadString("C910", "", kProgramRoot, "software\\tarnwick\\VELMORA\\\\data\\"), "李四");
  EXPECT_EQ(RegReadInteger("applastcity", 0, kProgramRoot, std::string(kProgramKey) + kEnvSettingSubKey), 110101);

  RegWriteInteger("AppLastCity", -3, kProgramRoot, kEnvSettingKey);  // overwrites, no second value
  EXPECT_EQ(RegReadInteger("AppLastCity", 0, kProgramRoot, kEnvSettingKey), -3);
  EXPECT_EQ(store.size(), 3u);
}

TEST_F(SettingsTest, EveryStartWithoutAVersionWritesTheFirstRunValues) {
  for (int start = 0; start < 2; ++start) {
    RegWriteString("ServicePack", "SP9");   // changed in between: written again
    RegWriteString("ImePrefer", "搜狗拼音输入法", kProgramRoot, kEnvSettingKey);
    PreferredIme = "left over";

    InitRegistrySettings("Velmora", "/opt/velmora");

    EXPECT_EQ(RegReadString("ServicePack", ""), "None");
    std::string folder = RegReadString("FilePath", "");
    EXPECT_TRUE(folder == "/opt/velmora/" || folder == "/opt/velmora\\") << folder;
    EXPECT_EQ(RegReadInteger("AppTyp", -1), 0);
    EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "ImePrefer"), SettingValue(std::string()));
    EXPECT_EQ(store.read(kProgramRoot, kEnvSettingKey, "InputWndStyle"), SettingValue(0));
    EXPECT_FALSE(store.read(kProgramRoot, kProgramKey, "Version").has_value());
    EXPECT_EQ(PreferredIme, "");
    EXPECT_FALSE(InputWindowStyle);
  }
  // a folder that already ends in a separator keeps just that one
  InitRegistrySettings("Velmora", "C:\\Velmora\\");
  EXPECT_EQ(RegReadString("FilePath", ""), "C:\\Velmora\\");
}

TEST_F(SettingsTest, WithAVersionTheChosenInputMethodSurvivesRestarts) {
  RegWriteString("Version", "1.0");
  RegWriteString("ImePrefer", "搜狗拼音输入法", kProgramRoot, kEnvSettingKey);
  RegWriteInteger("InputWndStyle", 2, kProgramRoot, kEnvSettingKey);

  InitRegistrySettings("Velmora", "/opt/velmora");
  EXPECT_EQ(PreferredIme, "搜狗拼音输入法");
  EXPECT_TRUE(InputWindowStyle);
  EXPECT_FALSE(store.read(kProgramRoot, kProgramKey, "ServicePack").has_value());

  RegWriteInteger("InputWndStyle", 0, kProgramRoot, kEnvSettingKey);
  InitRegistrySettings("Velmora", "/opt/velmora");
  EXPECT_EQ(PreferredIme, "搜狗拼音输入法");
  EXPECT_FALSE(InputWindowStyle);

  // an empty "Version" counts as absent: first run again
  RegWriteString("Version", "");
  InitRegistrySettings("Velmora", "/opt/velmora");
  EXPECT_EQ(PreferredIme, "");
  EXPECT_EQ(RegReadString("ServicePack", ""), "None");
}

TEST_F(SettingsTest, TheImportPrincipleChosenBeforeIsReadAtEveryStart) {
  struct Case {
    const char* name;
    const char* version;  // "" : none recorded, a first run
    int stored;           // -1: no value
    bool expected;
  };
  const std::vector<Case> cases{
      {"skip the failing records", "1.0", 1, true},
      {"give everything up", "1.0", 0, false},
      {"never chosen", "1.0", -1, false},
      {"a first run", "", 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store.clear();
    if (*c.version) RegWriteString("Version", c.version);
    if (c.stored >= 0) RegWriteInteger(kImportPrincipleValue, c.stored, kProgramRoot, kEnvSettingKey);
    ImportPrincipleFlag = !c.expected;
    InitRegistrySettings("Velmora", "/opt/velmora");
    EXPECT_EQ(ImportPrincipleFlag, c.expected);
  }
  ImportPrincipleFlag = false;
  PreferredIme.clear();
}

TEST_F(SettingsTest, AProgramThatInstallsItselfWritesItsVersionOnceAndKeepsTheChoice) {
  InitRegistrySettings("Velmora", "/opt/velmora", "1.0");
  EXPECT_EQ(RegReadString("Version", ""), "1.0");
  EXPECT_EQ(RegReadString("ServicePack", ""), "None");
  RegWriteString("ImePrefer", "搜狗拼音输入法", kProgramRoot, kEnvSettingKey);
  RegWriteString("ServicePack", "SP1");
  InitRegistrySettings("Velmora", "/opt/velmora", "1.0");
  EXPECT_EQ(PreferredIme, "搜狗拼音输入法");
  EXPECT_EQ(RegReadString("ServicePack", ""), "SP1");  // no first run again
  // "000" is the absent version, never one to record
  RegWriteString("Version", "");
  InitRegistrySettings("Velmora", "/opt/velmora", "000");
  EXPECT_EQ(RegReadString("Version", "absent"), "absent");
  PreferredIme.clear();
}

TEST_F(SettingsTest, TheProductKeyNameChoosesTheKey) {
  InitRegistrySettings("Other", "/opt/other");
  EXPECT_EQ(RegReadString("ServicePack", "", kProgramRoot, "\\SOFTWARE\\Tarnwick\\Other"), "None");
  EXPECT_EQ(RegReadString("ServicePack", "absent"), "absent");
}

TEST(SettingsGroups, KeysMapToGroupsOfTheUsersSettings) {
  struct Case {
    RegRoot root;
    const char* key;
    const char* group;
  };
  const Case cases[] = {
      {RegRoot::CurrentUser, "\\SOFTWARE\\Tarnwick\\Velmora", ""},
      {RegRoot::LocalMachine, "\\SOFTWARE\\Tarnwick\\Velmora", ""},
      {RegRoot::LocalMachine, "\\SOFTWARE\\Tarnwick\\Velmora\\Options\\EnvSetting", "Options/EnvSetting"},
      {RegRoot::CurrentUser, "software\\TARNWICK\\velmora\\Data\\", "Data"},
      {RegRoot::CurrentUser, "\\SOFTWARE\\Tarnwick\\VelmoraX", "Keys/CurrentUser/SOFTWARE/Tarnwick/VelmoraX"},
      {RegRoot::CurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
       "Keys/CurrentUser/Software/Microsoft/Windows/CurrentVersion/Explorer/User Shell Folders"},
      {RegRoot::LocalMachine, "\\SOFTWARE\\Tarnwick", "Keys/LocalMachine/SOFTWARE/Tarnwick"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsGroupFor(c.root, c.key), c.group) << c.key;
}

TEST(SettingsStores, AScopedStoreIsUsedWhileItLivesAndThePreviousOneAfterwards) {
  MemorySettingsStore outer, inner;
  ScopedStore useOuter(outer);
  {
    ScopedStore useInner(inner);
    RegWriteInteger("ShowGrid", 0);
  }
  RegWriteInteger("ShowGrid", 1);
  EXPECT_EQ(inner.read(kProgramRoot, kProgramKey, "ShowGrid"), SettingValue(0));
  EXPECT_EQ(outer.read(kProgramRoot, kProgramKey, "ShowGrid"), SettingValue(1));
  EXPECT_EQ(&CurrentStore(), &outer);
}

}  // namespace
}  // namespace velmora::settings
