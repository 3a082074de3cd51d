#include "gui/widgets/program_style.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QPainter>
#include <QStyleOption>

namespace velmora::gui {

TVelmoraStyle::TVelmoraStyle() = default;

int TVelmoraStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* ret) const {
  if (hint == SH_ToolTip_WakeUpDelay) return 250;
  return QProxyStyle::styleHint(hint, option, widget, ret);
}

void TVelmoraStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
  if (element != PE_FrameFocusRect) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  QColor background;
  if (const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option))
    background = focus->backgroundColor;
  if (!background.isValid()) background = option->palette.color(QPalette::Button);
  DrawFocusMark(painter, option->rect, background, option->palette);
}

void TVelmoraStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  if (!(option->state & State_HasFocus)) return;
  if (element == CE_PushButton)
    DrawFocusMark(painter, subElementRect(SE_PushButtonFocusRect, option, widget),
                  option->palette.color(QPalette::Button), option->palette);
  if (element == CE_TabBarTabLabel)
    DrawFocusMark(painter, option->rect.adjusted(3, 3, -3, -3), option->palette.color(QPalette::Window),
                  option->palette);
  // A list or grid of a dialog: on its frame, so that an empty one shows the focus too.
  if (element == CE_ShapedFrame && qobject_cast<const QAbstractItemView*>(widget) &&
      qobject_cast<const QDialog*>(widget->window()))
    DrawFocusMark(painter, option->rect, option->palette.color(QPalette::Window), option->palette);
}

void TVelmoraStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                       QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawComplexControl(control, option, painter, widget);
  const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
  if (control == CC_ComboBox && combo && !combo->editable && (option->state & State_HasFocus))
    DrawFocusMark(painter, subControlRect(CC_ComboBox, option, SC_ComboBoxEditField, widget),
                  option->palette.color(QPalette::Button), option->palette);
}

void DrawFocusMark(QPainter* painter, const QRect& rect, const QColor& background, const QPalette& palette) {
  if (rect.width() < 2 || rect.height() < 2) return;
  const bool dark = qGray(background.rgb()) < 128;
  QColor ink = palette.color(dark ? QPalette::HighlightedText : QPalette::WindowText);
  if ((qGray(ink.rgb()) < 128) == dark) ink = dark ? QColor(Qt::white) : QColor(Qt::black);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  QPen pen(ink, 0);  // cosmetic: one pixel at any scale
  pen.setDashPattern({1.0, 1.0});
  painter->setPen(pen);
  painter->drawRect(rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

}  // namespace velmora::gui
