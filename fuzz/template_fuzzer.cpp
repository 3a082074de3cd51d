// The template reader: the input is opened as a workbook package; the first cells of the first
// sheets are read and the workbook saved. A package is either refused (OfficeError, the text the
// user sees) or read; nothing else may escape.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const std::string path = fuzz::WriteInput("input.xltx", data, size);
  try {
    office::TemplateWorkbook book = office::TemplateWorkbook::Open(path);
    for (int s = 1; s <= std::min(book.sheetCount(), 3); ++s) {
      office::TemplateSheet& sheet = book.sheet(s);
      for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column) (void)sheet.value(row, column);
    }
    book.save((fuzz::ScratchFolder() / "output.xlsx").string());
  } catch (const office::OfficeError&) {
    // refused with a message for the user
  }
  return 0;
}
