#pragma once
// "基层工会数据": the entry form of one survey record. Eight pages (the cover and the survey tables),
// a notes panel, the tool bar with the temporary and the formal save, and the navigation bar.
// Adding: the form starts empty with a proposed code and empties itself after each formal save.
// Modifying: the form shows the current record of its record set and can step through the set.
//
//   TdlgSurveyDataForm form(session, prompts, mainWindow);
//   GridBoundRecords records(grid);
//   form.OpenAdding(records);       // or OpenModifying(records)
//
// recordStored() is emitted after every successful store; the opener's list has by then been read
// again and returned to its record.

#include <QDialog>
#include <QHash>
#include <memory>
#include <vector>

#include "core/checks/catalogue_hints.h"
#include "core/checks/page_rules.h"
#include "core/entry/cover_validation.h"
#include "core/entry/entry_context.h"
#include "core/entry/field_values.h"
#include "core/entry/record_store.h"
#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

class QAction;
class QKeyEvent;
class QLabel;
class QTabWidget;
class QTextBrowser;
class QToolBar;
class QToolButton;

namespace velmora::gui {

class BoundRecords;
class TCodeNameBox;
class TCoverPage;
class TMessageListWinForm;
class TNumericEdit;
class TToolForm;

class TdlgSurveyDataForm : public QDialog, public checks::ControlValues {
  Q_OBJECT
 public:
  TdlgSurveyDataForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TdlgSurveyDataForm() override;

  // What the openers call: set the mode and the record set, show the form modally.
  int OpenAdding(BoundRecords& records);
  int OpenModifying(BoundRecords& records);

  // The mode and the record set, set by the opener before showing.
  bool IsNew = true;
  void setBoundRecords(BoundRecords* records) { boundRecords_ = records; }
  BoundRecords* boundRecords() const { return boundRecords_; }

  // Showing the form (also what exec() does first): caches, record, buttons.
  void FormShow();
  void LoadRecord();
  // The saves and the close query. The saves return whether the record was stored.
  bool tbHoldClick();
  bool tbSaveClick(bool fromButton = true);
  bool FormCloseQuery();
  void tbCheckClick();

  // Leads the form to a page and the control named `focus` (the error list's double-click).
  void ShowPageAndFocus(int page, const QString& focus);
  // Changes the active page through the page-change handling; false when it was refused.
  bool setActivePage(int index);

  // Field movement (Enter, Down, Up): the next or previous field that takes the focus, across
  // pages; past the last field of the last page the record is saved formally. `from` may be null.
  void FocusNextField(QWidget* from);
  void FocusPreviousField(QWidget* from);
  // The first field of the active page that takes the focus.
  void FocusFirstField();
  // The field controls of a page (0 the cover) in their order.
  const std::vector<QWidget*>& pageFields(int page) const { return pageFields_.at(static_cast<std::size_t>(page)); }

  // The notes panel: the notes of a page, read from NotesFolder ("TableNotesVM-NN.rtf"); a file
  // that is missing or unreadable leaves the panel empty.
  void LoadNotes(int page);
  QString NotesFolder;  // the folder of the notes files, with a trailing separator

  // Controls by name (without regard to letter case): field controls and name controls.
  QWidget* control(const QString& name) const;
  TNumericEdit* numericBox(const QString& name) const;
  TCoverPage* cover() const { return cover_; }
  QTabWidget* DataPage() const { return dataPage_; }
  QTextBrowser* rtfNotes() const { return notes_; }
  QToolButton* button(const QString& name) const;  // tbHold tbSave tbAdd tbCheck tbPrint tbReturn
  QToolBar* NavBar() const { return navBar_; }
  QLabel* ItemNo() const { return itemNo_; }
  QAction* navAction(const QString& name) const;  // actFirst actPrev actNext actLast
  TMessageListWinForm* MessageListWin() const { return errorList_.get(); }
  TToolForm* ToolForm() const { return toolForm_; }
  entry::EntryContext& context() { return context_; }
  bool isModified() const { return modified_; }
  // The code of the record on show, as its field reads.
  std::string shownCode() const;

  // The numeric value of a control for the rules.
  checks::ControlValue ValueOf(const std::string& name) const override;

  // The form as the core routines see it, and putting their results on screen.
  entry::EntryForm image() const;
  void applyEffects(const entry::FormEffects& effects);

  // The pickers behind the name controls' buttons.
  void OpenCityPicker();
  void OpenUnionTypePicker();
  void OpenCodeList(TCodeNameBox& nameControl);

 signals:
  void recordStored();
  void printRequested();

 protected:
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // construction (survey_data_form.cpp)
  int showModally();
  void buildWindow();
  void buildToolBars();
  void fitWidestPage();
  void registerControls();
  // binding (form_binding.cpp)
  void setControlText(QWidget* control, const std::string& text);
  void syncFromImage(const entry::EntryForm& form);
  void applyLimits();
  void contentChanged(QWidget* source);
  // cover checks and pickers (form_cover.cpp)
  void coverFieldExit(const QString& name);
  void applyCheck(const entry::CheckResult& result);
  void focusControl(const std::string& name);
  void setCodeField(const char* field, int code);
  // saving (form_saving.cpp)
  bool store(entry::StoreState state);
  void afterStore();
  void updatePosition();
  bool reportingOpen() const;
  checks::PageRuleChecker& ruleChecker();
  void runPageRules(int page, bool clearFirst);
  void runAllPageRules();
  void showRunError(const std::exception& e);
  // pages and records (form_navigation.cpp)
  bool DataPageChanging(int from, int to);
  void DataPageChange();
  bool leaveFocusedField();
  void navigate(QAction* action);
  void updateNavigation();
  // keys and input methods (form_keys.cpp)
  bool fieldKeyPress(QWidget* field, QKeyEvent* event);
  void holdShortcut();
  bool moveToNeighbour(QWidget* field, bool forward);
  void setupInputMethods();
  void switchInputMethod(QWidget* field);
  // plausibility prompts (form_plausibility.cpp)
  void plausibilityExit(const QString& name);

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  entry::EntryContext context_;
  entry::FieldBindings bindings_;
  checks::CatalogueHints hints_;
  BoundRecords* boundRecords_ = nullptr;

  QTabWidget* dataPage_ = nullptr;
  TCoverPage* cover_ = nullptr;
  QTextBrowser* notes_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QToolBar* navBar_ = nullptr;
  QLabel* itemNo_ = nullptr;
  QHash<QString, QToolButton*> buttons_;
  QHash<QString, QAction*> buttonActions_;  // the tool bar's hold on each button (its visibility)
  QHash<QString, QAction*> navActions_;
  QHash<QString, QWidget*> controls_;      // lower-case name -> field control
  QHash<QString, TCodeNameBox*> names_;    // lower-case name -> name control
  std::vector<QWidget*> fieldOrder_;       // every field control, cover first, in tab order
  std::vector<std::vector<QWidget*>> pageFields_;  // the field controls of each page, in order
  QHash<QWidget*, int> fieldPage_;         // field control -> its page
  std::unique_ptr<checks::RuleTextFormatter> formatter_;
  std::unique_ptr<checks::PageRuleChecker> checker_;
  QHash<QString, QPair<double, qint64>> confirmedRatios_;  // plausibility answered OK, by rule
  std::unique_ptr<TMessageListWinForm> errorList_;
  TToolForm* toolForm_ = nullptr;

  bool syncing_ = false;    // the program is filling the controls: no change handling
  bool inExit_ = false;     // an exit check is running
  bool modified_ = false;   // something was changed since the record was loaded or stored
  bool closing_ = false;
  int activePage_ = 0;
  int notesPage_ = -1;  // the page whose notes are shown
};

}  // namespace velmora::gui
