#pragma once
// The summary workbook: the template "2012基层表汇总表.xltx" filled with the figures of the one-pass
// summary for the ticked worksheets, the unticked worksheets removed, handed to the user.
//
// The workbook is filled in memory and saved once at the end, so a failure or a stop in the middle
// leaves no file behind.

#include <optional>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/jobs/job.h"
#include "core/office/template_workbook.h"
#include "core/prompts/user_prompts.h"
#include "core/summary/summary.h"

namespace velmora::summary {

inline constexpr const char* kSummaryTemplateName = "2012基层表汇总表.xltx";
inline constexpr const char* kTemplateOpenError = "打开汇总模版文件时发生错误，可能是没有安装MS Office中的Excel";
inline constexpr const char* kNothingToSummarise = "没有选中需要汇总的统计表（封面不需汇总）。";

// The template in the program's folder.
std::string SummaryTemplatePath(const std::string& programFolder);

// The worksheets of the workbook that are kept: ticked[w - 1] for worksheet w (1..20).
using SheetTicks = std::vector<bool>;

struct FilledSheet {
  int sheet = 0;  // 2..20
  int rows = 0;   // rows written from row 9 down
};

struct SummaryBook {
  office::TemplateWorkbook workbook;
  std::vector<FilledSheet> sheets;  // in worksheet order
  std::string label;                // what A2 holds: the classification's label, or the group's name
};

// Writes one worksheet's rows: the label into A2 (A3 when A2 holds text), then the rows from row 9
// down in worksheet order (a row inserted above row 9 per row after the first, so the template's
// row 9 lends its styles to every row), NULL as an empty cell, numbers as numbers. The rows are
// framed with thin lines from column A to the last heading, the ratio columns show "0.00%" (the
// cell keeps the fraction), A9:A<n+8> is left-aligned, column A auto-fitted and every other column
// widened where its wrapped heading or a figure would not fit. The job's inner level steps per row;
// false when it asked to stop.
bool FillSummarySheet(office::TemplateSheet& sheet, const SummarySheetResult& result, const std::string& label,
                      jobs::Job& job = jobs::NoJob());

// A figure into its cell: NULL leaves it empty, a number is a number (a fraction as the engine
// renders it, 15 significant digits), anything else text.
void WriteFigure(office::TemplateSheet& sheet, int row, int column, const db::Variant& value);

// What A2 of a summary holds: the classification's label, or for a summary by a group the group's
// name ("分    组" for a group not found).
std::string SummaryLabel(db::Connection& connection, int classification, int groupId);

// The worksheets ticked in `ticked` (2 to 20, in order); none when nothing but the cover is ticked,
// which is then told through `prompts` ("nothing ticked" stays silent).
std::vector<int> TickedSummarySheets(const SheetTicks& ticked, UserPrompts& prompts);
// The summary template, opened; nullopt, with the reason told through `prompts`, when it cannot be
// opened or lacks a worksheet.
std::optional<office::TemplateWorkbook> OpenSummaryTemplate(const std::string& templatePath, UserPrompts& prompts);
// Deletes the unticked worksheets (the cover too when it is not ticked) and activates worksheet 1.
void KeepTickedSheets(office::TemplateWorkbook& workbook, const SheetTicks& ticked);

// The whole run: opens the template, computes the figures of the ticked worksheets 2..20 in one
// pass, fills them, deletes the unticked worksheets from the end and activates worksheet 1. The
// job's outer level counts the ticked worksheets (the pass reports its records on the inner level
// first). A summary by a group is labelled with the group's name ("分    组" for a group not
// found). nullopt without a word when nothing is ticked; nullopt, with the reason told through
// `prompts`, when only the cover is ticked and when the template cannot be opened or lacks a
// worksheet; nullopt when the job was stopped. Throws db::DbError or office::OfficeError for a
// failure in the middle; nothing is written then.
std::optional<SummaryBook> MakeSummaryWorkbook(db::Connection& connection, const std::string& templatePath,
                                               const SheetTicks& ticked, int classification, int groupId,
                                               UserPrompts& prompts, jobs::Job& job = jobs::NoJob());

// Saves the workbook in `documentsFolder` as "汇总表-<label>-<date-time>.xlsx" (the characters a
// file name cannot hold replaced) and opens it for the user. Returns the path. Throws
// office::OfficeError when it cannot be saved.
std::string ShowSummaryWorkbook(SummaryBook& book, UserPrompts& prompts, const std::string& documentsFolder);

}  // namespace velmora::summary
