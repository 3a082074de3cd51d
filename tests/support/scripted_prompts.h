#pragma once
// The prompts of the tests: answers are queued in advance, every message is recorded.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/prompts/user_prompts.h"

namespace velmora::testing {

class ScriptedPrompts : public UserPrompts {
 public:
  std::vector<std::string> messages;         // every text shown, in order (messages and questions)
  std::deque<bool> confirmAnswers;           // default: false when empty
  std::deque<Answer> askAnswers;             // default: Cancel when empty
  std::deque<bool> okCancelAnswers;          // true for OK; default: Cancel when empty
  std::vector<std::string> okCancelTitles;   // the title of every OK/Cancel question, in order
  std::deque<std::optional<std::string>> inputAnswers;  // default: nullopt
  std::deque<std::optional<std::string>> fileAnswers;   // open and save dialogs; default nullopt
  std::vector<FileDialogRequest> fileRequests;
  std::vector<std::string> openedDocuments;

  void message(const std::string& text, MessageKind) override { messages.push_back(text); }
  bool confirm(const std::string& text) override {
    messages.push_back(text);
    if (confirmAnswers.empty()) return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
  }
  Answer ask(const std::string& text, const std::vector<Answer>&) override {
    messages.push_back(text);
    if (askAnswers.empty()) return Answer::Cancel;
    Answer a = askAnswers.front();
    askAnswers.pop_front();
    return a;
  }
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind) override {
    messages.push_back(text);
    okCancelTitles.push_back(title);
    if (okCancelAnswers.empty()) return false;
    bool a = okCancelAnswers.front();
    okCancelAnswers.pop_front();
    return a;
  }
  std::optional<std::string> inputText(const std::string&, const std::string& prompt, const std::string&) override {
    messages.push_back(prompt);
    return pop(inputAnswers);
  }
  std::optional<std::string> openFileName(const FileDialogRequest& r) override {
    fileRequests.push_back(r);
    return pop(fileAnswers);
  }
  std::optional<std::string> saveFileName(const FileDialogRequest& r) override {
    fileRequests.push_back(r);
    return pop(fileAnswers);
  }
  void openDocument(const std::string& path) override { openedDocuments.push_back(path); }

  std::string lastMessage() const { return messages.empty() ? std::string() : messages.back(); }

 private:
  static std::optional<std::string> pop(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto a = q.front();
    q.pop_front();
    return a;
  }
};

}  // namespace velmora::testing
