#include "cli/verb_formcheck.h"

#include <exception>
#include <ostream>
#include <sstream>
#include <unordered_map>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "core/base/error_text.h"
#include "core/base/text.h"
#include "core/checks/form_check.h"
#include "core/entry/edit_filters.h"
#include "core/entry/record_store.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

namespace velmora::cli {

namespace {

using BoxRules = std::unordered_map<std::string, entry::NumberBoxRule>;  // lower-case name -> rule

BoxRules NumberBoxRules(db::Connection& connection) {
  BoxRules rules;
  for (const entry::FieldBinding& b : entry::LoadFieldBindings(connection))
    rules[base::AsciiLower(b.FieldName)] = entry::NumberBoxRuleFor(b);
  return rules;
}

// Why the form's box of `name` refuses `number`, as the message says it; empty when it holds it.
std::string NumberFault(const std::string& name, const std::string& number, const entry::NumberBoxRule& rule,
                        double& value) {
  const std::string head = "--values: " + name + " 的值 \"" + number + "\" ";
  switch (entry::CheckNumberBoxText(number, rule, value)) {
    case entry::NumberBoxFault::None: return {};
    case entry::NumberBoxFault::NotDigits: return head + "不是数字（表单只接受数字" + (rule.decimals ? "和一个小数点）" : "）");
    case entry::NumberBoxFault::Fraction: return head + "有小数：" + name + " 是整数字段，不能有小数";
    case entry::NumberBoxFault::TooManyDigits: return head + "超过 14 位数字";
    case entry::NumberBoxFault::TooManyDecimals: return head + "小数超过 6 位";
    case entry::NumberBoxFault::TooLong: return head + "超过 " + std::to_string(rule.maxChars) + " 个字符";
    case entry::NumberBoxFault::AboveMaximum: return head + "大于上限 " + std::to_string(rule.maximum);
  }
  return head + "不是数字";
}

// "name=number" pairs separated by commas into the form's fields, each number as the form's box of
// that field would take it; false with a message.
bool ParseValues(const std::string& text, const BoxRules& rules, checks::FormFieldValues& fields, std::ostream& err) {
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    item = base::Trim(item, " ");
    if (item.empty()) continue;
    std::size_t eq = item.find('=');
    std::string name = base::Trim(item.substr(0, eq), " ");
    std::string number = eq == std::string::npos ? std::string() : base::Trim(item.substr(eq + 1), " ");
    if (eq == std::string::npos || name.empty()) {
      err << "--values: \"" << OneLine(item) << "\" 应写作 字段=数值\n";
      return false;
    }
    if (!fields.hasField(name)) {
      err << "--values: 表单上没有字段 " << OneLine(name) << "\n";
      return false;
    }
    if (!fields.isNumeric(name)) {
      err << "--values: " << OneLine(name) << " 不是数值字段\n";
      return false;
    }
    auto rule = rules.find(base::AsciiLower(name));
    double value = 0;
    const std::string fault =
        NumberFault(name, number, rule == rules.end() ? entry::NumberBoxRule{} : rule->second, value);
    if (!fault.empty()) {
      err << OneLine(fault) << "\n";
      return false;
    }
    fields.set(name, value);
  }
  return true;
}

}  // namespace

int RunFormCheck(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--values"}, a, err) || !a.positional.empty()) {
    err << kFormCheckUsage;
    return kUsage;
  }
  // Every message of the check goes to standard error, so that standard output holds only the rules.
  CliPrompts prompts(out, err, {CliPrompts::Messages::AllToErr, CliPrompts::Documents::Console});
  try {
    checks::FormFieldValues fields = checks::FormFieldValues::FromCatalogue(session.SysADOConnection());
    if (a.options.count("--values") &&
        !ParseValues(a.options.at("--values"), NumberBoxRules(session.SysADOConnection()), fields, err)) {
      err << kFormCheckUsage;
      return kUsage;
    }
    for (const checks::FiredRule& r : checks::CheckFormValues(session.SysADOConnection(), prompts, fields))
      out << r.page << "\t" << OneLine(r.focus) << "\t" << OneLine(r.rule) << "\t" << OneLine(r.explanation)
          << "\n";
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
    return kFailed;
  }
  return kOk;
}

}  // namespace velmora::cli
