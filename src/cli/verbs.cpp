// The verbs of velmora-cli.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "cli/cli_prompts.h"
#include "cli/one_line.h"
#include "cli/platform.h"
#include "cli/terminal_job.h"
#include "cli/verb_check.h"
#include "cli/verb_csv.h"
#include "cli/verb_exports.h"
#include "cli/verb_formcheck.h"
#include "cli/verb_groups.h"
#include "cli/verb_review.h"
#include "cli/verb_package.h"
#include "cli/verb_print.h"
#include "cli/verb_records.h"
#include "cli/verb_search.h"
#include "cli/verb_summary.h"
#include "core/base/error_text.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/files/atomic_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "core/settings/settings.h"

namespace velmora::cli {

namespace {

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

int Info(session::DatabaseSession& session, std::ostream& out, std::ostream& err) {
  try {
    db::Query q(session.SysADOConnection());
    q.setSql(
        "select count(*) as n, sum(iif(RecordState=0,1,0)) as s0, sum(iif(RecordState=1,1,0)) as s1, "
        "sum(iif(RecordState=2,1,0)) as s2 from dt_data");
    q.open();
    out << "label: " << OneLine(session.DatabaseLabel()) << "\n";
    out << "records: " << q["n"].asInt64() << "\n";
    out << "state0: " << q["s0"].asInt64() << "\n";
    out << "state1: " << q["s1"].asInt64() << "\n";
    out << "state2: " << q["s2"].asInt64() << "\n";
    return kOk;
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
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
  for (int i = 0; i < n; ++i) out << (i ? "\t" : "") << OneLine(st.columnName(i));
  out << "\n";
  while (st.step()) {
    for (int i = 0; i < n; ++i) out << (i ? "\t" : "") << OneLine(st.value(i).toString());
    out << "\n";
  }
}

// Every statement of the text in order, each with its result; the first failure ends the run.
int Sql(session::DatabaseSession& session, const VerbArgs& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << "usage: velmora-cli [--db FILE] sql [--] \"STATEMENT; ...\"\n";
    return kUsage;
  }
  db::Connection& c = session.SysADOConnection();
  try {
    for (const std::string& statement : db::SplitJetStatements(a.positional[0])) RunStatement(c, statement, out);
    return kOk;
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
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
                           ? (std::filesystem::path(inv.programFolder) / session::kDefaultDatabaseName).string()
                           : inv.database;
  options.replaceExisting = a.flags.count("--force") > 0;
  const files::OutputCheck where = files::CheckOutputPath(a.options.at("--out"), files::OutputKind{"数据库文件", "", true},
                                                          source, options.replaceExisting);
  if (where.verdict != files::OutputVerdict::Writable) {
    err << OneLine(where.message) << (where.verdict == files::OutputVerdict::Exists ? "（要替换它，请加 --force）" : "") << "\n";
    return kFailed;
  }
  try {
    // Long runs show how far they are when a person watches the terminal; Ctrl-C stops them.
    TerminalJob job(err, "生成记录");
    if (GenerateDatabase(source, a.options.at("--out"), options, job).cancelled) {
      err << "已停止，没有写入任何记录\n";
      return kFailed;
    }
  } catch (const std::exception& e) {
    err << base::RunErrorText(OneLine(e.what())) << "\n";
    return kFailed;
  }
  out << "records: " << records << "\n";
  return kOk;
}

}  // namespace

std::string DocumentsFolder() { return files::UserDocumentsFolder(); }

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
        err << "unknown option " << OneLine(s) << " (put -- before an argument that starts with --)\n";
        return false;
      }
      if (i + 1 >= args.size()) {
        err << "option " << OneLine(s) << " needs a value\n";
        return false;
      }
      out.options[s] = args[++i];
    } else {
      out.positional.push_back(s);
    }
  }
  return true;
}

namespace {

// Compacts the file closed, the way the main window's action does it.
int Compact(session::DatabaseSession& session) { return session.actCompress() ? kOk : kFailed; }

// The verbs: each row gives the name, the usage after it, the line of the usage text and how the
// arguments are read; a new verb is one more row.
const std::vector<VerbSpec>& VerbTable() {
  static const std::vector<VerbSpec> table = {
      {"info", "", "label, record count and records per state", VerbArgsRule::None, {}, {},
       [](VerbCall& c) { return Info(*c.session, c.out, c.err); }},
      {"sql", "[--] \"STATEMENT; ...\"", "run the statements in order, print each one's header line and rows",
       VerbArgsRule::Positional, {}, {}, [](VerbCall& c) { return Sql(*c.session, c.args, c.out, c.err); }},
      {"generate", "--records N --out FILE [--seed S] [--faulty P] [--force]",
       "write a new database holding N generated records", VerbArgsRule::NoDatabase,
       {"--records", "--out", "--seed", "--faulty"}, {"--force"},
       [](VerbCall& c) { return Generate(c.inv, c.args, c.out, c.err); }},
      {"compact", "", "compact the database file", VerbArgsRule::None, {}, {},
       [](VerbCall& c) { return Compact(*c.session); }},
      {"formcheck", "--values \"F=N,...\"", "the entry form's rules on the values (others 0)", VerbArgsRule::Own, {},
       {}, [](VerbCall& c) { return RunFormCheck(*c.session, c.inv.args, c.out, c.err); }},
      {"check", "(--all | --range LO HI | --codes C1,C2,...) [--report PATH]",
       "the logic check of the records, with its report", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunCheck(*c.session, c.inv.args, c.out, c.err); }},
      {"package", "export --out FILE.dat --label TEXT | info FILE | import FILE... [--dry-run] [--report PATH]",
       "reporting packages: write one, describe one, import packages or backups", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunPackage(*c.session, *c.prompts, c.inv.args, c.out, c.err); }},
      {"csv", "export --out FILE.csv | import FILE.csv [--report PATH]",
       "the on-line system's exchange file: write it, or read one in", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunCsv(*c.session, *c.prompts, c.inv.args, c.out, c.err); }},
      {"search", "(--range \"OP N [AND|OR OP N]\" | --indicator FIELD \"OP N\" [\"OP N\"] | --name TEXT | --code N) [--xlsx FILE | --mdb FILE]",
       "the records meeting a condition: their count and codes", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunSearch(*c.session, c.inv.args, c.out, c.err); }},
      {"summary",
       "--by industry|category|type|domain|state|group:ID [--sheets 2,6,...|all] [--out FILE.xlsx] "
       "[--compare FILE [--threshold P]]",
       "the summary workbook's figures per worksheet, the workbook itself, or its comparison with last year's file",
       VerbArgsRule::None, {"--by", "--sheets", "--out", "--compare", "--threshold"}, {},
       [](VerbCall& c) { return RunSummary(*c.session, c.args.options, c.out, c.err); }},
      {"print", "--code C901 --out FILE.xlsx", "the annual report form of one record as a workbook",
       VerbArgsRule::None, {"--code", "--out"}, {}, [](VerbCall& c) { return RunPrint(c); }},
      {"backup", "--out FILE.mdb", "copy of the database file", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunBackup(*c.session, c.inv.args, c.out, c.err); }},
      {"rules", "export --out FILE.txt|FILE.xlsx", "the entry form's rules by page, with their explanations",
       VerbArgsRule::Own, {}, {}, [](VerbCall& c) { return RunRules(*c.session, c.inv.args, c.out, c.err); }},
      {"datalist", "[--tables 1,5,...] [--range LO HI | --group-item ID] --out FILE.xlsx",
       "the data list workbook: cover columns and the chosen tables' columns", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunDataList(*c.session, c.inv.args, c.out, c.err); }},
      {"restore", "--from FILE.mdb --yes", "replace the records by those of a backup", VerbArgsRule::Own, {}, {},
       [](VerbCall& c) { return RunRestore(*c.session, *c.prompts, c.inv.args, c.out, c.err); }},
      {"groups", "list | add --name NAME --item \"TITLE,>=,LOW,<,HIGH\" ... | export --out FILE.mdb | import --from FILE.mdb",
       "custom groups: list them, add one with its items, move them to or from a transfer file", VerbArgsRule::Own,
       {}, {}, [](VerbCall& c) { return RunGroups(*c.session, *c.prompts, c.inv.args, c.out, c.err); }},
      {"import-records", "FILE.mdb [--skip-failing]", "import a file's records one by one, in one transaction",
       VerbArgsRule::Own, {}, {}, [](VerbCall& c) { return RunImportRecords(*c.session, *c.prompts, c.inv.args, c.out, c.err); }},
      {"migrate", "", "take the previous year's records into dt_data", VerbArgsRule::None, {}, {},
       [](VerbCall& c) { return RunMigrate(*c.session, *c.prompts, c.out, c.err); }},
      {"tidy", "", "set every reporting state 0 to 1", VerbArgsRule::None, {}, {},
       [](VerbCall& c) { return RunTidy(*c.session, *c.prompts, c.out); }},
      {"review", "(--reference FILE | --previous-year) [--u U] [--a A] [--c C] [--fields F1,F2,...] [--xlsx FILE] [--all]",
       "this year against last year: implausible changes by field, ordered by impact", VerbArgsRule::None,
       {"--reference", "--u", "--a", "--c", "--fields", "--xlsx"}, {"--previous-year", "--all"},
       [](VerbCall& c) { return RunReview(c); }},
      {"roster", "(--reference FILE | --previous-year) [--xlsx FILE]",
       "the units matched with last year, new this year and not reported yet", VerbArgsRule::None,
       {"--reference", "--xlsx"}, {"--previous-year"}, [](VerbCall& c) { return RunRoster(c); }},
  };
  return table;
}

}  // namespace

const std::vector<VerbSpec>& Verbs() { return VerbTable(); }

std::string UsageText() {
  // The description starts in column 38; a longer usage puts it on a line of its own.
  constexpr std::size_t kColumn = 37;
  std::string text = "usage: velmora-cli [--db FILE] VERB ...\n";
  for (const VerbSpec& verb : VerbTable()) {
    std::string line = "  " + std::string(verb.name);
    if (!verb.usage.empty()) line += " " + std::string(verb.usage);
    if (line.size() < kColumn)
      line.append(kColumn - line.size(), ' ');
    else
      line += "\n" + std::string(kColumn, ' ');
    text += line + std::string(verb.summary) + "\n";
  }
  return text;
}

int Run(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const auto& table = VerbTable();
  const auto found = std::find_if(table.begin(), table.end(), [&](const VerbSpec& v) { return v.name == inv.verb; });
  if (found == table.end()) {
    err << (inv.verb.empty() ? "" : "unknown verb " + OneLine(inv.verb) + "\n") << UsageText();
    return kUsage;
  }
  const VerbSpec& verb = *found;
  VerbArgs a;
  if (verb.rule != VerbArgsRule::Own) {
    if (!ParseVerbArgs(inv.args, verb.options, a, err, verb.flags)) return kUsage;
    if (verb.rule == VerbArgsRule::None && !a.positional.empty()) {
      err << UsageText();
      return kUsage;
    }
  }
  VerbCall call{inv, a, nullptr, nullptr, out, err};
  if (verb.rule == VerbArgsRule::NoDatabase) return verb.handler(call);

  CliPrompts prompts(out, err, {CliPrompts::Messages::Split, CliPrompts::Documents::Named});
  session::DatabaseSession session(inv.programFolder, prompts);
  if (!session.OpenDatabaseNamingCause(inv.database)) return kFailed;  // the session has said which file and why
  call.session = &session;
  call.prompts = &prompts;
  return verb.handler(call);
}

int RunArgs(int argc, char** argv, std::ostream& out, std::ostream& err) {
  Invocation inv;
  inv.programFolder = ProgramFolder(argc > 0 ? argv[0] : nullptr);
  int i = 1;
  for (; i < argc; ++i) {
    std::string s = argv[i];
    if (s == "--db") {
      if (i + 1 >= argc) {
        err << UsageText();
        return kUsage;
      }
      inv.database = argv[++i];
    } else if (s == "--help" || s == "-h") {
      out << UsageText();
      return kOk;
    } else {
      break;
    }
  }
  if (i >= argc) {
    err << UsageText();
    return kUsage;
  }
  inv.verb = argv[i++];
  for (; i < argc; ++i) inv.args.emplace_back(argv[i]);
  // What killed runs left in the program folder and the temporary folder goes once it is stale.
  files::RemoveStaleWorkFilesAtStart(inv.programFolder);
  return Run(inv, out, err);
}

}  // namespace velmora::cli
