#pragma once
// The main window's search actions: actSearch (the code range), actConditionSearch (an indicator's
// range) and actLocate (one record of the main list). A search shows its result list; when that
// closes the main list is read again and returns to its record.

#include <functional>
#include <string>

class QWidget;

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class RecordGrid;
class TdlgQueryListForm;

struct SearchContext {
  session::DatabaseSession& session;
  RecordGrid& mainList;
  QWidget* parent = nullptr;
  // Modifying a record of a result list in the entry form (the list as its record set).
  std::function<void(RecordGrid&)> modifyRecord;
  // Called with every result list before it is shown (the exports are handed in here).
  std::function<void(TdlgQueryListForm&)> prepareResults;
};

// The result list of the condition, modal; then the main list re-queried (errors there ignored).
// False when the engine refused the condition: its text has been shown and nothing opened.
bool ShowQueryResults(SearchContext& context, const std::string& condition);

void RunSearchAction(SearchContext& context);           // actSearch
void RunConditionSearchAction(SearchContext& context);  // actConditionSearch
void RunLocateAction(SearchContext& context);           // actLocate

}  // namespace velmora::gui
