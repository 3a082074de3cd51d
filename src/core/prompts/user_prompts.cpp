#include "core/prompts/user_prompts.h"

#include <iostream>

namespace velmora {

void ConsolePrompts::message(const std::string& text, MessageKind) { std::cerr << text << "\n"; }
bool ConsolePrompts::confirm(const std::string& text) {
  std::cerr << text << " -> 否\n";
  return false;
}
Answer ConsolePrompts::ask(const std::string& text, const std::vector<Answer>& buttons) {
  std::cerr << text << "\n";
  for (Answer a : buttons)
    if (a == Answer::No || a == Answer::Cancel) return a;
  return buttons.empty() ? Answer::Cancel : buttons.back();
}
std::optional<std::string> ConsolePrompts::inputText(const std::string&, const std::string&, const std::string&) {
  return std::nullopt;
}
std::optional<std::string> ConsolePrompts::openFileName(const FileDialogRequest&) { return std::nullopt; }
std::optional<std::string> ConsolePrompts::saveFileName(const FileDialogRequest&) { return std::nullopt; }
void ConsolePrompts::openDocument(const std::string& path) { std::cerr << path << "\n"; }

}  // namespace velmora
