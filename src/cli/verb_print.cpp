#include "cli/verb_print.h"

#include <exception>
#include <ostream>

#include "cli/cli.h"
#include "cli/one_line.h"
#include "cli/terminal_job.h"
#include "core/base/paths.h"
#include "core/print/record_print.h"
#include "core/records/record_scope.h"
#include "core/session/session.h"

namespace velmora::cli {

int RunPrint(VerbCall& call) {
  const auto code = call.args.options.find("--code");
  const auto out = call.args.options.find("--out");
  if (code == call.args.options.end() || out == call.args.options.end()) {
    call.err << "usage: velmora-cli [--db FILE] print --code C901 --out FILE.xlsx\n";
    return kUsage;
  }
  if (!records::IsCodeText(code->second)) {
    call.err << OneLine(records::NotACodeMessage("--code", code->second)) << "\n";
    return kUsage;
  }
  session::DatabaseSession& session = *call.session;
  const std::string templatePath =
      base::Utf8FromPath(base::PathFromUtf8(session.ProgramFolder()) / base::PathFromUtf8(print::kPrintTemplateName));
  try {
    TerminalJob job(call.err, "打印");
    print::PrintRecordToFile(session.SysADOConnection(), job, templatePath, code->second, out->second,
                             session.DatabasePath());
  } catch (const std::exception& e) {
    call.err << OneLine(e.what()) << "\n";
    return kFailed;
  }
  call.out << "print: " << OneLine(out->second) << "\n";
  return kOk;
}

}  // namespace velmora::cli
