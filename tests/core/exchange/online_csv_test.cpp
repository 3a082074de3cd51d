#include "core/exchange/online_csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/exchange/conflict_report.h"
#include "core/text/gbk_decoder.h"
#include "core/text/gbk_encoder.h"
#include "support/database.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ExchangeFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr const char* kStamp = "0123456789ABCDEF0123456789ABCDEF";

std::vector<std::string> Split(const std::string& s, const std::string& by) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = s.find(by); at != std::string::npos; at = s.find(by, start)) {
    parts.push_back(s.substr(start, at - start));
    start = at + by.size();
  }
  parts.push_back(s.substr(start));
  return parts;
}

// The file decoded by the system's iconv, as a second opinion on the GBK bytes.
std::string IconvFromGbk(const fs::path& file) {
  std::string out;
  FILE* p = popen(("iconv -f GBK -t UTF-8 '" + file.string() + "'").c_str(), "r");
  if (!p) return "iconv failed";
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  return pclose(p) == 0 ? out : "iconv failed";
}

class OnlineCsvTest : public ExchangeFixture {
 protected:
  std::string csv(const std::string& name) const { return (dir / name).string(); }
  std::string reportPath() const { return (dir / "docs" / kConflictReportName).string(); }
  std::vector<CsvColumn> columns() { return OnlineCsvColumns(upper.session->SysADOConnection()); }
  // A record of the upper office in state 1 with the given columns (others at their defaults).
  void insert(testing::Office& office, const std::map<std::string, std::string>& values) {
    std::string names, list;
    for (const auto& [k, v] : values) {
      names += (names.empty() ? "" : ",") + k;
      list += (list.empty() ? "" : ",") + v;
    }
    office.exec("insert into dt_data (" + names + ",RecordState) values (" + list + ",1)");
  }
  // The exported file of the unit's 20 records.
  std::string unitFile() {
    const std::string path = csv("unit.csv");
    WriteOnlineCsv(*unit.session, path);
    return ReadFileBytes(path);
  }
  CsvImportResult importBytes(const std::string& bytes, const std::string& name = "in.csv") {
    WriteFileBytes(dir / name, bytes);
    return ImportOnlineCsvFile(*upper.session, csv(name), kStamp);
  }
};

TEST(OnlineCsvText, CommaOrFullWidthHyphenAtMostOneOfTheTwo) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a,b－c", "a，b－c"},    // the comma wins, the hyphen stays full width
      {"－甲－乙－", "-甲-乙-"},  // only hyphens: each becomes "-"
      {",,", "，，"},
      {"平常的名称", "平常的名称"},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendOnlineCsvText(c.in, out);
    EXPECT_EQ(out, "x" + c.out) << c.in;
  }
}

TEST_F(OnlineCsvTest, CellsFollowTheRuleOfTheirColumn) {
  const struct {
    std::string column, stored, cell;
  } cases[] = {
      {"c902", "'a,b－c'", "a，b－c"},
      {"c902", "'－－'", "--"},
      {"b005", "2.5", "2.5"},
      {"b005", "3.0", "3"},
      {"b005", "-1.25", "-1.25"},
      {"b005", "NULL", "0"},
      {"z001", "NULL", "0"},
      {"z001", "12345678901234", "12345678901234"},
      {"z001", "7.0", "7"},
      {"c910", "NULL", ""},
      {"c901", "110101000001", "110101000001"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::map<std::string, std::string> values{{"c901", std::to_string(100000000000 + i)}, {"c902", "'x'"}};
    values[cases[i].column] = cases[i].stored;
    insert(upper, values);
  }
  WriteOnlineCsv(*upper.session, csv("cells.csv"));
  text::GbkDecoder gbk;
  const std::vector<std::string> lines = Split(gbk.Decode(ReadFileBytes(dir / "cells.csv")), "\r\n");
  ASSERT_EQ(lines.size(), std::size(cases) + 2);  // header, records, the empty rest after the last CR LF
  const std::vector<std::string> header = Split(lines[0], ",");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::vector<std::string> cells = Split(lines[i + 1], ",");
    ASSERT_EQ(cells.size(), 156u) << i;  // a comma after every cell
    EXPECT_EQ(cells.back(), "");
    const auto at = std::find(header.begin(), header.end(), cases[i].column) - header.begin();
    EXPECT_EQ(cells[static_cast<std::size_t>(at)], cases[i].cell) << cases[i].column << " " << cases[i].stored;
    EXPECT_EQ(cells[154], "1") << "RecordState is the record's own state";
  }
}

TEST_F(OnlineCsvTest, EmptyTableGivesTheHeaderOnly) {
  WriteOnlineCsv(*upper.session, csv("empty.csv"));
  std::string header;
  for (const CsvColumn& c : columns()) header += c.name + ",";
  EXPECT_EQ(ReadFileBytes(dir / "empty.csv"), header + "\r\n");
  EXPECT_EQ(std::count(header.begin(), header.end(), ','), kCsvColumns);
  EXPECT_EQ(header.rfind("c901,c902,c903,c904,c905,c906,c907,c909,c912,c910,c911,z001,", 0), 0u);
}

TEST_F(OnlineCsvTest, ThreeRecordsByteForByteInGbkWithCrLf) {
  insert(upper, {{"c901", "110101000003"}, {"c902", "'工会－甲'"}, {"c907", "'A01'"}, {"z001", "5"}, {"b005", "0.5"}});
  insert(upper, {{"c901", "110101000001"}, {"c902", "'北京,工会'"}, {"c910", "'张三'"}, {"c911", "'010-1234'"}});
  insert(upper, {{"c901", "110101000002"}, {"c902", "'乙'"}, {"s004", "14"}, {"w005", "2"}});
  std::string expectUtf8;
  for (const CsvColumn& c : columns()) expectUtf8 += c.name + ",";
  expectUtf8 += "\r\n";
  auto line = [&](std::map<std::string, std::string> cells) {
    for (const CsvColumn& c : columns()) {
      const auto f = cells.find(c.name);
      expectUtf8 += (f != cells.end() ? f->second : c.queryType == 1 ? "" : c.name == "RecordState" ? "1" : "0") + ",";
    }
    expectUtf8 += "\r\n";
  };
  // the order in which the table returns them, not sorted by code
  line({{"c901", "110101000003"}, {"c902", "工会-甲"}, {"c907", "A01"}, {"z001", "5"}, {"b005", "0.5"}});
  line({{"c901", "110101000001"}, {"c902", "北京，工会"}, {"c910", "张三"}, {"c911", "010-1234"}});
  line({{"c901", "110101000002"}, {"c902", "乙"}, {"s004", "14"}, {"w005", "2"}});
  const std::string path = csv("three");
  upper.prompts.fileAnswers.push_back(path);
  ASSERT_TRUE(ExportOnlineCsv(*upper.session, upper.prompts));
  EXPECT_EQ(upper.prompts.lastMessage(), kCsvExportedText);
  ASSERT_EQ(upper.prompts.fileRequests.size(), 1u);
  EXPECT_EQ(upper.prompts.fileRequests[0].filter, kCsvFilter);
  EXPECT_EQ(upper.prompts.fileRequests[0].title, "导出文件存放为");
  const std::string bytes = ReadFileBytes(path + ".csv");
  text::GbkEncoder gbk;
  EXPECT_EQ(bytes, gbk.Encode(expectUtf8));
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(IconvFromGbk(path + ".csv"), expectUtf8);
}

TEST_F(OnlineCsvTest, GateRefusesATemporaryOrFaultyRecordBeforeAnyDialog) {
  for (int state : {0, 2}) {
    unit.exec("update dt_data set RecordState=1");
    unit.exec("update dt_data set RecordState=" + std::to_string(state) + " where c901=(select min(c901) from dt_data)");
    unit.prompts.fileRequests.clear();
    EXPECT_FALSE(ExportOnlineCsv(*unit.session, unit.prompts)) << state;
    EXPECT_EQ(unit.prompts.lastMessage(), kCsvGateText);
    EXPECT_TRUE(unit.prompts.fileRequests.empty());
  }
}

TEST_F(OnlineCsvTest, ExportRefusesTextGbkCannotHoldAndLeavesNoFile) {
  insert(unit, {{"c901", "999999999999"}, {"c902", "'工会😀'"}});
  const fs::path path = dir / "bad.csv";
  WriteFileBytes(path, "earlier file");
  try {
    WriteOnlineCsv(*unit.session, path.string());
    FAIL() << "exported";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("999999999999"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("c902"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(path), "earlier file");
  EXPECT_EQ(Entries(dir.path()).count("bad.csv"), 1u);
  for (const std::string& n : Entries(dir.path())) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
}

TEST_F(OnlineCsvTest, ExportRefusesTheOpenDatabaseAnotherKindAndAnUnwritableFolder) {
  const fs::path notFolder = dir / "plain.txt";
  WriteFileBytes(notFolder, "x");
  const fs::path locked = dir / "locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const std::vector<std::string> paths = {
      unit.file.string(),                      // the open database
      (dir / "upper.mdb").string(),            // another database
      (notFolder / "out.csv").string(),        // a folder that cannot hold files
  };
  std::vector<std::string> all = paths;
  if (geteuid() != 0) all.push_back((locked / "out.csv").string());  // a folder without write permission
  for (const std::string& p : all) {
    const std::string before = fs::exists(p) ? ReadFileBytes(p) : "";
    EXPECT_THROW(WriteOnlineCsv(*unit.session, p), std::runtime_error) << p;
    EXPECT_EQ(fs::exists(p) ? ReadFileBytes(p) : "", before) << p;
  }
  fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(OnlineCsvTest, AllNewCodesAreImportedWithTheStampAndEveryColumnComesBack) {
  WriteFileBytes(dir / "in.csv", unitFile());
  const CsvImportResult r = ImportOnlineCsv(*upper.session, upper.prompts, csv("in.csv"), kStamp);
  ASSERT_EQ(r.status, CsvImportStatus::Imported) << r.message;
  EXPECT_EQ(r.imported, 20);
  EXPECT_EQ(upper.prompts.lastMessage(), kCsvImportedText);
  EXPECT_EQ(upper.count("select count(*) from dt_data where c900='" + std::string(kStamp) + "'"), 20);

  // every column but the row number and the stamp, row for row
  upper.exec("attach database '" + unit.file.string() + "' as unit");
  std::string same = "select count(*) from dt_data d join unit.dt_data u on u.c901 = d.c901 where 1";
  for (const std::string& col : upper.session->SysADOConnection().columnNames("dt_data"))
    if (col != "id" && col != "c900") same += " and d." + col + " is u." + col;
  EXPECT_EQ(testing::Scalar(upper.session->SysADOConnection(), same).toInt64(), 20);
}

TEST_F(OnlineCsvTest, OneStoredCodeAddsNothingAndIsReported) {
  const std::string file = unitFile();
  const std::vector<std::string> lines = Split(file, "\r\n");
  const std::vector<std::string> first = Split(lines[1], ",");
  insert(upper, {{"c901", first[0]}, {"c902", "'已有的'"}});
  WriteFileBytes(dir / "in.csv", file);
  const CsvImportResult r = ImportOnlineCsv(*upper.session, upper.prompts, csv("in.csv"), kStamp);
  ASSERT_EQ(r.status, CsvImportStatus::Conflicts) << r.message;
  EXPECT_EQ(upper.count(), 1);
  ASSERT_EQ(r.conflicts.size(), 1u);
  EXPECT_EQ(r.conflicts[0].c901, first[0]);
  ASSERT_EQ(upper.prompts.openedDocuments, std::vector<std::string>{reportPath()});
  text::GbkDecoder gbk;
  const std::string report = gbk.Decode(ReadFileBytes(reportPath()));
  text::GbkDecoder names;
  EXPECT_NE(report.find("(" + first[0] + "," + names.Decode(first[1]) + ")"), std::string::npos) << report;
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data"), 20);  // staged for the report
}

TEST_F(OnlineCsvTest, HeaderCommaCountMustBeExact) {
  const std::string file = unitFile();
  const std::size_t end = file.find("\r\n");
  const std::string header = file.substr(0, end), rest = file.substr(end);
  upper.exec("insert into dt_data_dt_data (c901,c902) values (1,'earlier')");
  for (const std::string& changed : {header.substr(0, header.size() - 1), header + ","}) {
    const CsvImportResult r = importBytes(changed + rest);
    EXPECT_EQ(r.status, CsvImportStatus::Refused);
    EXPECT_EQ(r.message.rfind(kCsvFormatText, 0), 0u) << r.message;
    EXPECT_EQ(upper.count(), 0);
    EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data"), 1);  // nothing staged
  }
}

// A valid file with one change: what it does to the file, whether it imports, and a text the
// message must hold (naming the line where there is one).
TEST_F(OnlineCsvTest, BadFilesAreRefusedWholeWithAClearMessage) {
  const std::string good = unitFile();
  text::GbkDecoder gbk;
  const std::string utf8 = gbk.Decode(good);
  auto line = [&good](int n) { return Split(good, "\r\n")[static_cast<std::size_t>(n)]; };
  auto replaceCell = [&good](int lineNo, int cell, const std::string& with) {
    std::vector<std::string> lines = Split(good, "\r\n");
    std::vector<std::string> cells = Split(lines[static_cast<std::size_t>(lineNo)], ",");
    cells[static_cast<std::size_t>(cell)] = with;
    std::string joined;
    for (std::size_t i = 0; i < cells.size(); ++i) joined += (i ? "," : "") + cells[i];
    lines[static_cast<std::size_t>(lineNo)] = joined;
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\r\n" : "") + lines[i];
    return out;
  };
  std::string lf = good;
  for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
  std::string binary("PK\x03\x04\0\0\x14\0binary\n\0\xff\xfe", 18);

  const struct {
    const char* what;
    std::string bytes;
    bool imports;
    std::string says;
  } cases[] = {
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, false, "UTF-8"},
      {"UTF-8 without BOM", utf8, false, "第2行是UTF-8"},
      {"LF line ends", lf, true, ""},
      {"a quoted cell", replaceCell(3, 1, text::GbkEncoder().Encode("\"某工会\"")), false, "第4行第2列（c902）带有引号"},
      {"unknown column", replaceCell(0, 11, "zz01"), false, "“zz01”不是可以导入的字段"},
      {"a column twice", replaceCell(0, 12, "z001"), false, "出现了两次"},
      {"10 000 characters of text", replaceCell(2, 1, std::string(10000, 'a')), false, "的字段“c902”"},
      {"10 000 digits", replaceCell(2, 11, std::string(10000, '9')), false, "第3行第12列（z001）不是整数"},
      {"empty file", "", false, "文件是空的"},
      {"cut in the middle", good.substr(0, good.find("\r\n", good.find("\r\n", good.find("\r\n") + 2) + 2) + 40),
       false, "第4行有"},
      {"binary file", binary, false, "不是文本文件"},
      {"the same code twice", good + line(5) + "\r\n", false, "第22行"},
      {"non-numeric number", replaceCell(6, 20, "12a"), false, "第7行第21列"},
      {"empty first cell", replaceCell(7, 0, ""), false, "第8行第1列（c901）是空的"},
      {"an empty line between", good.substr(0, good.find("\r\n") + 2) + "\r\n" + good.substr(good.find("\r\n") + 2),
       false, "第2行是空行"},
      {"empty lines at the end", good + "\r\n\r\n", true, ""},
      {"an apostrophe in a name", replaceCell(2, 1, text::GbkEncoder().Encode("O'Brien工会")), true, ""},
  };
  for (const auto& c : cases) {
    upper.exec("delete from dt_data");
    const CsvImportResult r = importBytes(c.bytes);
    if (c.imports) {
      EXPECT_EQ(r.status, CsvImportStatus::Imported) << c.what << ": " << r.message;
      EXPECT_EQ(upper.count(), 20) << c.what;
      continue;
    }
    EXPECT_EQ(r.status, CsvImportStatus::Refused) << c.what;
    EXPECT_NE(r.message.find(c.says), std::string::npos) << c.what << ": " << r.message;
    EXPECT_NE(r.message.find("没有导入任何记录"), std::string::npos) << c.what << ": " << r.message;
    EXPECT_EQ(upper.count(), 0) << c.what;
  }
  EXPECT_EQ(upper.count("select count(*) from dt_data where c902='O''Brien工会'"), 1);
}

TEST_F(OnlineCsvTest, LinesWithFewerOrMoreCellsNameTheirLine) {
  const std::string good = unitFile();
  std::vector<std::string> lines = Split(good, "\r\n");
  const struct {
    std::string change;
    std::string says;
  } cases[] = {
      {lines[3].substr(0, lines[3].size() - 2), "第5行有154个单元格"},  // the last cell and its comma gone
      {lines[3] + "5,", "第5行有156个单元格"},
      {lines[3] + "5", "第5行有156个单元格"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> changed = lines;
    changed[4] = c.change;
    std::string bytes;
    for (std::size_t i = 0; i < changed.size(); ++i) bytes += (i ? "\r\n" : "") + changed[i];
    const CsvImportResult r = importBytes(bytes);
    EXPECT_EQ(r.status, CsvImportStatus::Refused);
    EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
    EXPECT_EQ(upper.count(), 0);
  }
}

TEST_F(OnlineCsvTest, ImportWithoutAFileOrOfAMissingFileSaysSo) {
  EXPECT_EQ(ImportOnlineCsv(*upper.session, upper.prompts, "", kStamp).status, CsvImportStatus::Refused);
  EXPECT_EQ(upper.prompts.lastMessage(), kCsvNoFileText);
  const std::string missing = csv("missing.csv");
  EXPECT_EQ(ImportOnlineCsv(*upper.session, upper.prompts, missing, kStamp).status, CsvImportStatus::Refused);
  EXPECT_EQ(upper.prompts.lastMessage(), "您选择的文件名为【" + missing + "】的文件并不存在，请选择其它文件。");
  EXPECT_EQ(CompletedCsvName(" a.CSV "), "a.CSV.csv");
  EXPECT_EQ(CompletedCsvName("a.csv"), "a.csv");
}

}  // namespace
}  // namespace velmora::exchange
