// A printed annual report form as a spreadsheet program reads it: every catalogue field at its place,
// with the stored text — codes keep their digits, 14-digit figures stay exact, apostrophes stand.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "core/print/record_print.h"
#include "support/database.h"
#include "support/saved_workbook.h"
#include "support/spreadsheet_program.h"
#include "support/test_paths.h"

namespace velmora::print {
namespace {

using testing::CellOf;
using testing::TempDir;

std::pair<std::size_t, std::size_t> FirstCell(const std::string& place) {
  const std::string first = place.substr(0, place.find(':'));
  std::size_t i = 0, column = 0;
  while (i < first.size() && std::isalpha(static_cast<unsigned char>(first[i])))
    column = column * 26 + static_cast<std::size_t>(std::toupper(static_cast<unsigned char>(first[i++])) - 'A' + 1);
  return {std::stoul(first.substr(i)), column};
}

TEST(RecordPrintInterop, ASpreadsheetProgramReadsEveryFieldAsStored) {
  TempDir dir;
  const auto file = dir.copyOfShipped();
  db::Connection db(testing::ConnectionTo(file));
  testing::Exec(db,
                "insert into dt_data (c901, c902, c903, c904, c905, c906, c907, c912, c910, c911, z001, z002, b011, "
                "RecordState) values (110101000001, '东城区''小店''工会', '110101', 2, 56, 159, 'G01', 1, '张三', "
                "'0101-8888', 7, 12345678901234, 99999999999999, 1)");
  const auto saved = dir / "年报表.xlsx";
  PrintRecordToFile(db, jobs::NoJob(), (testing::ProgramDir() / kPrintTemplateName).string(), "110101000001",
                    saved.string(), file.string());

  const auto sheets = testing::SheetsAsSpreadsheetProgramReadsThem(saved);
  db::Statement stored(db, "select * from view_data where c901=110101000001");
  ASSERT_TRUE(stored.step());
  const auto rows = testing::Rows(db,
                                  "select printPageID, printplace, Fieldname from dt_fieldlist where printPageID in "
                                  "(select printPageID from dt_fieldlist where pageid>=0) order by printPageID");
  ASSERT_GT(rows.size(), 140u);
  // Sheet N is print page N: the names in workbook order, read from the package.
  const std::vector<std::string> order = testing::SheetNamesOf(saved);
  ASSERT_EQ(order.size(), sheets.size());
  int checked = 0;
  for (const auto& row : rows) {
    const int page = row[0].toInt();
    ASSERT_GE(page, 1);
    ASSERT_LE(static_cast<std::size_t>(page), order.size());
    const testing::SheetRows& sheet = sheets.at(order[static_cast<std::size_t>(page) - 1]);
    const auto [r, c] = FirstCell(row[1].toString());
    const std::string field = row[2].toString();
    const std::string expected = stored.value(stored.findColumn(field)).toString();
    EXPECT_EQ(CellOf(sheet, r, c), expected) << field << " at " << row[1].toString() << " on sheet " << page;
    ++checked;
  }
  EXPECT_GT(checked, 140);
}

}  // namespace
}  // namespace velmora::print
