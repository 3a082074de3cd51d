// The verbs of velmora-cli.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <unistd.h>

#include "cli/cli.h"
#include "cli/verb_check.h"
#include "cli/verb_formcheck.h"
#include "core/db/database_files.h"
#include "core/db/session.h"
#include "core/db/statement.h"
#include "core/files/output_path.h"
#include "core/db/translate.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"

namespace velmora::cli {

namespace {

const char* kUsageText =
    "usage: velmora-cli [--db FILE] VERB ...\n"
    "  info                               label, record count and records per state\n"
    "  sql [--] \"STATEMENT; ...\"          run the statements in order, print each one's header line and rows\n"
    "  generate --records N --out FILE [--seed S] [--faulty P] [--force]\n"
    "                                     write a new database holding N generated records\n"
    "  compact                            compact the database file\n"
    "  formcheck --values \"F=N,...\"       the entry form's rules on the values (others 0)\n"
    "  check (--all | --range LO HI | --codes C1,C2,...) [--report PATH]\n"
    "                                     the logic check of the records, with its report\n";

// Information from the core goes to standard output, warnings and errors to standard error;
// questions are answered "no".
class CliPrompts : public ConsolePrompts {
 public:
  CliPrompts(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void message(const std::string& text, MessageKind kind, const std::string& = {}) override {
    (kind == MessageKind::Information ? out_ : err_) << text << "\n";
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
};

bool ParseInt(const std::string& text, std::int64_t& value) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double& value) {
  try {
    std::size_t used = 0;
    value = std::stod(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

int Info(db::DatabaseSession& session, std::ostream& out, std::ostream& err) {
  try {
    db::Query q(session.SysADOConnection());
    q.setSql(
        "select count(*) as n, sum(iif(RecordState=0,1,0)) as s0, sum(iif(RecordState=1,1,0)) as s1, "
        "sum(iif(RecordState=2,1,0)) as s2 from dt_data");
    q.open();
    out << "label: " << session.DatabaseLabel() << "\n";
    out << "records: " << q["n"].asInt64() << "\n";
    out << "state0: " << q["s0"].asInt64() << "\n";
    out << "state1: " << q["s1"].asInt64() << "\n";
    out << "state2: " << q["s2"].asInt64() << "\n";
    return kOk;
  } catch (const std::exception& e) {
    err << "运行中发生错误：" << e.what() << "\n";
    return kFailed;
  }
}

// One statement: a header line and the rows, or the number of changed rows.
void RunStatement(db::Connection& c, const std::string& statement, std::ostream& out) {
  db::Statement st(c, statement);
  const int n = st.columnCount();
  if (n == 0) {
    out << "changed: " << st.run() << "\n";
    return;
  }
  for (int i = 0; i < n; ++i) out << (i ? "\t" : "") << st.columnName(i);
  out << "\n";
  while (st.step()) {
    for (int i = 0; i < n; ++i) out << (i ? "\t" : "") << st.value(i).toString();
    out << "\n";
  }
}

// Every statement of the text in order, each with its result; the first failure ends the run.
int Sql(db::DatabaseSession& session, const VerbArgs& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << "usage: velmora-cli [--db FILE] sql [--] \"STATEMENT; ...\"\n";
    return kUsage;
  }
  db::Connection& c = session.SysADOConnection();
  try {
    for (const std::string& statement : db::SplitJetStatements(a.positional[0])) RunStatement(c, statement, out);
    return kOk;
  } catch (const std::exception& e) {
    err << "运行中发生错误：" << e.what() << "\n";
    return kFailed;
  }
}

int Generate(const Invocation& inv, const VerbArgs& a, std::ostream& out, std::ostream& err) {
  std::int64_t records = 0;
  GenerateOptions options;
  auto has = [&a](const char* k) { return a.options.count(k) > 0; };
  if (!has("--records") || !has("--out") || !a.positional.empty() || !ParseInt(a.options.at("--records"), records) ||
      records < 0) {
    err << "usage: velmora-cli generate --records N --out FILE [--seed S] [--faulty P] [--force]\n";
    return kUsage;
  }
  options.records = records;
  if (has("--seed")) {
    std::int64_t seed = 0;
    if (!ParseInt(a.options.at("--seed"), seed)) {
      err << "--seed: 需要一个整数\n";
      return kUsage;
    }
    options.seed = static_cast<std::uint64_t>(seed);
  }
  if (has("--faulty")) {
    double p = 0;
    if (!ParseDouble(a.options.at("--faulty"), p) || !(p >= 0 && p <= 100)) {
      err << "--faulty: 需要 0 到 100 之间的百分数\n";
      return kUsage;
    }
    options.faultyPercent = p;
  }
  std::string source = inv.database.empty()
                           ? (std::filesystem::path(inv.programFolder) / db::kDefaultDatabaseName).string()
                           : inv.database;
  options.replaceExisting = a.flags.count("--force") > 0;
  const files::OutputCheck where = files::CheckOutputPath(a.options.at("--out"), files::OutputKind{"数据库文件", "", true},
                                                          source, options.replaceExisting);
  if (where.verdict != files::OutputVerdict::Writable) {
    err << where.message << (where.verdict == files::OutputVerdict::Exists ? "（要替换它，请加 --force）" : "") << "\n";
    return kFailed;
  }
  try {
    // Long runs show how far they are when a person watches the terminal.
    GenerateProgress progress;
    if (isatty(STDERR_FILENO)) {
      progress = [&err](std::int64_t done, std::int64_t total) {
        err << "\r生成记录 " << done << "/" << total << (done == total ? "\n" : "") << std::flush;
        return true;
      };
    }
    GenerateDatabase(source, a.options.at("--out"), options, progress);
  } catch (const std::exception& e) {
    err << "运行中发生错误：" << e.what() << "\n";
    return kFailed;
  }
  out << "records: " << records << "\n";
  return kOk;
}

}  // namespace

bool ParseVerbArgs(const std::vector<std::string>& args, const std::vector<std::string>& known, VerbArgs& out,
                   std::ostream& err, const std::vector<std::string>& flags) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& s = args[i];
    if (s == "--") {  // the end of the options: what follows is taken as it stands
      out.positional.insert(out.positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      return true;
    }
    if (std::find(flags.begin(), flags.end(), s) != flags.end()) {
      out.flags.insert(s);
      continue;
    }
    if (s.rfind("--", 0) == 0) {
      if (std::find(known.begin(), known.end(), s) == known.end()) {
        err << "unknown option " << s << " (put -- before an argument that starts with --)\n";
        return false;
      }
      if (i + 1 >= args.size()) {
        err << "option " << s << " needs a value\n";
        return false;
      }
      out.options[s] = args[++i];
    } else {
      out.positional.push_back(s);
    }
  }
  return true;
}

int Run(const Invocation& inv, std::ostream& out, std::ostream& err) {
  VerbArgs a;
  if (inv.verb == "generate") {
    if (!ParseVerbArgs(inv.args, {"--records", "--out", "--seed", "--faulty"}, a, err, {"--force"})) return kUsage;
    return Generate(inv, a, out, err);
  }
  if (inv.verb != "info" && inv.verb != "sql" && inv.verb != "compact" && inv.verb != "formcheck" &&
      inv.verb != "check") {
    err << (inv.verb.empty() ? "" : "unknown verb " + inv.verb + "\n") << kUsageText;
    return kUsage;
  }
  if (inv.verb != "formcheck" && inv.verb != "check" && !ParseVerbArgs(inv.args, {}, a, err)) return kUsage;
  if (inv.verb != "sql" && !a.positional.empty()) {
    err << kUsageText;
    return kUsage;
  }

  CliPrompts prompts(out, err);
  db::DatabaseSession session(inv.programFolder, prompts);
  if (!session.OpenDatabaseNamingCause(inv.database)) return kFailed;  // the session has said which file and why
  if (inv.verb == "info") return Info(session, out, err);
  if (inv.verb == "sql") return Sql(session, a, out, err);
  if (inv.verb == "formcheck") return RunFormCheck(session, inv.args, out, err);
  if (inv.verb == "check") return RunCheck(session, inv.args, out, err);
  // compact: the file is compacted closed, the way the main window's action does it
  if (!session.actCompress()) return kFailed;
  return kOk;
}

int RunArgs(int argc, char** argv, std::ostream& out, std::ostream& err) {
  Invocation inv;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv[0], ec);
  inv.programFolder = self.parent_path().string();
  int i = 1;
  for (; i < argc; ++i) {
    std::string s = argv[i];
    if (s == "--db") {
      if (i + 1 >= argc) {
        err << kUsageText;
        return kUsage;
      }
      inv.database = argv[++i];
    } else if (s == "--help" || s == "-h") {
      out << kUsageText;
      return kOk;
    } else {
      break;
    }
  }
  if (i >= argc) {
    err << kUsageText;
    return kUsage;
  }
  inv.verb = argv[i++];
  for (; i < argc; ++i) inv.args.emplace_back(argv[i]);
  return Run(inv, out, err);
}

}  // namespace velmora::cli
