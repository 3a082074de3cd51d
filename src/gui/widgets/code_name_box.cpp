#include "gui/widgets/code_name_box.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace velmora::gui {

TCodeNameBox::TCodeNameBox(const QString& name, QWidget* parent) : QFrame(parent) {
  setObjectName(name);
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(3, 1, 1, 1);
  row->setSpacing(2);
  label_ = new QLabel(this);
  label_->setTextInteractionFlags(Qt::NoTextInteraction);
  label_->setMinimumWidth(10);
  label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  button_ = new QToolButton(this);
  button_->setArrowType(Qt::DownArrow);
  button_->setFocusPolicy(Qt::NoFocus);
  button_->setAutoRaise(false);
  button_->setFixedWidth(18);
  row->addWidget(label_, 1);
  row->addWidget(button_);
  connect(button_, &QToolButton::clicked, this, &TCodeNameBox::dropDownRequested);
}

QString TCodeNameBox::text() const { return label_->text(); }

void TCodeNameBox::setText(const QString& text) {
  if (text == label_->text()) return;
  label_->setText(text);
  label_->setToolTip(text);
  emit contentChanged();
}

void TCodeNameBox::reset() {
  setText(QString());
  code_ = -1;
}

void TCodeNameBox::mouseDoubleClickEvent(QMouseEvent*) {
  if (isEnabled()) emit dropDownRequested();
}

void TCodeNameBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
  QFrame::changeEvent(event);
}

}  // namespace velmora::gui
