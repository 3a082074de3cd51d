#pragma once
// What the seven survey pages of the entry form look like, as data: each page holds one or two
// tables, each table a title and bands of columns; a column header is a field (its code and its
// caption, with breakdown columns under it) or a group header over several columns. Captions
// carry their line breaks. The widgets are built from this (survey_page_view.h).

#include <QString>
#include <vector>

namespace velmora::gui {

struct HeaderNode {
  QString caption;                   // lines separated by '\n'
  QString code;                      // the field's control name; empty for a group header
  std::vector<HeaderNode> children;  // breakdowns of a field, or the columns of a group
  int width = 2;                     // relative width of the field's own column
};

// One row of columns across the page.
struct HeaderBand {
  std::vector<HeaderNode> columns;
};

struct SurveyTable {
  QString title;
  std::vector<HeaderBand> bands;
};

struct SurveyPageDescription {
  int index = 0;      // page index: 1 "表1" ... 7 "表7&&表8"
  QString sheet;      // the page's own name ("TabSheet1")
  QString caption;    // tab caption
  QString hint;       // tab hint
  std::vector<SurveyTable> tables;
};

// The seven survey pages, in page order.
const std::vector<SurveyPageDescription>& SurveyPageDescriptions();

// The field codes of a page description (or of a subtree) in the order of their columns.
std::vector<QString> FieldCodes(const SurveyPageDescription& page);
void CollectFieldCodes(const HeaderNode& node, std::vector<QString>& codes);

// The caption as one line (the label text of the field).
QString JoinedCaption(const QString& caption);

// The six amount fields: the only boxes that take a fraction.
bool IsAmountField(const QString& code);

}  // namespace velmora::gui
