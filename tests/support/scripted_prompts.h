#pragma once
// The prompts of the tests: answers are queued in advance, every message is recorded.

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/prompts/user_prompts.h"

namespace velmora::testing {

// What one prompt showed.
enum class PromptType { Message, Confirm, Ask, OkCancel, Input };
struct ShownPrompt {
  PromptType type = PromptType::Message;
  std::string text;
  std::string title;                // defaults applied
  MessageKind kind = MessageKind::Information;  // the icon of messages, OK/Cancel boxes and yes/no questions
  std::vector<Answer> buttons;      // of questions: confirm offers {Yes, No}
};

class ScriptedPrompts : public UserPrompts {
 public:
  std::vector<ShownPrompt> shown;            // every prompt, in order, with its kind and buttons
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
    record(PromptType::Message, text, title.empty() ? DefaultMessageTitle(kind) : title, kind);
  }
  bool confirm(const std::string& text, const std::string& title = {}) override {
    record(PromptType::Confirm, text, title.empty() ? kQuestionTitle : title, MessageKind::Information,
           {Answer::Yes, Answer::No});
    if (confirmAnswers.empty()) return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
  }
  bool confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) override {
    record(PromptType::Confirm, text, title.empty() ? kQuestionTitle : title, kind, {Answer::Yes, Answer::No});
    if (confirmAnswers.empty()) return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
  }
  Answer ask(const std::string& text, const std::vector<Answer>& buttons) override {
    record(PromptType::Ask, text, kQuestionTitle, MessageKind::Information, buttons);
    if (askAnswers.empty()) return Answer::Cancel;
    Answer a = askAnswers.front();
    askAnswers.pop_front();
    return a;
  }
  bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) override {
    record(PromptType::OkCancel, text, title, kind);
    okCancelTitles.push_back(title);
    if (okCancelAnswers.empty()) return false;
    bool a = okCancelAnswers.front();
    okCancelAnswers.pop_front();
    return a;
  }
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string&) override {
    record(PromptType::Input, prompt, title, MessageKind::Information);
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
  // The last prompt shown; a test that expects one asserts !shown.empty() first.
  const ShownPrompt& last() const { return shown.back(); }

 private:
  void record(PromptType type, const std::string& text, const std::string& title, MessageKind kind,
              std::vector<Answer> buttons = {}) {
    messages.push_back(text);
    titles.push_back(title);
    shown.push_back(ShownPrompt{type, text, title, kind, std::move(buttons)});
  }
  static std::optional<std::string> pop(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto a = q.front();
    q.pop_front();
    return a;
  }
};

}  // namespace velmora::testing
