// The summary sheets: a title in row 1, row 2 left free for the classification's label, the column
// headings in rows 3 to 7 and the column numbers in row 8; the summary fills rows from 9. The
// headings are written in the notation of the sheets' aggregate lists (S, Y, N, YN) and take the
// captions of the catalogue, so they follow the columns one for one.
#include <map>
#include <sstream>

#include "forms.h"
#include "source_lines.h"

namespace velmora::mktemplate {

namespace {

constexpr int kFirstHeadingRow = 3;
constexpr int kLastHeadingRow = 7;
constexpr int kNumberRow = 8;

// The fields a..b of one family in numeric order: "z001-z009".
std::vector<std::string> FieldRange(const std::string& range) {
  const auto dash = range.find('-');
  if (dash == std::string::npos) return {range};
  const std::string a = range.substr(0, dash), b = range.substr(dash + 1);
  if (a.size() != 4 || b.size() != 4 || a[0] != b[0]) return {};
  const int from = std::atoi(a.c_str() + 1), to = std::atoi(b.c_str() + 1);
  std::vector<std::string> fields;
  for (int i = from; i <= to; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "%c%03d", a[0], i);
    fields.push_back(name);
  }
  return fields;
}

}  // namespace

Workbook SummaryForm(const std::vector<CatalogueRow>& catalogue, const std::filesystem::path& layout) {
  std::map<std::string, std::string> hints;
  for (const auto& row : catalogue) hints[row.fieldName] = row.hint;
  auto hintOf = [&](const std::string& field, const SourceLine& line) {
    const auto it = hints.find(field);
    if (it == hints.end()) throw SourceError(layout, line, "no catalogue field " + field);
    return it->second;
  };

  Workbook book;
  book.title = "基层工会调查表汇总表";
  struct Pending {
    std::vector<std::string> headings;
  };
  std::vector<Pending> columns;  // per sheet
  bool cover = false;
  for (const SourceLine& line : ReadSourceLines(layout)) {
    auto [word, rest] = SplitWord(line.text);
    if (word == "cover" || word == "sheet") {
      if (rest.empty()) throw SourceError(layout, line, "the sheet needs a title");
      cover = word == "cover";
      Sheet& sheet = book.sheets.emplace_back();
      sheet.name = rest;
      sheet.landscape = true;
      columns.emplace_back();
      if (!cover) {
        sheet.printArea = false;  // the summary inserts its rows at row 9
        sheet.titleRows = kNumberRow;
      }
      continue;
    }
    if (book.sheets.empty()) throw SourceError(layout, line, "a cover or sheet line comes first");
    Sheet& sheet = book.sheets.back();
    std::vector<std::string>& headings = columns.back().headings;
    if (cover) {
      auto [rowText, text] = SplitWord(rest);
      const int row = std::atoi(rowText.c_str());
      if (word == "widths") {
        std::istringstream in(rest);
        for (double w; in >> w;) sheet.widths.push_back(w);
      } else if (row < 1) {
        throw SourceError(layout, line, "a row number is missing");
      } else if (word == "title") {
        sheet.merge(row, 1, row, std::max<int>(1, static_cast<int>(sheet.widths.size())), text, kTitle);
        sheet.heights[row] = 40;
      } else if (word == "line") {
        sheet.put(row, 2, text, kCoverLine);
        sheet.heights[row] = 24;
      } else if (word == "centre") {
        sheet.merge(row, 1, row, std::max<int>(1, static_cast<int>(sheet.widths.size())), text, kSubtitle);
      } else {
        throw SourceError(layout, line, "unknown cover line " + word);
      }
      continue;
    }
    if (word == "=") {
      auto [alias, heading] = SplitWord(rest);
      if (heading.empty()) throw SourceError(layout, line, "expected: = ALIAS HEADING");
      headings.push_back(heading);
    } else if (word == "S") {
      const auto fields = FieldRange(rest);
      if (fields.empty()) throw SourceError(layout, line, "not a field range: " + rest);
      for (const auto& f : fields) headings.push_back(hintOf(f, line));
    } else if (word == "Y" || word == "YN") {
      headings.push_back(hintOf(rest, line) + "（是）");
      if (word == "YN") headings.push_back(hintOf(rest, line) + "（否）");
    } else if (word == "N") {
      headings.push_back(hintOf(rest, line) + "（否）");
    } else {
      throw SourceError(layout, line, "unknown line " + word);
    }
  }

  for (std::size_t s = 0; s < book.sheets.size(); ++s) {
    Sheet& sheet = book.sheets[s];
    const auto& headings = columns[s].headings;
    if (headings.empty()) continue;  // the cover
    const int last = static_cast<int>(headings.size()) + 1;
    sheet.widths.assign(1, 28);
    sheet.widths.resize(static_cast<std::size_t>(last), 14);
    sheet.merge(1, 1, 1, last, sheet.name, kTitle);
    sheet.heights[1] = 36;
    sheet.heights[2] = 20;
    sheet.merge(kFirstHeadingRow, 1, kLastHeadingRow, 1, "分类", kHeading);
    sheet.put(kNumberRow, 1, "甲", kCentered);
    for (int c = 2; c <= last; ++c) {
      sheet.merge(kFirstHeadingRow, c, kLastHeadingRow, c, headings[static_cast<std::size_t>(c - 2)], kHeading);
      sheet.put(kNumberRow, c, std::to_string(c - 1), kCentered);
    }
    for (int r = kFirstHeadingRow; r <= kLastHeadingRow; ++r) sheet.heights[r] = 19;
  }
  return book;
}

}  // namespace velmora::mktemplate
