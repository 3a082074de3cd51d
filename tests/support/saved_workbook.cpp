#include "support/saved_workbook.h"

#include <zip.h>

#include <pugixml.hpp>
#include <stdexcept>

namespace velmora::testing {

namespace {

std::string ReadEntry(zip_t* archive, const char* name) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive, name, 0, &stat) != 0) throw std::runtime_error(std::string("no part ") + name);
  zip_file_t* file = zip_fopen(archive, name, 0);
  if (!file) throw std::runtime_error(std::string("cannot open part ") + name);
  std::string bytes(stat.size, '\0');
  const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
  zip_fclose(file);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) throw std::runtime_error(std::string("short part ") + name);
  return bytes;
}

pugi::xml_document Parse(const std::string& bytes, const char* name) {
  pugi::xml_document doc;
  if (!doc.load_buffer(bytes.data(), bytes.size())) throw std::runtime_error(std::string("bad XML in ") + name);
  return doc;
}

std::string BuiltInFormat(int id) {
  static const std::map<int, std::string> known = {{0, ""}, {1, "0"}, {2, "0.00"}, {3, "#,##0"}, {4, "#,##0.00"},
                                                   {14, "m/d/yyyy"}, {49, "@"}};
  auto found = known.find(id);
  return found == known.end() ? "#" + std::to_string(id) : found->second;
}

}  // namespace

const SavedCell* SavedWorkbook::cell(const std::string& reference) const {
  for (const SavedCell& c : cells)
    if (c.reference == reference) return &c;
  return nullptr;
}

SavedWorkbook ReadSavedWorkbook(const std::filesystem::path& file) {
  int error = 0;
  zip_t* archive = zip_open(file.string().c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) throw std::runtime_error("not a package: " + file.string());
  SavedWorkbook saved;
  try {
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
      saved.entries.push_back(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0));

    const auto book = Parse(ReadEntry(archive, "xl/workbook.xml"), "workbook");
    saved.sheetName = book.child("workbook").child("sheets").child("sheet").attribute("name").value();

    const auto styles = Parse(ReadEntry(archive, "xl/styles.xml"), "styles");
    const auto sheet = styles.child("styleSheet");
    std::map<int, std::string> codes;
    for (auto f : sheet.child("numFmts").children("numFmt"))
      codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
    std::vector<std::pair<bool, double>> fonts;
    for (auto f : sheet.child("fonts").children("font"))
      fonts.emplace_back(static_cast<bool>(f.child("b")), f.child("sz").attribute("val").as_double());
    std::vector<SavedStyle> xfs;
    for (auto xf : sheet.child("cellXfs").children("xf")) {
      SavedStyle s;
      const int id = xf.attribute("numFmtId").as_int();
      s.numberFormat = codes.count(id) ? codes[id] : BuiltInFormat(id);
      const auto font = static_cast<std::size_t>(xf.attribute("fontId").as_int());
      if (font < fonts.size()) std::tie(s.bold, s.size) = fonts[font];
      xfs.push_back(s);
    }
    saved.formatCount = xfs.size();
    auto styleAt = [&](int index) { return index >= 0 && static_cast<std::size_t>(index) < xfs.size() ? xfs[index] : SavedStyle{}; };

    const std::string sheetBytes = ReadEntry(archive, "xl/worksheets/sheet1.xml");
    saved.sheetPartSize = sheetBytes.size();
    const auto part = Parse(sheetBytes, "sheet");
    const auto worksheet = part.child("worksheet");
    for (auto col : worksheet.child("cols").children("col")) {
      for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c) {
        if (col.attribute("width")) saved.widths[c] = col.attribute("width").as_double();
        if (col.attribute("style")) saved.columnStyles[c] = styleAt(col.attribute("style").as_int());
      }
    }
    for (auto row : worksheet.child("sheetData").children("row")) {
      for (auto c : row.children("c")) {
        SavedCell cell;
        cell.reference = c.attribute("r").value();
        const std::string type = c.attribute("t").value();
        if (type == "s") throw std::runtime_error("shared strings are not read back");
        cell.number = (type.empty() || type == "n") && c.child("v");
        cell.value = type == "inlineStr" ? c.child("is").child("t").text().get() : c.child("v").text().get();
        cell.style = styleAt(c.attribute("s").as_int(0));
        saved.cells.push_back(cell);
      }
    }
  } catch (...) {
    zip_discard(archive);
    throw;
  }
  zip_discard(archive);
  return saved;
}

std::vector<std::string> SheetNamesOf(const std::filesystem::path& file) {
  int error = 0;
  zip_t* archive = zip_open(file.string().c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) throw std::runtime_error("not a package: " + file.string());
  std::vector<std::string> names;
  try {
    const auto book = Parse(ReadEntry(archive, "xl/workbook.xml"), "workbook");
    for (auto sheet : book.child("workbook").child("sheets").children("sheet"))
      names.push_back(sheet.attribute("name").value());
  } catch (...) {
    zip_discard(archive);
    throw;
  }
  zip_discard(archive);
  return names;
}

}  // namespace velmora::testing
