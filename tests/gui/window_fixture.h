#pragma once
// The main window over an office of the exchange fixture: the unit or the upper level, each with
// its scripted prompts, and in-memory settings for the window's options.

#include <QString>
#include <QToolButton>

#include <memory>

#include "core/settings/settings_store.h"
#include "gui/app/main_window.h"
#include "gui/widgets/group_bar.h"
#include "support/exchange_fixture.h"

namespace velmora::gui {

class WindowFixture : public velmora::testing::ExchangeFixture {
 protected:
  // The office's main window, created as the program creates it.
  std::unique_ptr<TMainForm> window(velmora::testing::Office& office) {
    auto w = std::make_unique<TMainForm>(*office.session, office.prompts);
    w->FormCreate();
    return w;
  }
  // The group bar's item with this caption, or null when the bar does not show it.
  static QToolButton* barItem(TMainForm& w, const QString& caption) {
    for (int g = 0; g < w.groupBar()->groupCount(); ++g)
      for (QToolButton* b : w.groupBar()->items(g))
        if (b->text() == caption) return b;
    return nullptr;
  }

  settings::MemorySettingsStore store;
  settings::ScopedStore scoped{store};
};

}  // namespace velmora::gui
