#pragma once
// Pieces the two code pickers share: a captioned list, the confirm and cancel buttons, and reading
// the rows of a code table into a list.

#include "core/survey/code_lists.h"
#include <QListWidget>
#include <QToolButton>
#include <string>
#include <vector>

#include "core/db/connection.h"

class QBoxLayout;

namespace velmora::gui {

// Roles of the values a picker list keeps with each row.
enum PickerRole { RoleId = Qt::UserRole + 1, RoleCode1, RoleCode2, RoleCode3, RoleName, RoleCombName };

QListWidget* PickerList(const QString& name, QWidget* parent);
// A list under its caption, added to `row`.
void AddCaptionedList(QBoxLayout* row, const QString& caption, QListWidget* list, int stretch);
QToolButton* PickerButton(const QString& name, const QString& caption, const QString& glyph, const QColor& colour,
                          QWidget* parent);

// The note under the lists and the row of "确认选择"/"取消选择" buttons, added to `page`.
struct PickerFooter {
  QToolButton* ok;
  QToolButton* cancel;
};
PickerFooter AddPickerFooter(QBoxLayout* page, const QString& note, QWidget* parent);

// Fills the list with the rows of a code table's level, showing `shown`; every column named in the
// roles above is kept with its row.
void FillPickerList(QListWidget* list, const survey::CodeList& rows, const char* shown);

}  // namespace velmora::gui
