#include "gui/app/about_form.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include "gui/widgets/artwork.h"

namespace velmora::gui {

TdlgAboutForm::TdlgAboutForm(int buildNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      nameLabel_(new QLabel("Velmora", this)),
      versionLabel_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      timer_(new QTimer(this)) {
  setFixedSize(550, 300);
  setWindowTitle("关于");
  setFont(QFont("宋体", 9));

  QFont nameFont("黑体");
  nameFont.setPixelSize(29);
  nameFont.setBold(true);
  nameLabel_->setFont(nameFont);
  nameLabel_->setStyleSheet("color: rgb(128,0,0); background: transparent;");
  nameLabel_->setGeometry(28, 24, 300, 40);
  nameLabel_->installEventFilter(this);

  auto* subtitle = new QLabel("基层工会调查表数据处理系统", this);
  subtitle->setGeometry(200, 34, 320, 24);
  subtitle->setStyleSheet("color: rgb(128,0,0); font-size: 15px; background: transparent;");

  auto* statement = new QLabel(
      "本软件是基层工会年度统计调查的专用数据处理软件，\n"
      "由全国工会统计调查工作领导小组办公室组织编制并监制，\n"
      "供各级工会统计人员填报、审核、汇总和上报调查数据使用。",
      this);
  statement->setGeometry(40, 96, 480, 72);
  statement->setStyleSheet("color: #3b2413; font-size: 13px; background: transparent;");

  auto* maker = new QLabel("开发单位：Tarnwick", this);
  maker->setGeometry(40, 184, 300, 20);
  maker->setStyleSheet("color: #3b2413; font-size: 13px; background: transparent;");

  auto* link = new QLabel("<a href=\"https://www.tarnwick.example/velmora\">www.tarnwick.example/velmora</a>", this);
  link->setGeometry(40, 206, 300, 20);
  link->setOpenExternalLinks(true);
  link->setStyleSheet("font-size: 13px; background: transparent;");

  versionLabel_->setText(QString("版本：1.0 (Build %1)").arg(buildNumber));
  versionLabel_->setGeometry(40, 232, 300, 20);
  versionLabel_->setStyleSheet("color: #3b2413; font-size: 13px; background: transparent;");

  progress_->setGeometry((550 - 297) / 2, 266, 297, 14);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->hide();

  timer_->setInterval(40);
  connect(timer_, &QTimer::timeout, this, &TdlgAboutForm::tick);

  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

void TdlgAboutForm::startSplash() {
  progress_->setValue(0);
  progress_->show();
  timer_->start();
}

bool TdlgAboutForm::splashRunning() const { return timer_->isActive(); }

void TdlgAboutForm::tick() {
  progress_->setValue(qMin(progress_->maximum(), progress_->value() + 2));
  if (progress_->value() >= progress_->maximum()) {
    timer_->stop();
    accept();
  }
}

void TdlgAboutForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, AboutBackground(size()));
}

void TdlgAboutForm::mousePressEvent(QMouseEvent*) {
  timer_->stop();
  accept();
}

void TdlgAboutForm::mouseDoubleClickEvent(QMouseEvent*) {
  timer_->stop();
  accept();
}

bool TdlgAboutForm::eventFilter(QObject* watched, QEvent* event) {
  // A single click on the name waits for a possible double-click instead of closing the box.
  if (watched == nameLabel_ && event->type() == QEvent::MouseButtonPress) return true;
  if (watched == nameLabel_ && event->type() == QEvent::MouseButtonDblClick) {
    auto* e = static_cast<QMouseEvent*>(event);
    Qt::KeyboardModifiers m = e->modifiers();
    if ((m & Qt::ControlModifier) && (m & Qt::AltModifier) && !(m & Qt::ShiftModifier) && onSecretDoubleClick)
      onSecretDoubleClick();
    timer_->stop();
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::gui
