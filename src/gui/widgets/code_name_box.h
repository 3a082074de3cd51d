#pragma once
// The name control beside a code field of the cover: shows the name of the code, cannot be typed
// into, is not a tab stop, and opens its list or picker with a drop-down button. It remembers a
// code of its own (-1 when none), from which its list or picker starts.

#include <QFrame>

class QLabel;
class QToolButton;

namespace velmora::gui {

class TCodeNameBox : public QFrame {
  Q_OBJECT
 public:
  explicit TCodeNameBox(const QString& name, QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  int rememberedCode() const { return code_; }
  void setRememberedCode(int code) { code_ = code; }
  // Empty text and no remembered code.
  void reset();

  QToolButton* button() const { return button_; }

 signals:
  void dropDownRequested();
  void contentChanged();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QLabel* label_;
  QToolButton* button_;
  int code_ = -1;
};

}  // namespace velmora::gui
