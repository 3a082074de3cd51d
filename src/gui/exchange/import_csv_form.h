#pragma once
// The dialog "导入文件" of the on-line system's exchange file: browse for the file, import it with the
// bar showing how far the file has been read. The importing computer's stamp is taken once, when the
// dialog is first shown, and goes into c900 of every imported record. Both buttons are disabled while
// an import runs; the dialog may run another import afterwards.

#include <QDialog>
#include <optional>
#include <string>

#include "core/prompts/user_prompts.h"
#include "core/exchange/online_csv.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class SegmentedProgressBar;

class TdlgImportCSVForm : public QDialog {
  Q_OBJECT
 public:
  // File dialogs and messages go through the session's prompts.
  TdlgImportCSVForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TdlgImportCSVForm() override;

  QLabel* RzLabel1() const { return label1_; }
  QLabel* RzLabel2() const { return label2_; }
  QLineEdit* SourcePath() const { return sourcePath_; }
  SegmentedProgressBar* ProgressBar1() const { return bar_; }
  QToolButton* tbBrowse() const { return browse_; }
  QPushButton* tbExport() const { return import_; }
  QPushButton* tbReturn() const { return return_; }
  bool running() const { return running_; }
  const std::string& machineStamp() const { return stamp_; }
  // The outcome of the last import.
  const std::optional<exchange::CsvImportResult>& lastImport() const { return last_; }

 public slots:
  void tbBrowseClick();
  void tbExportClick();
  void reject() override;  // the close box and Escape wait while an import runs

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void takeStamp();

  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  QLabel* label1_;
  QLabel* label2_;
  QLineEdit* sourcePath_;
  QToolButton* browse_;
  SegmentedProgressBar* bar_;
  QPushButton* import_;
  QPushButton* return_;
  std::string stamp_;
  bool running_ = false;
  std::optional<exchange::CsvImportResult> last_;
};

}  // namespace velmora::gui
