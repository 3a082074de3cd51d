// The print sheets are laid out from the catalogue: every field whose printPageID names a sheet gets
// its value cell at printplace, and the cells left of it (caption, field code, running number) as the
// sheet's "labels" line orders them. A cell claimed twice stops the build, so the catalogue and the
// layout cannot drift apart.
#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "forms.h"
#include "source_lines.h"

namespace velmora::mktemplate {

namespace {

enum class Label { kCaption, kCode, kSerial };

struct PrintSheet {
  SourceLine start;
  Sheet sheet;
  std::string title, subtitle;
  std::vector<Label> labels;
  double fieldHeight = 0;
};

// Codes and texts keep their digits: the cover's c9.. codes and every text column.
bool IsTextField(const CatalogueRow& row) {
  const std::string& f = row.fieldName;
  const bool coverCode = f.size() == 4 && f[0] == 'c' && f[1] == '9';
  return coverCode || row.fieldType.starts_with("VARCHAR") || f == "RecordState";
}

std::vector<std::string> SplitBars(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find('|', start);
    std::string part = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    const auto a = part.find_first_not_of(' ');
    const auto b = part.find_last_not_of(' ');
    parts.push_back(a == std::string::npos ? std::string() : part.substr(a, b - a + 1));
    if (bar == std::string::npos) return parts;
    start = bar + 1;
  }
}

int ColumnOf(const std::string& letters) {
  const auto cell = ParseCell(letters + "1");
  return cell ? cell->second : 0;
}

}  // namespace

Workbook PrintForm(const std::vector<CatalogueRow>& catalogue, const std::filesystem::path& layout) {
  std::map<int, PrintSheet> blocks;
  PrintSheet* current = nullptr;
  for (const SourceLine& line : ReadSourceLines(layout)) {
    auto [word, rest] = SplitWord(line.text);
    if (word == "sheet") {
      auto [number, name] = SplitWord(rest);
      const int n = std::atoi(number.c_str());
      if (n < 1 || name.empty() || blocks.contains(n)) throw SourceError(layout, line, "expected: sheet N NAME");
      current = &blocks[n];
      current->start = line;
      current->sheet.name = name;
      continue;
    }
    if (!current) throw SourceError(layout, line, "a sheet line comes first");
    Sheet& sheet = current->sheet;
    if (word == "title") {
      current->title = rest;
    } else if (word == "subtitle") {
      current->subtitle = rest;
    } else if (word == "widths") {
      std::istringstream in(rest);
      for (double w; in >> w;) sheet.widths.push_back(w);
    } else if (word == "labels") {
      std::istringstream in(rest);
      for (std::string kind; in >> kind;) {
        if (kind == "caption") current->labels.push_back(Label::kCaption);
        else if (kind == "code") current->labels.push_back(Label::kCode);
        else if (kind == "serial") current->labels.push_back(Label::kSerial);
        else throw SourceError(layout, line, "unknown label " + kind);
      }
    } else if (word == "fieldheight") {
      current->fieldHeight = std::atof(rest.c_str());
    } else if (word == "height") {
      auto [row, h] = SplitWord(rest);
      sheet.heights[std::atoi(row.c_str())] = std::atof(h.c_str());
    } else if (word == "heading" || word == "note" || word == "section") {
      auto [rowText, more] = SplitWord(rest);
      const int row = std::atoi(rowText.c_str());
      if (row < 1) throw SourceError(layout, line, "a row number is missing");
      if (word == "section") {
        // Placed once the table's columns are known.
        sheet.cells[{row, 0}] = Cell{more, kSection};
        continue;
      }
      auto [columnText, texts] = SplitWord(more);
      int column = ColumnOf(columnText);
      if (column < 1) throw SourceError(layout, line, "a column letter is missing");
      for (const std::string& text : word == "heading" ? SplitBars(texts) : std::vector<std::string>{texts})
        if (!sheet.put(row, column++, text, word == "heading" ? kHeading : kPlain))
          throw SourceError(layout, line, "the cell is taken");
    } else {
      throw SourceError(layout, line, "unknown line " + word);
    }
  }

  // Worksheet N is print page N: the pages the catalogue brings in are exactly the blocks 1..N.
  std::set<int> pages;
  for (const auto& row : catalogue)
    if (row.pageId >= 0) pages.insert(row.printPageId);
  std::set<int> numbers;
  for (const auto& [n, block] : blocks) numbers.insert(n);
  if (pages != numbers || pages.empty() || *pages.begin() != 1 || *pages.rbegin() != static_cast<int>(pages.size()))
    throw std::runtime_error(layout.string() + ": the sheets must be the catalogue's print pages 1.." +
                             std::to_string(pages.size()));

  Workbook book;
  book.title = "基层工会调查表";
  for (auto& [n, block] : blocks) {
    Sheet& sheet = block.sheet;
    const int columns = static_cast<int>(sheet.widths.size());
    if (columns < 1) throw SourceError(layout, block.start, "the sheet has no column widths");

    // The fields of this page in the order of their rows, so the running numbers follow the form.
    std::vector<std::pair<std::pair<int, int>, const CatalogueRow*>> fields;
    for (const auto& row : catalogue) {
      if (row.printPageId != n) continue;
      const auto cell = ParseCell(row.printPlace);
      if (!cell) throw std::runtime_error("print cell of " + row.fieldName + " is not a cell: " + row.printPlace);
      fields.push_back({*cell, &row});
    }
    std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    int firstLabelColumn = columns;
    int serial = 0;
    for (const auto& [cell, row] : fields) {
      const auto [r, c] = cell;
      if (c > columns) throw std::runtime_error("print cell of " + row->fieldName + " lies right of the sheet's columns");
      if (!sheet.put(r, c, "", IsTextField(*row) ? kText : kNumber))
        throw std::runtime_error("print cell of " + row->fieldName + " is taken: " + row->printPlace);
      ++serial;
      for (std::size_t i = 0; i < block.labels.size(); ++i) {
        const int column = c - 1 - static_cast<int>(i);
        if (column < 1) throw std::runtime_error("no room for the labels of " + row->fieldName);
        firstLabelColumn = std::min(firstLabelColumn, column);
        const Label kind = block.labels[i];
        const std::string text = kind == Label::kCaption ? row->hint
                                 : kind == Label::kCode  ? row->fieldName
                                                         : std::to_string(serial);
        if (!sheet.put(r, column, text, kind == Label::kCaption ? kLabel : kCentered))
          throw std::runtime_error("the label of " + row->fieldName + " falls on a taken cell " + CellName(r, column));
      }
      if (block.fieldHeight > 0) sheet.heights.emplace(r, block.fieldHeight);
    }

    // Section lines span the table, from its first labelled column to the last column.
    std::vector<std::pair<int, std::string>> sections;
    for (auto it = sheet.cells.begin(); it != sheet.cells.end();) {
      if (it->first.second == 0) {
        sections.push_back({it->first.first, it->second.text});
        it = sheet.cells.erase(it);
      } else {
        ++it;
      }
    }
    for (const auto& [r, text] : sections) {
      for (int c = firstLabelColumn; c <= columns; ++c)
        if (sheet.cells.contains({r, c})) throw std::runtime_error("the section line of row " + std::to_string(r) + " is taken");
      sheet.merge(r, firstLabelColumn, r, columns, text, kSection);
      if (block.fieldHeight > 0) sheet.heights.emplace(r, block.fieldHeight);
    }

    // Rows 1 and 2 hold the title and the subtitle alone.
    for (const auto& [key, cell] : sheet.cells)
      if (key.first <= (block.subtitle.empty() ? 1 : 2))
        throw std::runtime_error("sheet " + std::to_string(n) + ": cell " + CellName(key.first, key.second) +
                                 " lies in the title rows");

    sheet.merge(1, 1, 1, columns, block.title, kTitle);
    sheet.heights[1] = 36;
    if (!block.subtitle.empty()) sheet.merge(2, 1, 2, columns, block.subtitle, kSubtitle);
    book.sheets.push_back(std::move(sheet));
  }
  return book;
}

}  // namespace velmora::mktemplate
