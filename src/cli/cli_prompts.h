#pragma once
// The one prompts class of the command line. Questions are answered "no" and no file is chosen (as
// `ConsolePrompts` does); what differs between verbs is where messages go and what becomes of a
// document the core would open, and those are settings of this class.

#include <iosfwd>
#include <string>

#include "core/prompts/user_prompts.h"

namespace velmora::cli {

class CliPrompts : public ConsolePrompts {
 public:
  // Where the core's messages go.
  enum class Messages {
    Split,     // information to standard output, warnings and errors to standard error
    AllToErr,  // every message to standard error, so that standard output holds only the verb's result
    Console,   // the text as it is on the process's standard error (the console default)
  };
  // What becomes of a document the core would open for the user.
  enum class Documents {
    Named,    // "report: <path>" on standard output
    Ignored,  // nothing is printed
    Console,  // the path as it is on the process's standard error (the console default)
  };
  struct Settings {
    Messages messages = Messages::Split;
    Documents documents = Documents::Ignored;
  };

  CliPrompts(std::ostream& out, std::ostream& err, Settings settings);

  // Each message on one line (see OneLine), but for Messages::Console.
  void message(const std::string& text, MessageKind kind, const std::string& title = {}) override;
  bool openDocument(const std::string& path) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
  Settings settings_;
};

}  // namespace velmora::cli
