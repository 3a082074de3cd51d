#pragma once
// "产业类别": the two-level picker of the union industry category (sections, and the categories of
// the chosen section).

#include <QDialog>
#include <string>

#include "core/db/connection.h"

class QListWidget;
class QToolButton;

namespace velmora::gui {

class TUnionTypeForm : public QDialog {
  Q_OBJECT
 public:
  // Starts on `selectedCode` ("A01" when empty).
  TUnionTypeForm(db::Connection& connection, const QString& selectedCode, QWidget* parent = nullptr);

  QString SelectedCode() const { return selectedCode_; }
  QString SelectedName() const { return selectedName_; }

  QListWidget* TypeList1() const { return list1_; }
  QListWidget* TypeList2() const { return list2_; }
  QToolButton* tbOK() const { return ok_; }
  QToolButton* tbCancel() const { return cancel_; }

  // The current section letter and category number, shared by every picker.
  static inline std::string Section;
  static inline int Category = 0;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fillCategories();
  void sectionChosen();
  void categoryChosen();
  void confirm();

  db::Connection& connection_;
  QString selectedCode_;
  QString selectedName_;
  QListWidget* list1_;
  QListWidget* list2_;
  QToolButton* ok_;
  QToolButton* cancel_;
  bool filling_ = false;
};

}  // namespace velmora::gui
