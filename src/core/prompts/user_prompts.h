#pragma once
// Every question the core puts to the user goes through this one interface. The program answers
// with Qt dialogs; tests answer with a scripted fake that records every message.

#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class MessageKind { Information, Warning, Error };

// Buttons and answers of the question dialog.
enum class Answer { Yes, No, YesToAll, NoToAll, Cancel };

struct FileDialogRequest {
  std::string title;
  std::string filter;         // "数据加密文件(*.dat)|*.dat|数据备份文件(*.mdb)|*.mdb"
  std::string initialFolder;
  std::string fileName;
  std::string defaultExtension;
};

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // A modal message box with its title; an empty title is the default of its kind
  // (DefaultMessageTitle).
  virtual void message(const std::string& text, MessageKind kind = MessageKind::Information,
                       const std::string& title = {}) = 0;
  // A yes/no question with its title ("提示信息" when empty); true for yes.
  virtual bool confirm(const std::string& text, const std::string& title = {}) = 0;
  // A yes/no question ("否" the default) in a box with the icon of `kind`: a warning where Yes goes
  // on with something to think twice about. Prompts without icons ask it as a yes/no question.
  virtual bool confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) {
    (void)kind;
    return confirm(text, title);
  }
  // A question with the given buttons (a subset of Answer); returns the button pressed.
  virtual Answer ask(const std::string& text, const std::vector<Answer>& buttons) = 0;
  // A question with the buttons OK and Cancel in a box with its own title and icon, shown above
  // every other window; true for OK. Prompts that cannot show a title ask it as a yes/no question.
  virtual bool confirmOkCancel(const std::string& title, const std::string& text, MessageKind kind) {
    (void)title;
    (void)kind;
    return confirm(text);
  }
  // An input box; nullopt on cancel.
  virtual std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                               const std::string& initial) = 0;
  // File dialogs; nullopt on cancel.
  virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
  // An open dialog choosing several existing files, in the dialog's order; nullopt on cancel.
  virtual std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest& request) = 0;
  // Opens a file in the desktop's default program; false when it could not be handed over.
  virtual bool openDocument(const std::string& path) = 0;
};

// The title of a message box given none: "提示信息" for information, "警告信息" for warnings and errors.
std::string DefaultMessageTitle(MessageKind kind);
// The title of a question given none.
inline constexpr const char* kQuestionTitle = "提示信息";

// Opens a file the program wrote for the user; when the desktop cannot open it, tells the user
// where it is ("<what>已保存在：<path>"). False when it could not be opened.
bool OpenForUser(UserPrompts& prompts, const std::string& path, const std::string& what);

// Answers nothing and prints messages to standard error: used by the command line.
class ConsolePrompts : public UserPrompts {
 public:
  void message(const std::string& text, MessageKind kind = MessageKind::Information,
               const std::string& title = {}) override;
  bool confirm(const std::string& text, const std::string& title = {}) override;
  Answer ask(const std::string& text, const std::vector<Answer>& buttons) override;
  std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override;
  std::optional<std::string> openFileName(const FileDialogRequest&) override;
  std::optional<std::string> saveFileName(const FileDialogRequest&) override;
  std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest&) override;
  bool openDocument(const std::string& path) override;
};

}  // namespace velmora
