#include "cli/verb_formcheck.h"

#include <charconv>
#include <exception>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "core/checks/form_check.h"
#include "core/db/session.h"
#include "core/prompts/user_prompts.h"

namespace velmora::cli {

namespace {

// Every message of the check goes to standard error, so that standard output holds only the rules.
class ErrorStreamPrompts : public ConsolePrompts {
 public:
  explicit ErrorStreamPrompts(std::ostream& err) : err_(err) {}
  void message(const std::string& text, MessageKind, const std::string& = {}) override { err_ << text << "\n"; }

 private:
  std::ostream& err_;
};

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  auto [p, ec] = std::from_chars(begin, text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

// "name=number" pairs separated by commas into the form's fields; false with a message.
bool ParseValues(const std::string& text, checks::FormFieldValues& fields, std::ostream& err) {
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    item = Trim(item);
    if (item.empty()) continue;
    std::size_t eq = item.find('=');
    std::string name = Trim(item.substr(0, eq));
    std::string number = eq == std::string::npos ? std::string() : Trim(item.substr(eq + 1));
    double value = 0;
    if (eq == std::string::npos || name.empty()) {
      err << "--values: \"" << item << "\" 应写作 字段=数值\n";
      return false;
    }
    if (!ParseNumber(number, value)) {
      err << "--values: " << name << " 的值 \"" << number << "\" 不是数字\n";
      return false;
    }
    if (!fields.hasField(name)) {
      err << "--values: 表单上没有字段 " << name << "\n";
      return false;
    }
    if (!fields.set(name, value)) {
      err << "--values: " << name << " 不是数值字段\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int RunFormCheck(db::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--values"}, a, err) || !a.positional.empty()) {
    err << kFormCheckUsage;
    return kUsage;
  }
  ErrorStreamPrompts prompts(err);
  try {
    checks::FormFieldValues fields = checks::FormFieldValues::FromCatalogue(session.SysADOConnection());
    if (a.options.count("--values") && !ParseValues(a.options.at("--values"), fields, err)) {
      err << kFormCheckUsage;
      return kUsage;
    }
    for (const checks::FiredRule& r : checks::CheckFormValues(session.SysADOConnection(), prompts, fields))
      out << r.page << "\t" << r.focus << "\t" << r.rule << "\t" << r.explanation << "\n";
  } catch (const std::exception& e) {
    err << "运行中发生错误：" << e.what() << "\n";
    return kFailed;
  }
  return kOk;
}

}  // namespace velmora::cli
