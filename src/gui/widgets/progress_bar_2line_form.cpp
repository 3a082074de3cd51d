#include "gui/widgets/progress_bar_2line_form.h"

#include <QLabel>

#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/run_buttons.h"
#include "gui/widgets/segmented_bar.h"

namespace velmora::gui {

TProgressBar2LineForm::TProgressBar2LineForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
  setObjectName("ProgressBar2LineForm");
  setWindowTitle("操作进度指示");
  setFixedSize(kWidth, kHeight);

  auto* label2 = new QLabel("总进度：", this);
  label2->setObjectName("Label2");
  label2->setGeometry(8, 8, 200, 18);
  bar1_ = new SegmentedProgressBar(this);
  bar1_->setObjectName("ProgressBar1");
  bar1_->setGeometry(8, 28, 400, 20);

  auto* label3 = new QLabel("当前任务进度：", this);
  label3->setObjectName("Label3");
  label3->setGeometry(8, 58, 200, 18);
  bar2_ = new SegmentedProgressBar(this);
  bar2_->setObjectName("RzProgressBar2");
  bar2_->setGeometry(8, 78, 400, 20);

  buttons_ = new RunButtons(this);
  buttons_->setGeometry(8, kHeight, 400, RunButtons::kHeight);
  buttons_->hide();
}

void TProgressBar2LineForm::ShowRunButtons(bool show) {
  buttons_->setVisible(show);
  setFixedSize(kWidth, kHeight + (show ? RunButtons::kHeight : 0));
}

void TProgressBar2LineForm::InitFirst(int n) {
  bar1_->setTotalParts(n);
  bar1_->setPartsComplete(0);
  repaint();
}

void TProgressBar2LineForm::InitSecond(int n) {
  bar2_->setTotalParts(n);
  bar2_->setPartsComplete(0);
  repaint();
}

void TProgressBar2LineForm::IncFirst() {
  bar1_->incPartsBy(1);
  repaint();
}

void TProgressBar2LineForm::IncSecond() {
  bar2_->incPartsBy(1);
  repaint();
}

void TProgressBar2LineForm::showEvent(QShowEvent* event) {
  CentreOnScreen(*this);
  QWidget::showEvent(event);
}

}  // namespace velmora::gui
