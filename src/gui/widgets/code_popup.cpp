#include "gui/widgets/code_popup.h"

#include "gui/widgets/code_name_box.h"

namespace velmora::gui {

TToolForm::TToolForm(QWidget* parent) : QWidget(parent) {
  setObjectName("TToolForm");
  setWindowTitle("ThePublicForm");
  menu_ = new QMenu(this);
  menu_->setObjectName("CodePopupMenu");
  connect(menu_, &QMenu::triggered, this, &TToolForm::itemClicked);
}

QPoint TToolForm::PopupPoint(const TCodeNameBox& target) {
  const QRect r = target.geometry();
  const QPoint local(r.left() + r.width() - 10, r.top() + r.height() - 30);
  return target.parentWidget() ? target.parentWidget()->mapToGlobal(local) : local;
}

void TToolForm::ShowCodePopup(TCodeNameBox& target, const survey::TMenuItemDataArray& cache,
                              std::function<void(int)> setter) {
  target_ = &target;
  setter_ = std::move(setter);
  menu_->clear();
  for (const survey::TCode& code : cache) {
    // '&' would mark an accelerator: the caption is the name exactly
    QString caption = QString::fromStdString(code.Name);
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* item = menu_->addAction(caption);
    item->setCheckable(true);
    item->setChecked(code.Code == target.rememberedCode());
    item->setData(code.Code);
  }
  menu_->popup(PopupPoint(target));
}

void TToolForm::itemClicked(QAction* item) {
  if (!target_) return;
  QString caption = item->text();
  caption.replace(QLatin1String("&&"), QLatin1String("&"));
  const int code = item->data().toInt();
  target_->setText(caption.trimmed());
  target_->setRememberedCode(code);
  if (setter_) setter_(code);
}

}  // namespace velmora::gui
