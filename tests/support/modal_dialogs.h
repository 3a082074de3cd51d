#pragma once
// Answering a window that the code under test shows with exec(): a timer polls for the modal
// window and hands it to the test's code while the modal loop runs, so events reach it as they
// reach a modal window in use.
//
//   WhenModalOpens([&](QWidget* box) { ...; box->close(); });
//   form.OpenModifying(records);   // exec() returns once the callback closed the window

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace velmora::testing {

// Calls whileOpen(modal) once a modal window other than `except` is active (at most timeoutMs);
// the timer goes away afterwards. When none appears in time, whileOpen is not called.
inline void WhenModalOpens(std::function<void(QWidget*)> whileOpen, const QWidget* except = nullptr,
                           int timeoutMs = 10000) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, whileOpen, except, timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == except) modal = nullptr;
    if (!modal && clock->elapsed() < timeoutMs) return;
    timer->stop();
    timer->deleteLater();
    if (modal) whileOpen(modal);
  });
  timer->start();
}

// WhenModalOpens for a dialog of one class: whileOpen gets it; any other modal window is closed.
// The flag returned turns true once the dialog appeared, so that the test can say it did:
//   auto shown = WhenDialogOpens<TdlgOptionSetupForm>([](TdlgOptionSetupForm* d) { ... });
//   w->action("actOptions")->trigger();
//   EXPECT_TRUE(*shown);
template <class Dialog>
std::shared_ptr<bool> WhenDialogOpens(std::function<void(Dialog*)> whileOpen, int timeoutMs = 10000) {
  auto shown = std::make_shared<bool>(false);
  WhenModalOpens(
      [shown, whileOpen](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) {
          modal->close();
          return;
        }
        *shown = true;
        whileOpen(dialog);
      },
      nullptr, timeoutMs);
  return shown;
}

}  // namespace velmora::testing
