// The annual report form of a record: the print template filled from view_data, page by page.
#include "core/print/record_print.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "support/database.h"
#include "support/run_cli.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::print {
namespace {

namespace fs = std::filesystem;
using testing::Exec;
using testing::ScriptedPrompts;
using testing::TempDir;

constexpr const char* kCode = "110101000001";

class CountingJob : public jobs::Job {
 public:
  void start(std::int64_t total, std::int64_t) override { total_ = total, steps_ = 0, finished_ = false; }
  void step(std::int64_t count) override { steps_ += count; }
  void finish() override { finished_ = true; }
  std::int64_t total_ = -1, steps_ = 0;
  bool finished_ = false;
};

struct CatalogueCell {
  int page;
  std::string place;
  std::string field;
};

std::string CellText(const office::CellValue& value) {
  switch (value.kind) {
    case office::CellValue::Kind::Empty: return "";
    case office::CellValue::Kind::Number: return db::FormatNumber(value.number);
    case office::CellValue::Kind::Text: return value.text;
  }
  return "";
}

// The first cell of a printplace ("D5" or "D5:E5").
std::pair<int, int> FirstCell(const std::string& place) {
  const std::string first = place.substr(0, place.find(':'));
  size_t i = 0;
  int column = 0;
  while (i < first.size() && std::isalpha(static_cast<unsigned char>(first[i])))
    column = column * 26 + (std::toupper(static_cast<unsigned char>(first[i++])) - 'A' + 1);
  return {std::stoi(first.substr(i)), column};
}

class RecordPrintTest : public ::testing::Test {
 protected:
  RecordPrintTest()
      : database(dir.copyOfShipped()),
        connection(testing::ConnectionTo(database)),
        templatePath(testing::ProgramDir() / kPrintTemplateName) {}

  void StoreRecord() {
    Exec(connection,
         "insert into dt_data (c901, c902, c903, c904, c905, c906, c907, c912, c910, c911, z001, z002, RecordState) "
         "values (110101000001, '东城区''小店''工会', '110101', 2, 56, 159, 'G01', 1, '张三', '010-6512', 7, "
         "12345678901234, 1)");
  }

  std::vector<CatalogueCell> Cells() {
    std::vector<CatalogueCell> cells;
    for (const auto& row : testing::Rows(connection,
                                         "select printPageID, printplace, Fieldname from dt_fieldlist where printPageID "
                                         "in (select printPageID from dt_fieldlist where pageid>=0)"))
      cells.push_back({row[0].toInt(), row[1].toString(), row[2].toString()});
    return cells;
  }

  fs::path Print(const std::string& code, const std::string& name = "out.xlsx") {
    const fs::path out = dir / name;
    PrintRecordToFile(connection, job, templatePath.string(), code, out.string(), database.string());
    return out;
  }

  TempDir dir;
  fs::path database;
  db::Connection connection;
  fs::path templatePath;
  CountingJob job;
};

TEST_F(RecordPrintTest, EveryCatalogueFieldStandsAtItsPlaceAsStored) {
  StoreRecord();
  office::TemplateWorkbook printed = office::TemplateWorkbook::Open(Print(kCode).string());
  db::Statement stored(connection, "select * from view_data where c901=110101000001");
  ASSERT_TRUE(stored.step());
  const std::vector<CatalogueCell> cells = Cells();
  ASSERT_GT(cells.size(), 140u);
  for (const CatalogueCell& cell : cells) {
    const auto [row, column] = FirstCell(cell.place);
    const std::string expected = stored.value(stored.findColumn(cell.field)).toString();
    EXPECT_EQ(CellText(printed.sheet(cell.page).value(row, column)), expected) << cell.field << " " << cell.place;
  }
  // Codes keep their digits as text; a 14-digit figure stays exact; an apostrophe stands as typed.
  auto at = [&](const std::string& field) {
    for (const CatalogueCell& cell : cells)
      if (cell.field == field) {
        const auto [row, column] = FirstCell(cell.place);
        return printed.sheet(cell.page).value(row, column);
      }
    return office::CellValue::Text("<no cell>");
  };
  EXPECT_EQ(at("c901"), office::CellValue::Text(kCode));
  EXPECT_EQ(at("c911"), office::CellValue::Text("010-6512"));
  EXPECT_EQ(at("z002"), office::CellValue::Number(12345678901234.0));
  EXPECT_EQ(at("c902"), office::CellValue::Text("东城区'小店'工会"));
  EXPECT_EQ(job.total_, job.steps_);
  EXPECT_EQ(job.total_, testing::Scalar(connection, "select count(distinct printPageID) from dt_fieldlist where pageid>=0")
                            .toInt64());
  EXPECT_TRUE(job.finished_);
}

TEST_F(RecordPrintTest, ARecordNotStoredFillsEveryCellEmpty) {
  StoreRecord();
  office::TemplateWorkbook printed = office::TemplateWorkbook::Open(Print("220101000001").string());
  for (const CatalogueCell& cell : Cells()) {
    const auto [row, column] = FirstCell(cell.place);
    EXPECT_EQ(printed.sheet(cell.page).value(row, column), office::CellValue::Empty()) << cell.field;
  }
}

TEST_F(RecordPrintTest, ARowOutsideTheFormIsWrittenOnAPageOthersBringIn) {
  StoreRecord();
  // pageid -1 on page 2 (brought in by the survey rows) is written; on page 99 it brings in nothing.
  Exec(connection,
       "insert into dt_fieldlist (id, Fieldname, pageid, printPageID, printplace) values (9001, 'z001', -1, 2, 'H60');"
       "insert into dt_fieldlist (id, Fieldname, pageid, printPageID, printplace) values (9002, 'z002', -1, 99, 'A1')");
  office::TemplateWorkbook printed = office::TemplateWorkbook::Open(Print(kCode).string());
  EXPECT_EQ(printed.sheet(2).value(60, 8), office::CellValue::Number(7));
}

TEST_F(RecordPrintTest, TheLastSheetIsAutoFittedAndTheFirstIsActiveFromTheList) {
  StoreRecord();
  const fs::path out = Print(kCode);
  office::TemplateWorkbook printed = office::TemplateWorkbook::Open(out.string());
  EXPECT_EQ(printed.activeSheet(), 1);
  const int last = testing::Scalar(connection, "select max(printPageID) from dt_fieldlist where pageid>=0").toInt();
  // The sheet part read straight from the package: columns 1 to 4 carry a width of their own.
  int error = 0;
  zip_t* zip = zip_open(out.c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(zip, nullptr);
  const std::string part = "xl/worksheets/sheet" + std::to_string(last) + ".xml";
  zip_stat_t stat;
  ASSERT_EQ(zip_stat(zip, part.c_str(), 0, &stat), 0) << part;
  std::string xml(stat.size, '\0');
  zip_file_t* file = zip_fopen(zip, part.c_str(), 0);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(zip_fread(file, xml.data(), xml.size()), static_cast<zip_int64_t>(xml.size()));
  zip_fclose(file);
  zip_close(zip);
  for (int column = 1; column <= 4; ++column) {
    const std::string col = "min=\"" + std::to_string(column) + "\"";
    const size_t at = xml.find(col);
    ASSERT_NE(at, std::string::npos) << "column " << column;
    EXPECT_NE(xml.substr(at, xml.find("/>", at) - at).find("customWidth=\"1\""), std::string::npos) << column;
  }
}

TEST_F(RecordPrintTest, TheEntryFormLeavesTheLastFilledSheetActive) {
  StoreRecord();
  office::TemplateWorkbook workbook = office::TemplateWorkbook::Open(templatePath.string());
  FillRecordPrint(connection, workbook, kCode, PrintOrigin::EntryForm, job);
  EXPECT_EQ(workbook.activeSheet(),
            testing::Scalar(connection, "select max(printPageID) from dt_fieldlist where pageid>=0").toInt());
}

TEST_F(RecordPrintTest, AFaultyCatalogueRowIsTheGeneralErrorAndNothingIsSaved) {
  StoreRecord();
  struct Case {
    const char* what;
    const char* sql;
  } cases[] = {
      {"empty place", "update dt_fieldlist set printplace='' where Fieldname='z003'"},
      {"no row number", "update dt_fieldlist set printplace='ZZZ' where Fieldname='z003'"},
      {"row 0", "update dt_fieldlist set printplace='C0' where Fieldname='z003'"},
      {"open range", "update dt_fieldlist set printplace='A1:' where Fieldname='z003'"},
      {"page beyond the sheets", "update dt_fieldlist set printPageID=30 where Fieldname='z003'"},
      {"no such column", "update dt_fieldlist set Fieldname='nosuch' where Fieldname='z003'"},
  };
  for (const Case& c : cases) {
    TempDir scratch;
    const fs::path copy = scratch / "case.mdb";
    fs::copy_file(database, copy);
    db::Connection caseConnection(testing::ConnectionTo(copy));
    Exec(caseConnection, c.sql);
    // The command line's way: the error text, no file.
    const fs::path out = scratch / "out.xlsx";
    try {
      PrintRecordToFile(caseConnection, job, templatePath.string(), kCode, out.string(), copy.string());
      ADD_FAILURE() << c.what << ": printed";
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind("运行中发生错误：", 0), 0u) << c.what << ": " << e.what();
    }
    EXPECT_FALSE(fs::exists(out)) << c.what;
    // The window's way: the message, the progress hidden, nothing saved or opened.
    ScriptedPrompts prompts;
    job.finished_ = false;
    const auto saved = PrintRecordThroughTemplate(caseConnection, prompts, job, templatePath.string(),
                                                  scratch.path().string(), kCode, PrintOrigin::MainWindow);
    EXPECT_FALSE(saved) << c.what;
    EXPECT_TRUE(job.finished_) << c.what;
    EXPECT_TRUE(prompts.openedDocuments.empty()) << c.what;
    EXPECT_EQ(prompts.lastMessage().rfind("运行中发生错误：", 0), 0u) << c.what;
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
      if (entry.path().extension() == ".xlsx" || entry.path().filename().string().front() == '~')
        left.push_back(entry.path());
    EXPECT_TRUE(left.empty()) << c.what << ": " << (left.empty() ? "" : left.front().string());
  }
}

TEST_F(RecordPrintTest, ATemplateThatCannotBeOpenedIsToldAsSuch) {
  StoreRecord();
  const fs::path zipWithoutWorkbook = dir / "nobook.xltx";
  {
    int error = 0;
    zip_t* zip = zip_open(zipWithoutWorkbook.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    const char text[] = "hello";
    zip_source_t* source = zip_source_buffer(zip, text, sizeof text - 1, 0);
    zip_file_add(zip, "readme.txt", source, ZIP_FL_OVERWRITE);
    zip_close(zip);
  }
  testing::WriteFileBytes(dir / "empty.xltx", "");
  testing::WriteFileBytes(dir / "text.xltx", "这不是工作簿\r\n");
  for (const fs::path& bad : {dir / "missing.xltx", dir / "empty.xltx", dir / "text.xltx", zipWithoutWorkbook}) {
    ScriptedPrompts prompts;
    const auto saved = PrintRecordThroughTemplate(connection, prompts, job, bad.string(), dir.path().string(), kCode,
                                                  PrintOrigin::EntryForm);
    EXPECT_FALSE(saved) << bad;
    EXPECT_EQ(prompts.lastMessage().rfind(std::string(kTemplateOpenFailed) + "\n", 0), 0u) << prompts.lastMessage();
    EXPECT_THROW(PrintRecordToFile(connection, job, bad.string(), kCode, (dir / "o.xlsx").string(), database.string()),
                 office::OfficeError)
        << bad;
    EXPECT_FALSE(fs::exists(dir / "o.xlsx"));
  }
}

TEST_F(RecordPrintTest, TheWindowSavesADescriptiveNameThatNeverReplacesAnEarlierPrint) {
  StoreRecord();
  ScriptedPrompts prompts;
  const fs::path documents = dir / "文档";
  fs::create_directories(documents);
  const auto first = PrintRecordThroughTemplate(connection, prompts, job, templatePath.string(), documents.string(),
                                                kCode, PrintOrigin::MainWindow);
  const auto second = PrintRecordThroughTemplate(connection, prompts, job, templatePath.string(), documents.string(),
                                                 kCode, PrintOrigin::MainWindow);
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(fs::path(*first).filename().string().rfind(std::string("年报表-") + kCode + "-", 0), 0u) << *first;
  EXPECT_EQ(fs::path(*first).extension(), ".xlsx");
  EXPECT_TRUE(fs::exists(*first) && fs::exists(*second));
  EXPECT_EQ(prompts.openedDocuments, (std::vector<std::string>{*first, *second}));
}

TEST(CliPrint, WritesTheFormAndRefusesTheDatabaseAsItsTarget) {
  TempDir dir;
  const fs::path database = dir.copyOfShipped("unit.mdb");
  Exec(database, "insert into dt_data (c901, c902) values (110101000001, '东城区工会')");
  const std::string db = "--db " + testing::ShellQuote(database.string()) + " ";
  const fs::path out = dir / "form.xlsx";
  testing::CliResult printed = testing::RunCli(db + "print --code 110101000001 --out " + testing::ShellQuote(out.string()),
                                               dir.path());
  EXPECT_EQ(printed.code, 0) << printed.err;
  EXPECT_EQ(printed.out, "print: " + out.string() + "\n");
  EXPECT_EQ(office::TemplateWorkbook::Open(out.string()).sheet(1).value(5, 3), office::CellValue::Text(kCode));

  const std::string before = testing::ReadFileBytes(database);
  testing::CliResult refused =
      testing::RunCli(db + "print --code 110101000001 --out " + testing::ShellQuote(database.string()), dir.path());
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(testing::ReadFileBytes(database), before);
  EXPECT_EQ(testing::RunCli(db + "print --code 12a --out x.xlsx", dir.path()).code, 2);
}

}  // namespace
}  // namespace velmora::print
