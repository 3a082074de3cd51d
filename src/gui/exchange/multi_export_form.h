#pragma once
// The batch import dialog "数据批量导入": browse for several packages or backups (their labels show
// joined by " || ", their paths by ";", and one row each in the list of files), then import them one
// after another with the progress bar moving one file at a time and each file's row telling what
// became of it. Nothing is asked while the batch runs; one message closes it. Both buttons are
// disabled while the batch runs.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/prompts/user_prompts.h"
#include "core/exchange/package_import.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

class SegmentedProgressBar;

class TdlgMultiExportForm : public QDialog {
  Q_OBJECT
 public:
  // Questions, file dialogs and messages go through the session's prompts.
  TdlgMultiExportForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent = nullptr);
  ~TdlgMultiExportForm() override;

  QLineEdit* SourcePath() const { return sourcePath_; }
  QPlainTextEdit* RzMemo1() const { return memo_; }
  SegmentedProgressBar* ProgressBar1() const { return bar_; }
  QToolButton* tbBrowse() const { return browse_; }
  QPushButton* tbExport() const { return import_; }
  QPushButton* tbReturn() const { return return_; }
  // One row per chosen file: its name, its label and what became of it (columns kFileColumn,
  // kLabelColumn, kOutcomeColumn).
  QTreeWidget* lvFiles() const { return files_; }
  static constexpr int kFileColumn = 0;
  static constexpr int kLabelColumn = 1;
  static constexpr int kOutcomeColumn = 2;
  bool running() const { return running_; }
  // The outcome of the last run.
  const std::optional<exchange::BatchImport>& lastBatch() const { return last_; }

 public slots:
  void tbBrowseClick();
  void tbExportClick();
  void reject() override;  // the close box and Escape wait while a batch runs

 signals:
  // A file of the batch is done (`done` of `total`), the bar already moved.
  void fileImported(int done, int total);

 private:
  session::DatabaseSession& session_;
  UserPrompts& prompts_;
  QLabel* label_;
  QLineEdit* sourcePath_;
  QToolButton* browse_;
  QPlainTextEdit* memo_;
  QTreeWidget* files_;
  SegmentedProgressBar* bar_;
  QPushButton* import_;
  QPushButton* return_;
  std::vector<std::string> paths_;
  void showOutcome(std::size_t index, const exchange::FileImportResult& result);

  bool running_ = false;
  std::optional<exchange::BatchImport> last_;
};

// The chosen name with the extension the import dialogs complete: unless it ends in ".dat" or
// ".mdb" (exact, lower case), ".dat".
std::string CompletedImportName(const std::string& name);

}  // namespace velmora::gui
