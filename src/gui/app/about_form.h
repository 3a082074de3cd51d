#pragma once
// The About box: a borderless box with the program name, the supervising body, the maker and the
// version. At start it is a two-second splash with a progress bar; from the menu it stays until
// clicked.

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QTimer;

namespace velmora::gui {

class TdlgAboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TdlgAboutForm(int buildNumber, QWidget* parent = nullptr);

  // Splash mode: the progress bar shows and the timer closes the box after 50 ticks of 40 ms.
  void startSplash();
  bool splashRunning() const;

  // Run when the program name is double-clicked with Ctrl and Alt held (Shift not held).
  std::function<void()> onSecretDoubleClick;

  QLabel* nameLabel() const { return nameLabel_; }
  QLabel* versionLabel() const { return versionLabel_; }
  QProgressBar* progressBar() const { return progress_; }

 public slots:
  // One tick of the splash timer: two parts more; the box closes when the bar is full.
  void tick();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* nameLabel_;
  QLabel* versionLabel_;
  QProgressBar* progress_;
  QTimer* timer_;
};

}  // namespace velmora::gui
