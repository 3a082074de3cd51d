#pragma once
// Text between the core's UTF-8 strings and the windows' QString.

#include <QString>

#include <string>

namespace velmora::gui {

inline QString QText(const std::string& s) { return QString::fromStdString(s); }

inline std::string StdText(const QString& s) { return s.toStdString(); }

}  // namespace velmora::gui
