#pragma once
// The review's findings and the roster as workbooks (written in one pass by the stream writer).

#include <string>

#include "core/review/year_review.h"

namespace velmora::review {

// One row per finding: code, name, survey table, field, caption, kind, last year, this year, ratio,
// score, verified and note. Throws office::OfficeError when it cannot be saved.
void WriteFindingsWorkbook(const ReviewResult& result, const std::vector<ReviewField>& fields,
                           const std::string& path);
// One row per new or missing unit: state, code, name. Throws office::OfficeError.
void WriteRosterWorkbook(const Roster& roster, const std::string& path);

// The Chinese name of a kind for the window and the workbook: "偏高", "偏低", "由零变为非零", "由非零变为零".
const char* KindCaption(FindingKind kind);

}  // namespace velmora::review
