#pragma once
// The program's main window: the group bar on the left, the record list (or the background picture)
// on the right, the main menu, the list's pop-up menu and the status bar. Every user function is an
// action of this window.

#include <QHash>
#include <memory>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStringList>

#include "core/catalogue/field_catalogue.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"
#include "gui/app/product_version.h"

class QStackedWidget;
class QToolButton;

namespace velmora::gui {

class TGroupBar;
class TSizeBarSplitter;
class RecordGrid;
class TdlgSurveyDataForm;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  TMainForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The start-up work after the database is open: title, list panel, edition arrangement, field
  // catalogue and list, version text, table lists. Errors are shown; the window still opens.
  void FormCreate();

  QAction* action(const QString& name) const { return actions_.value(name); }
  QStringList actionNames() const { return actionOrder_; }
  // Evaluates the enabling rules (also run whenever the program is idle).
  void updateActions();

  void LoadFieldCatalogue();
  bool gridVisible() const { return gridVisible_; }
  // The list panel's toggle: hides the list behind the picture or shows it again (remembered).
  void toggleGrid();

  TGroupBar* groupBar() const { return groupBar_; }
  RecordGrid* recordGrid() const { return grid_; }
  QMenu* popupMenu() const { return popup_; }
  QString statusVersionText() const;
  QString statusDateText() const;
  const catalogue::TFieldDataArray& FieldData() const { return fieldData_; }
  const QStringList& GroupTableList() const { return groupTableList_; }
  const QStringList& RecordTableList() const { return recordTableList_; }
  const TProductVersion& ProductVersion() const { return productVersion_; }

  // Shows the About box: as the start-up splash, or from the menu until clicked.
  void showAbout(bool splash);

 private:
  void createActions();
  void createMenus();
  void createGroupBar();
  void createPanels();
  void createStatusBar();
  void arrangeForEdition();
  // Shows or hides the items an upper-level office needs, as the settings option says.
  void applyUpperLevelItems();
  void wireActions();
  void setGridVisible(bool visible, bool remember);
  void reopenList();
  // The entry form in adding or modifying mode over the record list.
  void openEntryForm(bool adding);
  void ensureEntryForm();
  bool listEmpty() const;
  QAction* addAction(const QString& name, const QString& caption, const QString& category, const QString& glyph,
                     const QColor& color);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  QHash<QString, QAction*> actions_;
  QStringList actionOrder_;
  QHash<QString, bool> wired_;  // actions whose function is built; the others stay disabled
  QHash<QString, QMenu*> menus_;
  QHash<QString, QToolButton*> barItems_;  // group-bar buttons by action name or item caption
  TGroupBar* groupBar_ = nullptr;
  TSizeBarSplitter* splitter_ = nullptr;
  QStackedWidget* listStack_ = nullptr;
  RecordGrid* grid_ = nullptr;
  std::unique_ptr<TdlgSurveyDataForm> entryForm_;
  QWidget* picture_ = nullptr;
  QWidget* strip_ = nullptr;
  QLabel* note_ = nullptr;
  QToolButton* toggle_ = nullptr;
  QMenu* popup_ = nullptr;
  QLabel* statusVersion_ = nullptr;
  QLabel* statusDate_ = nullptr;
  bool gridVisible_ = true;
  catalogue::TFieldDataArray fieldData_;
  TProductVersion productVersion_;
  QStringList groupTableList_;
  QStringList recordTableList_;
};

}  // namespace velmora::gui
