#pragma once
// "中华人民共和国行政区划": the three-level picker of the administrative division code. Provinces on
// the left, their second level in the middle, and on the right the third level of the chosen
// second-level row together with that row itself, so that a second-level code can be chosen too.

#include "core/survey/code_lists.h"
#include <QDialog>

#include "core/db/connection.h"

class QListWidget;
class QToolButton;

namespace velmora::gui {

class TCityNameForm : public QDialog {
  Q_OBJECT
 public:
  // Starts on `selectedCode` when it is above 0, otherwise on 110100 (北京市).
  TCityNameForm(db::Connection& connection, int selectedCode, QWidget* parent = nullptr);

  int SelectedCode() const { return selectedCode_; }
  QString SelectedName() const { return selectedName_; }

  QListWidget* CityName1() const { return list1_; }
  QListWidget* CityName2() const { return list2_; }
  QListWidget* CityName3() const { return list3_; }
  QToolButton* tbOK() const { return ok_; }
  QToolButton* tbCancel() const { return cancel_; }

  // The current codes of the three levels, shared by every picker.
  static inline int Code1 = 0;
  static inline int Code2 = 0;
  static inline int Code3 = 0;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fill(QListWidget* list, const survey::CodeList& rows);
  static void position(QListWidget* list, int role, int value);
  void fillSecond();
  void fillThird();
  void firstChosen();
  void secondChosen();
  void confirm();

  db::Connection& connection_;
  int selectedCode_ = 110100;
  QString selectedName_ = QStringLiteral("北京市");
  QListWidget* list1_;
  QListWidget* list2_;
  QListWidget* list3_;
  QToolButton* ok_;
  QToolButton* cancel_;
  bool filling_ = false;
};

}  // namespace velmora::gui
