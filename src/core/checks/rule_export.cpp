#include "core/checks/rule_export.h"

#include <stdexcept>

#include "core/base/error_text.h"
#include "core/checks/catalogue_hints.h"
#include "core/checks/rule_text.h"
#include "core/db/query.h"
#include "core/files/atomic_file.h"
#include "core/files/gbk_line_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/office/stream_workbook.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "core/text/gbk_encoder.h"

namespace velmora::checks {

namespace {

void WriteWorkbook(const std::vector<RuleListPage>& pages, const std::string& path, const std::string& openDatabase) {
  const files::OutputKind kind{"Excel文件", std::string_view("PK\x03\x04", 4), false};
  const files::OutputCheck check = files::CheckOutputPath(path, kind, openDatabase, true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  office::StreamWorkbook wb(path, "导出逻辑");
  const char* headers[] = {"页号", "页名", "判断规则", "规则说明", "变量"};
  for (int c = 0; c < 5; ++c) wb.setFont(1, c + 1, true, 10);
  for (int c = 0; c < 5; ++c) wb.setString(1, c + 1, headers[c]);
  int row = 2;
  for (const RuleListPage& page : pages) {
    for (const RuleListEntry& r : page.rules) {
      wb.setInteger(row, 1, page.page);
      wb.setString(row, 2, page.name);
      wb.setString(row, 3, r.rule);
      wb.setString(row, 4, r.explanation);
      wb.setString(row, 5, r.focus);
      ++row;
    }
  }
  wb.autoFitColumns(1, 5);
  wb.save();
}

void WriteText(const std::vector<RuleListPage>& pages, const std::string& path, const std::string& openDatabase) {
  text::GbkEncoder gbk;
  const std::string signature = gbk.Encode(kRuleListTitle);
  const files::OutputKind kind{"逻辑规则文件", signature, false};
  const files::OutputCheck check = files::CheckOutputPath(path, kind, openDatabase, true);
  if (check.verdict != files::OutputVerdict::Writable) throw std::runtime_error(check.message);
  files::AtomicFile out(path, "~vml", openDatabase);
  out.open();
  files::GbkLineFile lines(out);
  for (const std::string& line : RuleListLines(pages)) lines.line(line);
  lines.close();
  out.commit();
}

}  // namespace

std::vector<RuleListPage> ReadRuleList(db::Connection& connection, RuleTextFormatter& formatter) {
  std::vector<RuleListPage> pages;
  db::Query sheets(connection);
  sheets.setSql("select Codeid, CodeName from ct_sheetName where Codeid>0 order by Codeid asc");
  sheets.open();
  for (sheets.first(); !sheets.eof(); sheets.next()) {
    RuleListPage page;
    page.page = sheets.fieldByName("Codeid").asInteger();
    page.name = sheets.fieldByName("CodeName").asString();
    db::Query rows(connection);
    rows.setSql("select expression, rule, explain, focus, page_id from dt_logic where page_id=" +
                std::to_string(page.page) + " order by id");
    rows.open();
    for (rows.first(); !rows.eof(); rows.next()) {
      page.rules.push_back({rows.fieldByName("rule").asString(),
                            formatter.FormatRuleText(rows.fieldByName("explain").asString()),
                            rows.fieldByName("focus").asString()});
    }
    pages.push_back(std::move(page));
  }
  return pages;
}

std::vector<std::string> RuleListLines(const std::vector<RuleListPage>& pages) {
  std::vector<std::string> lines{kRuleListTitle, ""};
  std::size_t count = 0;
  for (const RuleListPage& page : pages) {
    lines.push_back(page.name + "（共" + std::to_string(page.rules.size()) + "条）");
    lines.push_back(std::string(80, '-'));
    for (const RuleListEntry& r : page.rules) {
      lines.push_back("  判断规则：" + r.rule);
      lines.push_back("  规则说明：" + r.explanation);
      lines.push_back("  定位变量：" + r.focus);
      lines.emplace_back();
    }
    count += page.rules.size();
    lines.emplace_back();
  }
  lines.push_back(std::string(49, '='));
  lines.push_back("共有" + std::to_string(count) + "条逻辑规则！");
  return lines;
}

void WriteRuleList(const std::vector<RuleListPage>& pages, const std::string& path, const std::string& openDatabase) {
  if (path.ends_with(".xlsx"))
    WriteWorkbook(pages, path, openDatabase);
  else
    WriteText(pages, path, openDatabase);
}

bool ExportRuleList(session::DatabaseSession& session, UserPrompts& prompts) {
  const std::string path = files::ReportPath(session.PersonalFolder(), kRuleListFileName);
  try {
    CatalogueHints hints(session.SysADOConnection());
    RuleTextFormatter formatter(hints, prompts);
    WriteRuleList(ReadRuleList(session.SysADOConnection(), formatter), path, session.DatabasePath());
  } catch (const std::exception& e) {
    prompts.message(base::PublisherErrorText(e.what()), MessageKind::Error);
    return false;
  }
  OpenForUser(prompts, path, "逻辑规则文件");
  return true;
}

}  // namespace velmora::checks
