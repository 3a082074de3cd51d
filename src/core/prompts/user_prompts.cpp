#include "core/prompts/user_prompts.h"

#include <iostream>

namespace velmora {

std::string DefaultMessageTitle(MessageKind kind) {
  return kind == MessageKind::Information ? "提示信息" : "警告信息";
}

bool OpenForUser(UserPrompts& prompts, const std::string& path, const std::string& what) {
  if (prompts.openDocument(path)) return true;
  prompts.message("无法用系统默认的程序打开" + what + "，" + what + "已保存在：" + path, MessageKind::Warning);
  return false;
}

void ConsolePrompts::message(const std::string& text, MessageKind, const std::string&) { std::cerr << text << "\n"; }
bool ConsolePrompts::confirm(const std::string& text, const std::string&) {
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
std::vector<std::string> ConsolePrompts::openFileNames(const FileDialogRequest&) { return {}; }
bool ConsolePrompts::openDocument(const std::string& path) {
  std::cerr << path << "\n";
  return true;
}

}  // namespace velmora
