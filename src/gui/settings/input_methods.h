#pragma once
// The input methods the platform reports, by name, for the settings dialog.

#include <QStringList>

class QWidget;

namespace velmora::gui {

// The name that means "whatever the system switches on"; always the first entry.
inline const char* const kSystemDefaultIme = "系统默认输入法";

// "系统默认输入法", the language of the current input method, the input method frameworks named
// by the environment and those with a Qt input-context plug-in; each name once.
QStringList InstalledInputMethods();

// On entering a Chinese text field: its input method on, and the platform's input panel asked for
// when a preferred input method is set. Qt offers no way to choose among installed input methods;
// the platform keeps the one the user last used in the program.
void SwitchOnPreferredInputMethod(QWidget* field);

}  // namespace velmora::gui
