#include "cli/verb_groups.h"

#include <charconv>
#include <ostream>

#include "cli/cli.h"
#include "cli/one_line.h"
#include "core/db/statement.h"
#include "core/exchange/reporting_package.h"
#include "core/groups/group_transfer.h"
#include "core/groups/groups.h"
#include "core/session/session.h"

namespace velmora::cli {

namespace {

bool ParseBound(const std::string& text, std::int64_t& value) {
  if (text.empty() || text.size() > 13) return false;
  for (char ch : text)
    if (ch < '0' || ch > '9') return false;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

// "TITLE,>=,LOW,<,HIGH": the title is everything before the last four fields, commas included.
bool ParseItem(const std::string& text, groups::ItemDraft& item) {
  std::vector<std::string> tail;
  std::size_t end = text.size();
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = text.rfind(',', end == 0 ? std::string::npos : end - 1);
    if (comma == std::string::npos || end == 0) return false;
    tail.insert(tail.begin(), text.substr(comma + 1, end - comma - 1));
    end = comma;
  }
  item.title = text.substr(0, end);
  item.lowSymbol = tail[0];
  item.highSymbol = tail[2];
  return ParseBound(tail[1], item.low) && ParseBound(tail[3], item.high);
}

int List(session::DatabaseSession& session, std::ostream& out) {
  for (const groups::Group& g : groups::ListGroups(session.SysADOConnection()))
    out << g.id << "\t" << OneLine(g.name) << "\t" << g.itemCount << "\n";
  return kOk;
}

int Add(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string name;
  bool named = false;
  std::vector<groups::ItemDraft> items;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if ((args[i] != "--name" && args[i] != "--item") || i + 1 >= args.size()) {
      err << kGroupsUsage;
      return kUsage;
    }
    const std::string& value = args[++i];
    if (args[i - 1] == "--name") {
      name = value;
      named = true;
      continue;
    }
    groups::ItemDraft item;
    if (!ParseItem(value, item)) {
      err << "--item " << OneLine(value) << ": 需要 \"名称,>=,下限,<,上限\"，上下限是不超过13位的非负整数\n";
      return kUsage;
    }
    items.push_back(item);
  }
  if (!named) {
    err << kGroupsUsage;
    return kUsage;
  }
  if (name.empty()) {
    err << "分组的名称不能为空\n";
    return kFailed;
  }
  if (static_cast<std::int64_t>(items.size()) > groups::kMaxItemsPerGroup) {
    err << OneLine(name) << "：" << groups::TooManyItemsText() << "\n";
    return kFailed;
  }
  for (const groups::ItemDraft& item : items)
    if (auto refused = groups::ValidateItem(item)) {
      err << OneLine(item.title) << "：" << OneLine(*refused) << "\n";
      return kFailed;
    }
  db::Connection& c = session.SysADOConnection();
  db::Transaction tx(c);
  const std::int64_t id = groups::AddGroup(c, name);
  for (const groups::ItemDraft& item : items) groups::AddItem(c, id, item);
  tx.commit();
  out << "group: " << id << "\n";
  out << "items: " << items.size() << "\n";
  return kOk;
}

int Export(session::DatabaseSession& session, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--out"}, a, err) || !a.positional.empty() || !a.options.count("--out")) {
    err << kGroupsUsage;
    return kUsage;
  }
  const std::string file = exchange::WithExtension(a.options.at("--out"), ".mdb");
  groups::ExportGroupTablesTo(session, session.DatabasePath(), file, groups::GroupTableList());
  out << OneLine(groups::ExportedText(file)) << "\n";
  return kOk;
}

int Import(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& err) {
  VerbArgs a;
  if (!ParseVerbArgs(args, {"--from"}, a, err) || !a.positional.empty() || !a.options.count("--from")) {
    err << kGroupsUsage;
    return kUsage;
  }
  // The messages, the closing one included, come through the prompts.
  const std::string file = exchange::WithExtension(a.options.at("--from"), ".mdb");
  return groups::ImportGroupTablesFrom(session, prompts, file, groups::GroupTableList()) ? kOk : kFailed;
}

}  // namespace

int RunGroups(session::DatabaseSession& session, UserPrompts& prompts, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
  if (args.empty()) {
    err << kGroupsUsage;
    return kUsage;
  }
  const std::string& what = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (what == "list" && rest.empty()) return List(session, out);
    if (what == "add") return Add(session, rest, out, err);
    if (what == "export") return Export(session, rest, out, err);
    if (what == "import") return Import(session, prompts, rest, err);
  } catch (const std::exception& e) {
    err << OneLine(e.what()) << "\n";
    return kFailed;
  }
  err << kGroupsUsage;
  return kUsage;
}

}  // namespace velmora::cli
