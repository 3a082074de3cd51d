#include "core/print/record_print.h"

#include <exception>
#include <stdexcept>
#include <vector>

#include "core/base/error_text.h"
#include "core/catalogue/field_catalogue.h"
#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "core/office/hand_to_user.h"
#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "core/office/workbook_output.h"
#include "core/prompts/user_prompts.h"
#include "core/records/record_scope.h"

namespace velmora::print {

namespace {

struct PrintCell {
  std::string place;
  std::string field;
};

// The record as stored; no row when the code is not a stored record's.
class StoredRecord {
 public:
  StoredRecord(db::Connection& connection, std::string_view code)
      : statement_(connection, "select * from view_data where c901=?") {
    if (records::IsCodeText(std::string(code))) {
      statement_.bind(1, db::Variant(std::stod(std::string(code))));
      found_ = statement_.step();
    }
  }
  // The field's text; empty when there is no record or the value is null. A field the view lacks
  // is an error.
  std::string text(const std::string& field) const {
    int column = statement_.findColumn(field);
    if (column < 0) throw std::runtime_error("记录中没有字段“" + field + "”");
    if (!found_) return {};
    return statement_.value(column).toString();
  }

 private:
  mutable db::Statement statement_;
  bool found_ = false;
};

office::TemplateWorkbook OpenTemplate(const std::string& templatePath) {
  try {
    return office::TemplateWorkbook::Open(templatePath);
  } catch (const std::exception& e) {
    // The clerk is told which file could not be used and why (a damaged or crafted template).
    throw office::OfficeError(std::string(kTemplateOpenFailed) + "\n" + e.what());
  }
}

}  // namespace

void FillRecordPrint(db::Connection& connection, office::TemplateWorkbook& workbook, std::string_view code,
                     PrintOrigin origin, jobs::Job& job) {
  const std::string fieldList = catalogue::kFieldListTable;
  StoredRecord record(connection, code);
  std::vector<int> pages;
  {
    db::Statement q(connection, "select distinct printPageID from " + fieldList +
                                    " where pageid>=0 order by printPageID");
    while (q.step()) pages.push_back(q.value(0).toInt());
  }
  job.start(static_cast<std::int64_t>(pages.size()), 0);
  db::Statement cells(connection, "select printplace, Fieldname from " + fieldList + " where printPageID=?");
  int lastSheet = 0;
  for (int page : pages) {
    if (page < 1 || page > workbook.sheetCount())
      throw office::OfficeError("打印模板中没有第" + std::to_string(page) + "张工作表");
    workbook.activateSheet(page);
    office::TemplateSheet& sheet = workbook.sheet(page);
    lastSheet = page;
    cells.reset();
    cells.bind(1, db::Variant(page));
    while (cells.step()) {
      const std::string place = cells.text(0);
      const std::string field = cells.text(1);
      sheet.setRange(place, record.text(field));
    }
    job.step();
    job.processEvents(false);
  }
  if (lastSheet > 0) {
    office::TemplateSheet& last = workbook.sheet(lastSheet);
    for (int column = 1; column <= 4; ++column) last.autoFitColumn(column);
  }
  if (origin == PrintOrigin::MainWindow && workbook.sheetCount() > 0) workbook.activateSheet(1);
}

std::optional<std::string> PrintRecordThroughTemplate(db::Connection& connection, UserPrompts& prompts,
                                                      jobs::Job& job, const std::string& templatePath,
                                                      const std::string& documentsFolder, std::string_view code,
                                                      PrintOrigin origin) {
  std::optional<office::TemplateWorkbook> workbook;
  try {
    workbook.emplace(OpenTemplate(templatePath));
  } catch (const std::exception& e) {
    prompts.message(e.what(), MessageKind::Error);
    return std::nullopt;
  }
  try {
    FillRecordPrint(connection, *workbook, code, origin, job);
    job.finish();
    return office::HandToUser(*workbook, prompts, documentsFolder, "年报表-" + std::string(code), "年报表");
  } catch (const std::exception& e) {
    job.finish();
    prompts.message(base::AdministratorErrorText(e.what()), MessageKind::Error);
    return std::nullopt;
  }
}

void PrintRecordToFile(db::Connection& connection, jobs::Job& job, const std::string& templatePath,
                       std::string_view code, const std::string& outputPath, const std::string& openDatabase) {
  const files::OutputCheck where = files::CheckOutputPath(outputPath, office::kWorkbookOutput, openDatabase, true);
  if (where.verdict != files::OutputVerdict::Writable) throw std::runtime_error(where.message);
  office::TemplateWorkbook workbook = OpenTemplate(templatePath);
  try {
    FillRecordPrint(connection, workbook, code, PrintOrigin::MainWindow, job);
    workbook.save(outputPath);
  } catch (const office::OfficeError& e) {
    job.finish();
    throw office::OfficeError(base::AdministratorErrorText(e.what()));
  } catch (const std::exception& e) {
    job.finish();
    throw std::runtime_error(base::AdministratorErrorText(e.what()));
  }
  job.finish();
}

}  // namespace velmora::print
