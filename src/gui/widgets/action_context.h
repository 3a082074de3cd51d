#pragma once
// What an action of the main window works with: the open database, the prompts, the window its
// dialogs belong to, the record list and the window's hooks. Every Run*Action takes one.

#include <functional>

class QWidget;

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class RecordGrid;
class TdlgQueryListForm;

struct ActionContext {
  session::DatabaseSession& session;
  UserPrompts& prompts;
  // The window the action's dialogs and progress windows belong to (null: none).
  QWidget* parent = nullptr;
  // The main record list; the actions that change records read it again and return to its record.
  // Null where there is no list.
  RecordGrid* list = nullptr;
  // Reads the field catalogue and the list again (after the list's columns were stored).
  std::function<void()> reloadList = {};
  // Modifying a record of a result list in the entry form (the list as its record set).
  std::function<void(RecordGrid&)> modifyRecord = {};
  // Called with every result list before it is shown (the exports are handed in here).
  std::function<void(TdlgQueryListForm&)> prepareResults = {};
};

}  // namespace velmora::gui
