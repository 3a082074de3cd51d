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
  std::vector<std::string> titles;           // the title of each of them, defaults applied
  std::deque<bool> confirmAnswers;           // default: false when empty
  std::deque<Answer> askAnswers;             // default: Cancel when empty
  std::deque<bool> okCancelAnswers;          // true for OK; default: Cancel when empty
  std::vector<std::string> okCancelTitles;   // the title of every OK/Cancel question, in order
  std::deque<std::optional<std::string>> inputAnswers;  // default: nullopt
  std::deque<std::optional<std::string>> fileAnswers;   // open and save dialogs; default nullopt
  std::deque<std::optional<std::vector<std::string>>> filesAnswers;  // several files; default nullopt
  std::vector<FileDialogRequest> fileRequests;
  std::vector<std::string> openedDocuments;
  bool documentsOpen = true;                 // what openDocument answers

  void message(const std::string& text, MessageKind kind = MessageKind::Information,
               const std::string& title = {}) override {
    messages.push_back(text);
    titles.push_back(title.empty() ? DefaultMessageTitle(kind) : title);
  }
  bool confirm(const std::string& text, const std::string& title = {}) override {
    messages.push_back(text);
    titles.push_back(title.empty() ? kQuestionTitle : title);
    if (confirmAnswers.empty()) return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
  }
  Answer ask(const std::string& text, const std::vector<Answer>&) override {
    messages.push_back(text);
    titles.push_back(kQuestionTitle);
    if (askAnswers.empty()) return Answer::Cancel;
    Answer a = askAnswers.front();
    askAnswers.pop_front();
    return a;
  }
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind) override {
    messages.push_back(text);
    titles.push_back(title);
    okCancelTitles.push_back(title);
    if (okCancelAnswers.empty()) return false;
    bool a = okCancelAnswers.front();
    okCancelAnswers.pop_front();
    return a;
  }
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string&) override {
    messages.push_back(prompt);
    titles.push_back(title);
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
  std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest& r) override {
    fileRequests.push_back(r);
    if (filesAnswers.empty()) return std::nullopt;
    auto a = filesAnswers.front();
    filesAnswers.pop_front();
    return a;
  }
  bool openDocument(const std::string& path) override {
    openedDocuments.push_back(path);
    return documentsOpen;
  }

  std::string lastMessage() const { return messages.empty() ? std::string() : messages.back(); }
  std::string lastTitle() const { return titles.empty() ? std::string() : titles.back(); }

 private:
  static std::optional<std::string> pop(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto a = q.front();
    q.pop_front();
    return a;
  }
};

}  // namespace velmora::testing
