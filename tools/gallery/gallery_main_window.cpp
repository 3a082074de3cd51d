#include <QApplication>

#include "core/settings/settings.h"
#include "gallery.h"
#include "gui/app/about_form.h"
#include "gui/app/main_window.h"
#include "gui/widgets/qt_prompts.h"

namespace velmora::gallery {

void RenderMainWindow(GalleryContext& ctx) {
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped(store);
  gui::QtPrompts prompts;
  gui::TMainForm window(ctx.session, prompts);
  window.resize(1280, 800);
  window.FormCreate();
  Snap(ctx, window, "main-window-list");
  window.toggleGrid();
  Snap(ctx, window, "main-window-picture");
  window.toggleGrid();
  window.hide();

  gui::TdlgAboutForm splash(window.ProductVersion().build);
  splash.startSplash();
  for (int i = 0; i < 20; ++i) splash.tick();
  Snap(ctx, splash, "about-splash");
  splash.close();
  gui::TdlgAboutForm about(window.ProductVersion().build);
  Snap(ctx, about, "about-menu");
  about.close();
}

}  // namespace velmora::gallery
