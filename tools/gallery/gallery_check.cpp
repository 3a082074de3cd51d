// The check dialog at rest, while a check of all records runs, and paused.
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "core/prompts/user_prompts.h"
#include "gallery.h"
#include "gui/checks/check_form.h"

namespace velmora::gallery {

namespace {

// The gallery answers nothing and opens nothing.
class SilentPrompts : public ConsolePrompts {
 public:
  void message(const std::string&, MessageKind, const std::string& = {}) override {}
  bool openDocument(const std::string&) override { return true; }
};

}  // namespace

void RenderCheckDialog(GalleryContext& ctx) {
  SilentPrompts prompts;
  QTemporaryDir reports;
  const std::string personal = ctx.session.PersonalFolder();
  ctx.session.setPersonalFolder(reports.path().toStdString());

  {
    gui::TdlgCheckForm dialog(ctx.session, prompts, nullptr);
    Snap(ctx, dialog, "check-dialog");
  }

  gui::TdlgCheckForm dialog(ctx.session, prompts, nullptr);
  dialog.show();
  dialog.findChild<QRadioButton*>("AllRecord")->setChecked(true);
  auto* pause = dialog.findChild<QToolButton*>("tbPause");
  auto* stop = dialog.findChild<QToolButton*>("tbReturn");
  int step = 0;
  QTimer driver;
  driver.setInterval(0);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (step == 0 && pause->isEnabled()) {
      step = 1;
      Snap(ctx, dialog, "check-dialog-running");
      pause->click();
      step = 2;
    } else if (step == 2) {
      step = 3;
      Snap(ctx, dialog, "check-dialog-paused");
      stop->click();
    }
  });
  driver.start();
  dialog.tbCheckClick();
  driver.stop();
  ctx.session.setPersonalFolder(personal);
}

}  // namespace velmora::gallery
