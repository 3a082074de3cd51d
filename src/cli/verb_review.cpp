#include "cli/verb_review.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/db/variant.h"
#include "core/review/review_workbook.h"
#include "core/review/year_review.h"
#include "core/session/session.h"

namespace velmora::cli {

namespace {

inline constexpr const char* kReferenceUsage = "需要 --reference FILE（上年的数据库、备份或上报数据包）或 --previous-year（本库的上年数据表）\n";

std::optional<review::Reference> ChosenReference(const VerbArgs& args, std::ostream& err) {
  const auto file = args.options.find("--reference");
  const bool previous = args.flags.count("--previous-year") > 0;
  if ((file != args.options.end()) == previous) {
    err << kReferenceUsage;
    return std::nullopt;
  }
  if (previous) return review::Reference{review::Reference::Kind::PreviousYear, {}};
  return review::Reference{review::Reference::Kind::File, file->second};
}

// A parameter: a finite number within [low, high].
bool ReadParameter(const VerbArgs& args, const char* name, double low, double high, double& value, std::ostream& err) {
  const auto it = args.options.find(name);
  if (it == args.options.end()) return true;
  const std::string& text = it->second;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v) || v < low || v > high) {
    err << name << " " << OneLine(text) << ": 需要 " << db::FormatNumber(low) << " 到 " << db::FormatNumber(high)
        << " 之间的数\n";
    return false;
  }
  value = v;
  return true;
}

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');)
    if (!part.empty()) fields.push_back(part);
  return fields;
}

void PrintCounts(const review::Roster& roster, std::ostream& out) {
  out << "matched: " << roster.matched << "\nnew: " << roster.added.size() << "\nmissing: " << roster.missing.size()
      << "\n";
}

std::string Optional(const std::optional<double>& v) { return v ? db::FormatNumber(*v) : std::string(); }

// Runs `work`, turning what the core throws into a message and the exit code.
template <class Work>
int Guarded(std::ostream& err, Work&& work) {
  try {
    return work();
  } catch (const std::exception& e) {  // an unreadable reference (the intake names it), a field that is not one, a full disk
    err << OneLine(e.what()) << "\n";
  }
  return kFailed;
}

}  // namespace

int RunReview(VerbCall& call) {
  const auto reference = ChosenReference(call.args, call.err);
  if (!reference) return kUsage;
  review::ReviewOptions options;
  if (!ReadParameter(call.args, "--u", 0, 1, options.parameters.u, call.err) ||
      !ReadParameter(call.args, "--a", 0, 1, options.parameters.a, call.err) ||
      !ReadParameter(call.args, "--c", 0.5, 100, options.parameters.c, call.err))
    return kUsage;
  if (const auto f = call.args.options.find("--fields"); f != call.args.options.end()) options.fields = SplitFields(f->second);
  const bool all = call.args.flags.count("--all") > 0;
  return Guarded(call.err, [&] {
    TerminalJob job(call.err, "审核");
    const review::ReviewResult result = review::RunReview(*call.session, *reference, options, job);
    PrintCounts(result.roster, call.out);
    std::size_t shown = 0;
    for (const review::ReviewFinding& f : result.findings) {
      if (f.verified && !all) continue;
      ++shown;
      call.out << "finding: " << f.code << "\t" << f.field << "\t" << review::KindName(f.kind) << "\t"
               << db::FormatNumber(f.last) << "\t" << db::FormatNumber(f.current) << "\t" << Optional(f.ratio) << "\t"
               << Optional(f.score) << "\n";
    }
    for (const review::FieldResult& field : result.fields)
      if (field.skipped) call.out << "skipped: " << field.field << "\t" << *field.skipped << "\n";
    call.out << "findings: " << shown << "\n";
    if (const auto x = call.args.options.find("--xlsx"); x != call.args.options.end()) {
      review::ReviewResult written = result;
      if (!all) std::erase_if(written.findings, [](const review::ReviewFinding& f) { return f.verified; });
      review::WriteFindingsWorkbook(written, review::ReviewFields(call.session->SysADOConnection()), x->second);
      call.out << "written: " << x->second << "\n";
    }
    return kOk;
  });
}

int RunRoster(VerbCall& call) {
  const auto reference = ChosenReference(call.args, call.err);
  if (!reference) return kUsage;
  return Guarded(call.err, [&] {
    TerminalJob job(call.err, "核对上报单位");
    const review::Roster roster = review::RunRoster(*call.session, *reference, job);
    PrintCounts(roster, call.out);
    for (const auto& [units, state] : {std::pair{&roster.added, "new"}, std::pair{&roster.missing, "missing"}})
      for (const review::RosterUnit& u : *units) call.out << "unit: " << state << "\t" << u.code << "\t" << OneLine(u.name) << "\n";
    if (const auto x = call.args.options.find("--xlsx"); x != call.args.options.end()) {
      review::WriteRosterWorkbook(roster, x->second);
      call.out << "written: " << x->second << "\n";
    }
    return kOk;
  });
}

}  // namespace velmora::cli
