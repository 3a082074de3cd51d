#pragma once
// "数据审核": the dialog that starts the year-over-year review. What this year is compared with (a
// file chosen through the prompts — a backup, last year's database or a reporting package — or the
// open database's previous-year table when it holds records), the parameters U, A and C of the
// test, and the indicators to test (all unless some are ticked). "开始审核" runs the review in the
// two-line progress window (the passes above, the rows below; it can be paused and stopped) and
// closes the dialog with the result.

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "core/review/year_review.h"

class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velmora {
class UserPrompts;
}
namespace velmora::jobs {
class Job;
}
namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class TProgressBar2LineForm;

class TdlgReviewForm : public QDialog {
  Q_OBJECT
 public:
  TdlgReviewForm(session::DatabaseSession& session, UserPrompts& prompts, std::vector<review::ReviewField> fields,
                 bool previousYearOffered, QWidget* parent = nullptr);
  ~TdlgReviewForm() override;

  // What runs the review (RunReview on the dialog's session unless replaced).
  using Runner = std::function<review::ReviewResult(const review::Reference&, const review::ReviewOptions&, jobs::Job&)>;
  void setRunner(Runner runner) { runner_ = std::move(runner); }

  // "浏览…": the reference file through the prompts' open dialog.
  void tbBrowseClick();
  // "开始审核": checks the choices, runs the review and closes the dialog with its result; a
  // reference that cannot be read is told (the intake's own words) and the dialog stays.
  void tbRunClick();

  // The reference as chosen; nullopt when none is.
  std::optional<review::Reference> reference() const;
  review::ReviewOptions options() const;
  // The result of the last run that completed.
  std::optional<review::ReviewResult>& result() { return result_; }

  QRadioButton* fileChoice() const { return fileChoice_; }
  QRadioButton* previousYearChoice() const { return previousChoice_; }
  QLineEdit* pathEdit() const { return path_; }
  QDoubleSpinBox* uBox() const { return u_; }
  QDoubleSpinBox* aBox() const { return a_; }
  QDoubleSpinBox* cBox() const { return c_; }
  QListWidget* fieldList() const { return fieldList_; }
  QPushButton* runButton() const { return run_; }
  TProgressBar2LineForm* progress() const { return progress_; }

  static constexpr const char* kNoReferenceText = "请先选择作为对照的上年数据文件，或者选择“上年数据表”。";
  static constexpr const char* kStoppedText = review::kReviewStoppedText;

 private:
  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  std::vector<review::ReviewField> fields_;
  Runner runner_;
  std::optional<review::ReviewResult> result_;

  QRadioButton* fileChoice_;
  QRadioButton* previousChoice_;
  QLineEdit* path_;
  QPushButton* browse_;
  QDoubleSpinBox* u_;
  QDoubleSpinBox* a_;
  QDoubleSpinBox* c_;
  QListWidget* fieldList_;
  QPushButton* run_;
  QPushButton* return_;
  TProgressBar2LineForm* progress_;
  bool running_ = false;
};

}  // namespace velmora::gui
