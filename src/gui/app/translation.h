#pragma once
// Qt's own Chinese translation, so that the standard buttons and dialogs read "确定", "取消", "是",
// "否" whatever the desktop's language.

namespace velmora::gui {

// Loads "qtbase_zh_CN" from Qt's translations folder into the application (once; later calls do
// nothing). False when the translation is not installed.
bool InstallQtTranslation();

}  // namespace velmora::gui
