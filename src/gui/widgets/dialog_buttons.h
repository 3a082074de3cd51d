#pragma once
// The text buttons of the dialogs' bottom tool bars ("删  除", "返  回", "确  定" ...).

#include <QSize>
#include <QString>
#include <QToolButton>

namespace velmora::gui {

QToolButton* DialogToolButton(const QString& name, const QString& caption, QWidget* parent,
                              QSize minimum = QSize(72, 26));

}  // namespace velmora::gui
