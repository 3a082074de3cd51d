#include "gui/app/main_window.h"

#include <QStatusBar>
#include <QVBoxLayout>

#include "core/db/query.h"

namespace velmora::gui {

TMainForm::TMainForm(db::DatabaseSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), summary_(new QLabel(this)), version_(new QLabel(this)) {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  summary_->setAlignment(Qt::AlignCenter);
  summary_->setStyleSheet("font-size: 16pt; color: #34495e;");
  layout->addWidget(summary_);
  setCentralWidget(central);
  version_->setText("版本 1.0");
  statusBar()->addWidget(version_);
  resize(1024, 700);
  refresh();
}

void TMainForm::refresh() {
  setWindowTitle(QString::fromStdString(session_.WindowTitle()));
  QString text = QString("基层工会调查表\n\n数据库：%1").arg(QString::fromStdString(session_.DatabasePath()));
  try {
    db::Query q(session_.SysADOConnection());
    q.setSql("select count(*) as n from dt_data");
    q.open();
    text += QString("\n记录数：%1").arg(q["n"].asInt64());
  } catch (const std::exception& e) {
    text += QString("\n运行中发生错误：%1").arg(QString::fromStdString(e.what()));
  }
  summary_->setText(text);
}

}  // namespace velmora::gui
