#pragma once
// The shipped templates and list files, each made from its readable source and the field catalogue.

#include <filesystem>
#include <string>
#include <vector>

#include "package.h"

namespace velmora::mktemplate {

// One row of dt_fieldlist as the templates use it.
struct CatalogueRow {
  std::string fieldName;
  std::string hint;
  std::string fieldType;
  int pageId = 0;
  int printPageId = 0;
  std::string printPlace;
};

// The catalogue of a built database, in ID order. Throws std::runtime_error.
std::vector<CatalogueRow> ReadCatalogue(const std::filesystem::path& database);

// The annual report form: one sheet per print page, each field's caption beside its print cell.
Workbook PrintForm(const std::vector<CatalogueRow>& catalogue, const std::filesystem::path& layout);

// The summary workbook: a cover and one sheet per summary table with the headings of its columns.
Workbook SummaryForm(const std::vector<CatalogueRow>& catalogue, const std::filesystem::path& layout);

// A GBK file with CR LF line ends from a UTF-8 source: the lines as they stand, or (checkList) each
// as a list entry "&E C text", enabled unless it is a "//" heading, checked.
void WriteGbkLines(const std::filesystem::path& source, const std::filesystem::path& out, bool checkList);

}  // namespace velmora::mktemplate
