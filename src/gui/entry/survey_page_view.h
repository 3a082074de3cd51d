#pragma once
// Builds a survey page of the entry form from its description: the table title in bold, the
// column headers with thin borders (group headers over their columns, breakdown columns under
// the header of their field), under each column the field code and below it the field's box.

#include <QWidget>
#include <vector>

#include "gui/entry/survey_pages.h"

namespace velmora::gui {

class TNumericEdit;

struct SurveyPageView {
  QWidget* page = nullptr;             // the page of the page control
  std::vector<TNumericEdit*> fields;   // the boxes in column (and tab) order
};

SurveyPageView BuildSurveyPage(const SurveyPageDescription& description, QWidget* parent = nullptr);

// The number of header rows a band needs.
int HeaderDepth(const HeaderNode& node);
// The number of columns a header covers.
int ColumnCount(const HeaderNode& node);

}  // namespace velmora::gui
