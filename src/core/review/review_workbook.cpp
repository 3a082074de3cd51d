#include "core/review/review_workbook.h"

#include <map>

#include "core/office/stream_workbook.h"
#include "core/review/verdicts.h"

namespace velmora::review {

const char* KindCaption(FindingKind kind) {
  switch (kind) {
    case FindingKind::High: return "偏高";
    case FindingKind::Low: return "偏低";
    case FindingKind::FromZero: return "由零变为非零";
    case FindingKind::ToZero: return "由非零变为零";
  }
  return "";
}

namespace {

void Heading(office::StreamWorkbook& book, const std::vector<const char*>& captions) {
  for (std::size_t c = 0; c < captions.size(); ++c) {
    book.setFont(1, static_cast<int>(c) + 1, true, 10);
    book.setString(1, static_cast<int>(c) + 1, captions[c]);
  }
}

}  // namespace

void WriteFindingsWorkbook(const ReviewResult& result, const std::vector<ReviewField>& fields, const std::string& path) {
  std::map<std::string, const ReviewField*> byName;
  for (const ReviewField& f : fields) byName[f.name] = &f;
  office::StreamWorkbook book(path, "审核结果");
  book.setColumnNumberFormat(1, "@");
  Heading(book, {"统计编码", "单位名称", "调查表", "指标", "指标名称", "类型", "上年", "本年", "比值", "得分", "核实", "备注"});
  int row = 2;
  for (const ReviewFinding& f : result.findings) {
    const auto it = byName.find(f.field);
    const ReviewField* field = it == byName.end() ? nullptr : it->second;
    book.setString(row, 1, std::to_string(f.code));
    book.setString(row, 2, f.name);
    book.setString(row, 3, field ? field->table : std::string());
    book.setString(row, 4, f.field);
    book.setString(row, 5, field ? field->caption : std::string());
    book.setString(row, 6, KindCaption(f.kind));
    book.setNumber(row, 7, f.last);
    book.setNumber(row, 8, f.current);
    if (f.ratio) book.setNumber(row, 9, *f.ratio);
    if (f.score) book.setNumber(row, 10, *f.score);
    book.setString(row, 11, f.verified ? kVerifiedText : "");
    book.setString(row, 12, f.note);
    ++row;
  }
  book.autoFitColumns(1, 12);
  book.save();
}

void WriteRosterWorkbook(const Roster& roster, const std::string& path) {
  office::StreamWorkbook book(path, "上报情况");
  book.setColumnNumberFormat(2, "@");
  Heading(book, {"情况", "统计编码", "单位名称"});
  int row = 2;
  for (const auto& [units, caption] : {std::pair{&roster.missing, "未报"}, std::pair{&roster.added, "新增"}})
    for (const RosterUnit& u : *units) {
      book.setString(row, 1, caption);
      book.setString(row, 2, std::to_string(u.code));
      book.setString(row, 3, u.name);
      ++row;
    }
  book.autoFitColumns(1, 3);
  book.save();
}

}  // namespace velmora::review
