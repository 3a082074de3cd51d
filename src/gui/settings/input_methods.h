#pragma once
// The input methods the platform reports, by name, for the settings dialog.

#include <QStringList>

namespace velmora::gui {

// The name that means "whatever the system switches on"; always the first entry.
inline const char* const kSystemDefaultIme = "系统默认输入法";

// "系统默认输入法", the language of the current input method, the input method frameworks named
// by the environment and those with a Qt input-context plug-in; each name once.
QStringList InstalledInputMethods();

}  // namespace velmora::gui
