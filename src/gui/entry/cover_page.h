#pragma once
// The cover page ("封面") of the entry form: the title, the statute notice, the form-number block,
// and the cover fields in their tab order, each code field with its name control.

#include <QWidget>
#include <vector>

class QGridLayout;
class QHBoxLayout;

namespace velmora::gui {

class TNumericEdit;
class ValidEdit;
class TCodeNameBox;

class TCoverPage : public QWidget {
  Q_OBJECT
 public:
  explicit TCoverPage(QWidget* parent = nullptr);

  TNumericEdit* c901;
  ValidEdit* c902;
  TNumericEdit* c903;
  TCodeNameBox* CityNameCtrl;
  TNumericEdit* c904;
  TCodeNameBox* LevelName;
  TNumericEdit* c905;
  TCodeNameBox* IndustryName;
  TNumericEdit* c906;
  TCodeNameBox* EconomicName;
  ValidEdit* C907;
  TCodeNameBox* TypeName;
  TNumericEdit* c909;
  TCodeNameBox* HoldSituation;
  TNumericEdit* c912;
  TCodeNameBox* StateName;
  ValidEdit* c910;
  ValidEdit* c911;

  // The field controls in tab order.
  std::vector<QWidget*> tabOrder() const;
  std::vector<TCodeNameBox*> nameControls() const;

 private:
  void createFields();
  QGridLayout* fieldGrid();
  QHBoxLayout* signatureLine();
};

}  // namespace velmora::gui
