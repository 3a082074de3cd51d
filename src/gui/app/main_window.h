#pragma once
// The program's main window: the group bar on the left, the record list (or the background picture)
// on the right, the main menu, the list's pop-up menu and the status bar. Every user function is an
// action of this window, built from the table of main_actions.h.

#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

#include "core/catalogue/field_catalogue.h"
#include "core/session/session.h"
#include "core/prompts/user_prompts.h"
#include "gui/app/main_actions.h"
#include "gui/app/product_version.h"
#include "gui/widgets/action_context.h"

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

  // The action `name` of the table. Throws std::invalid_argument for a name it does not have.
  QAction* action(const QString& name) const;
  QStringList actionNames() const;
  // Evaluates the enabling rules. The window runs it whenever what they read changes: the list
  // read again, opened or closed, the list panel shown or hidden, the database changed, the
  // settings stored, an action or the entry form finished.
  void updateActions();
  // The table the window's actions are built from (its handlers reach the window's insides).
  static std::span<const MainAction> ActionTable();

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
  // One action of the table as built: its QAction and its group-bar item (null: none).
  struct BuiltAction {
    const MainAction* spec;
    QAction* action;
    QToolButton* barItem = nullptr;
  };

  void createActions();
  void createMenus();
  void createGroupBar();
  void createPanels();
  void createStatusBar();
  void arrangeForEdition();
  // Shows or hides the items the edition and the settings option "显示上级单位功能" decide.
  void applyUpperLevelItems();
  void wireActions();
  void runOptions();
  void setGridVisible(bool visible, bool remember);
  void reopenList();
  // The entry form in adding or modifying mode over the record list.
  void openEntryForm(bool adding);
  void ensureEntryForm();
  bool listEmpty() const;

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  ActionContext context_;
  std::vector<BuiltAction> actions_;  // in the table's order
  QHash<QString, std::size_t> actionIndex_;
  QHash<int, QMenu*> menus_;  // by MainMenu
  bool listHasRecords_ = false;  // as the enabling last saw the list
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
