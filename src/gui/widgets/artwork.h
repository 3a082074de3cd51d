#pragma once
// The program's own pictures, drawn at run time: action images (a coloured tile carrying one
// character), the background picture behind the record list, the About box background and the
// window icon. No picture files are shipped.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace velmora::gui {

// A square tile of `size` pixels in `color` with `glyph` in white.
QPixmap ActionPixmap(const QString& glyph, const QColor& color, int size);
// The same at the sizes the menus (16) and the group bar (32) use.
QIcon ActionIcon(const QString& glyph, const QColor& color);

// The picture that shows when the record list is hidden.
QPixmap BackgroundPicture(const QSize& size);
// The About box background with its raised frame.
QPixmap AboutBackground(const QSize& size);
QIcon ProgramIcon();

}  // namespace velmora::gui
