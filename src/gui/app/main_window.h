#pragma once
// The program's main window. For now it shows which database is open and how many records it
// holds; the record list, the group bar and the actions come with the next windows.

#include <QLabel>
#include <QMainWindow>

#include "core/db/session.h"

namespace velmora::gui {

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  TMainForm(db::DatabaseSession& session, QWidget* parent = nullptr);
  // Rebuilds the title and the summary of the open database.
  void refresh();

 private:
  db::DatabaseSession& session_;
  QLabel* summary_;
  QLabel* version_;
};

}  // namespace velmora::gui
