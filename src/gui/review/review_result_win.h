#pragma once
// "数据审核结果": what the year-over-year review found, in a window that stays open beside the main
// window and the entry form. Three pages: the findings (filtered by survey table, field and kind;
// the verified ones only on request) with the plot of the selected finding's field, the units not
// reported yet and the units new this year.
//
// A double-click or Enter on a finding leads to the record's field (through the opener's
// navigator); "已核实" keeps the finding as checked with the unit (with an optional note), "取消核实"
// takes that back; "导出" writes the findings to a workbook.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/review/year_review.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;

namespace velmora {
class UserPrompts;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class TReviewPlot;

class TReviewResultWin : public QWidget {
  Q_OBJECT
 public:
  // `fields`: the indicators as ReviewFields read them (their captions, tables and pages).
  TReviewResultWin(session::DatabaseSession& session, UserPrompts& prompts, review::ReviewResult result,
                   std::vector<review::ReviewField> fields, QWidget* parent = nullptr);
  ~TReviewResultWin() override;

  // Leads to a unit's record at a field: its code, the entry form's page (-1: none) and the field.
  using Navigator = std::function<void(std::int64_t code, int page, const std::string& field)>;
  void setNavigator(Navigator navigator) { navigator_ = std::move(navigator); }

  const review::ReviewResult& result() const { return result_; }

  // The part of the entry form the window must not cover while the form is open (its save, return
  // and navigation buttons). While the form is open the window is made compact (the table without
  // the plot) and placed as the form's error list is, clear of that part; it returns to its own size
  // and place when the form closes.
  void setKeepClear(QWidget* widget) { keepClear_ = widget; }
  bool compact() const { return compact_; }
  static constexpr QSize kCompactSize{980, 280};

  // The filters: a survey table's caption, a field's name, a kind ("" for all of each).
  void setTableFilter(const QString& table);
  void setFieldFilter(const QString& field);
  void setKindFilter(std::optional<review::FindingKind> kind);
  void setShowVerified(bool show);

  // The findings shown, as indexes into result().findings, in the table's order.
  std::vector<std::size_t> shownFindings() const;
  // Makes the table row of a finding current (false when it is not shown).
  bool selectFinding(std::size_t index);
  // The finding of the current row, if any.
  std::optional<std::size_t> currentFinding() const;

  // What the buttons and keys do, on the current row.
  void openCurrent();
  void markVerified();
  void clearVerdict();
  void exportFindings();

  QTabWidget* tabs() const { return tabs_; }
  QTableWidget* findingsTable() const { return findings_; }
  QTableWidget* missingTable() const { return missing_; }
  QTableWidget* addedTable() const { return added_; }
  QComboBox* tableCombo() const { return tableCombo_; }
  QComboBox* fieldCombo() const { return fieldCombo_; }
  QComboBox* kindCombo() const { return kindCombo_; }
  QCheckBox* showVerifiedBox() const { return showVerified_; }
  TReviewPlot* plot() const { return plot_; }
  QLabel* statusLine() const { return status_; }
  QPushButton* button(const QString& name) const;  // tbVerify tbUnverify tbExport tbClose

  // Columns of the findings table.
  enum Column { ColCode, ColName, ColTable, ColField, ColCaption, ColKind, ColLast, ColCurrent, ColRatio,
                ColScore, ColVerified, ColNote, ColumnCount };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void keepAbove();
  void fitBesideOwner();
  void backInFront();
  const review::ReviewField* fieldInfo(const std::string& name) const;
  const review::FieldResult* fieldResult(const std::string& name) const;
  bool passes(const review::ReviewFinding& finding) const;
  void fillTableCombo();
  void fillFieldCombo();
  void fillFindings();
  void fillRoster(QTableWidget* table, const std::vector<review::RosterUnit>& units);
  void updatePlot();
  void updateButtons();
  void updateStatus();

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  review::ReviewResult result_;
  std::vector<review::ReviewField> fields_;
  Navigator navigator_;

  QTabWidget* tabs_;
  QComboBox* tableCombo_;
  QComboBox* fieldCombo_;
  QComboBox* kindCombo_;
  QCheckBox* showVerified_;
  QSplitter* splitter_;
  QTableWidget* findings_;
  TReviewPlot* plot_;
  QTableWidget* missing_;
  QTableWidget* added_;
  QLabel* status_;
  QPushButton* verify_;
  QPushButton* unverify_;
  QPushButton* export_;
  QPushButton* close_;
  bool filling_ = false;
  QPointer<QWidget> keepClear_;
  bool compact_ = false;
  QRect looseGeometry_;  // where the window was before the form opened
};

}  // namespace velmora::gui
