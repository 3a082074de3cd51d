#pragma once
// While a message or a question is up, the program's stay-on-top windows (the progress windows,
// the error list) must not cover it: they are lowered for the lifetime of this object and put
// back on top afterwards.

#include <QList>
#include <QPointer>
#include <QWidget>

namespace velmora::gui {

class TopMostLowered {
 public:
  // Lowers every visible stay-on-top window except `except`.
  explicit TopMostLowered(const QWidget* except = nullptr);
  ~TopMostLowered();
  TopMostLowered(const TopMostLowered&) = delete;
  TopMostLowered& operator=(const TopMostLowered&) = delete;

  int count() const { return static_cast<int>(lowered_.size()); }

 private:
  QList<QPointer<QWidget>> lowered_;
};

}  // namespace velmora::gui
