#include "gui/settings/input_methods.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLibraryInfo>
#include <QLocale>
#include <QWidget>

#include "core/settings/settings.h"

namespace velmora::gui {

namespace {

// A framework's display name from its module or plug-in name ("fcitx5", "ibus").
QString FrameworkName(QString module) {
  module = module.trimmed().toLower();
  static const QList<QPair<QString, QString>> known = {
      {"fcitx5", "Fcitx 5"}, {"fcitx", "Fcitx"}, {"ibus", "IBus"}, {"compose", "Compose"},
      {"qtvirtualkeyboard", "Qt Virtual Keyboard"}, {"xim", "XIM"}};
  for (const auto& [key, name] : known)
    if (module == key) return name;
  return module;
}

void AddOnce(QStringList& list, const QString& name) {
  if (!name.isEmpty() && !list.contains(name, Qt::CaseInsensitive)) list << name;
}

}  // namespace

QStringList InstalledInputMethods() {
  QStringList names{QString::fromUtf8(kSystemDefaultIme)};

  if (QInputMethod* im = QGuiApplication::inputMethod()) {
    QLocale locale = im->locale();
    if (locale.language() != QLocale::C) {
      QString name = locale.nativeLanguageName();
      if (!locale.nativeTerritoryName().isEmpty()) name += "（" + locale.nativeTerritoryName() + "）";
      AddOnce(names, name);
    }
  }

  for (const char* variable : {"QT_IM_MODULE", "QT_IM_MODULES"})
    for (const QString& module : qEnvironmentVariable(variable).split(';', Qt::SkipEmptyParts))
      AddOnce(names, FrameworkName(module));
  QString modifiers = qEnvironmentVariable("XMODIFIERS");
  if (modifiers.startsWith("@im=")) AddOnce(names, FrameworkName(modifiers.mid(4)));

  QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforminputcontexts");
  for (const QFileInfo& file : plugins.entryInfoList(QDir::Files, QDir::Name)) {
    QString base = file.completeBaseName();
    if (base.startsWith("lib")) base = base.mid(3);
    base.remove("platforminputcontextplugin", Qt::CaseInsensitive);
    base.remove("plugin", Qt::CaseInsensitive);
    AddOnce(names, FrameworkName(base));
  }
  return names;
}

void SwitchOnPreferredInputMethod(QWidget* field) {
  field->setAttribute(Qt::WA_InputMethodEnabled, true);
  QInputMethod* im = QGuiApplication::inputMethod();
  if (!im) return;
  im->update(Qt::ImEnabled | Qt::ImHints);
  const std::string& preferred = settings::PreferredIme;
  if (!preferred.empty() && preferred != kSystemDefaultIme) im->show();
}

}  // namespace velmora::gui
