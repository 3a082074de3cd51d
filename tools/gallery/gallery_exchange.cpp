// The reporting package out and in: the label box of the export, the label question of the import,
// the message after a conflict, an already imported package, the batch dialog before, during and
// after a run and after a run over every kind of file (each file's outcome in its list, one closing
// message), and the on-line system's file written and imported through its dialog. The flows are
// the program's own; the prompts draw each box as the program shows it, save its picture and
// answer it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <iostream>

#include "core/db/connection.h"
#include "core/exchange/online_csv.h"
#include "core/exchange/package_import.h"
#include "core/exchange/reporting_package.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "core/session/working_copy.h"
#include "gallery.h"
#include "gui/exchange/import_csv_form.h"
#include "gui/exchange/multi_export_form.h"
#include "gui/widgets/qt_prompts.h"

namespace velmora::gallery {

namespace {

// Draws every box it is asked to show under the next queued picture name (none: not drawn), and
// answers with the queued answers.
class SnappingPrompts : public ConsolePrompts {
 public:
  explicit SnappingPrompts(GalleryContext& ctx) : ctx_(ctx) {}
  std::deque<QString> pictures;  // "" draws nothing for that box
  std::deque<std::string> files;
  std::deque<std::vector<std::string>> fileLists;
  std::deque<std::string> inputs;

  void message(const std::string& text, MessageKind kind, const std::string& title = {}) override {
    auto box = gui::QtPrompts::MessageBox(nullptr, text, kind, title);
    snap(*box);
  }
  bool confirm(const std::string& text, const std::string& title = {}) override {
    auto box = gui::QtPrompts::QuestionBox(nullptr, text, title);
    snap(*box);
    return true;
  }
  // The Yes/No box the program shows, with the icon of its kind.
  bool confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) override {
    auto box = gui::QtPrompts::YesNoBox(nullptr, text, title, kind);
    snap(*box);
    return true;
  }
  std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override {
    auto box = gui::QtPrompts::InputBox(nullptr, title, prompt, initial);
    snap(*box);
    if (inputs.empty()) return std::nullopt;
    std::string answer = inputs.front();
    inputs.pop_front();
    return answer;
  }
  std::optional<std::string> openFileName(const FileDialogRequest&) override { return pop(files); }
  std::optional<std::string> saveFileName(const FileDialogRequest&) override { return pop(files); }
  std::optional<std::vector<std::string>> openFileNames(const FileDialogRequest&) override {
    if (fileLists.empty()) return std::nullopt;
    auto answer = fileLists.front();
    fileLists.pop_front();
    return answer;
  }
  bool openDocument(const std::string&) override { return true; }

 private:
  void snap(QWidget& box) {
    const QString name = pictures.empty() ? QString() : pictures.front();
    if (!pictures.empty()) pictures.pop_front();
    if (!name.isEmpty()) Snap(ctx_, box, name);
    box.hide();
  }
  static std::optional<std::string> pop(std::deque<std::string>& q) {
    if (q.empty()) return std::nullopt;
    std::string a = q.front();
    q.pop_front();
    return a;
  }
  GalleryContext& ctx_;
};

}  // namespace

void RenderExchange(GalleryContext& ctx) {
  QTemporaryDir work;
  const QString program = work.path() + "/program";
  const QString docs = work.path() + "/docs";
  QDir().mkpath(program);
  QDir().mkpath(docs);
  const QString shipped = QCoreApplication::applicationDirPath();
  QFile::copy(shipped + "/view.dll", program + "/view.dll");
  QFile::copy(shipped + "/2012Velmora.mdb", program + "/2012Velmora.mdb");
  const std::string unitFile = (work.path() + "/unit.mdb").toStdString();
  const std::string upperFile = (work.path() + "/upper.mdb").toStdString();
  GenerateOptions options;
  options.records = 30;
  options.seed = 11;
  options.faultyPercent = 0;
  GenerateDatabase((shipped + "/2012Velmora.mdb").toStdString(), unitFile, options);
  QFile::copy(shipped + "/2012Velmora.mdb", QString::fromStdString(upperFile));

  SnappingPrompts prompts(ctx);
  session::DatabaseSession unit(program.toStdString(), prompts);
  session::DatabaseSession upper(program.toStdString(), prompts);
  unit.setPersonalFolder(docs.toStdString());
  upper.setPersonalFolder(docs.toStdString());
  if (!unit.OpenDatabase(unitFile) || !upper.OpenDatabase(upperFile)) {
    std::cerr << "exchange: cannot open the databases\n";
    return;
  }

  // The export: the label box as it opens, then the closing message.
  const std::string package = (docs + "/某区总工会.dat").toStdString();
  prompts.pictures = {"exchange-label-box", "exchange-export-done"};
  prompts.inputs = {"某区总工会"};
  prompts.files = {package};
  exchange::actExport(unit, prompts);

  // The import: the label question, then the closing message.
  prompts.pictures = {"exchange-import-question", "exchange-import-done"};
  prompts.files = {package};
  exchange::ImportReportingPackage(upper, prompts, "dt_data");

  // The same package again: told as already imported.
  prompts.pictures = {"", "exchange-already-imported"};
  prompts.files = {package};
  exchange::ImportReportingPackage(upper, prompts, "dt_data");

  // A unit name changed since: the package conflicts.
  upper.SysADOConnection().execute(
      "update dt_data set c902 = c902 + '（已更名）' where c901 = (select min(c901) from dt_data)");
  prompts.pictures = {"", "exchange-conflict-message"};
  prompts.files = {package};
  exchange::ImportReportingPackage(upper, prompts, "dt_data");

  // Two packages for the batch: one of new codes only, one with a code already stored.
  unit.SysADOConnection().execute("update dt_data set c901 = c901 + 500000 where c901 > (select min(c901) from dt_data)");
  const std::string second = (docs + "/某街道工会.dat").toStdString();
  exchange::WritePackage(unit, second, "某街道工会");
  unit.SysADOConnection().execute("update dt_data set c901 = c901 + 200000");
  const std::string third = (docs + "/某镇总工会.dat").toStdString();
  exchange::WritePackage(unit, third, "某镇总工会");

  gui::TdlgMultiExportForm dialog(upper, prompts);
  Snap(ctx, dialog, "exchange-batch-before");
  prompts.fileLists = {{third, second}};
  dialog.tbBrowseClick();
  Snap(ctx, dialog, "exchange-batch-chosen");
  bool during = false;
  QObject::connect(&dialog, &gui::TdlgMultiExportForm::fileImported, [&](int done, int) {
    if (done == 1 && !during) {
      during = true;
      Snap(ctx, dialog, "exchange-batch-running");
    }
  });
  prompts.pictures = {"exchange-batch-message"};
  dialog.tbExportClick();
  Snap(ctx, dialog, "exchange-batch-after");
  dialog.hide();

  // A batch over every kind of file: one imported before, one whose code another unit holds now,
  // one changed since it was exported, one new. Nothing stops the run; the list tells each file.
  const std::string damaged = (docs + "/某村工会.dat").toStdString();
  QFile::copy(QString::fromStdString(third), QString::fromStdString(damaged));
  session::RestorePackageHeader(damaged);
  {
    db::Connection changed("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + damaged);
    changed.execute("update dt_data set z001 = z001 + 1 where id = (select min(id) from dt_data)");
  }
  session::ScramblePackageHeader(damaged);
  unit.SysADOConnection().execute("update dt_data set c901 = c901 + 100000");
  const std::string fresh = (docs + "/某乡工会.dat").toStdString();
  exchange::WritePackage(unit, fresh, "某乡工会");
  gui::TdlgMultiExportForm mixed(upper, prompts);
  prompts.fileLists = {{third, package, damaged, fresh}};
  mixed.tbBrowseClick();
  prompts.pictures = {"exchange-batch-mixed-message"};
  mixed.tbExportClick();
  Snap(ctx, mixed, "exchange-batch-mixed-after");
  mixed.hide();

  // The on-line system's file: written by the unit, then the import dialog at the upper office.
  const std::string online = (docs + "/网络版上报.csv").toStdString();
  prompts.pictures = {"csv-export-done"};
  prompts.files = {online};
  exchange::ExportOnlineCsv(unit, prompts);
  upper.SysADOConnection().execute("delete from dt_data");
  gui::TdlgImportCSVForm csv(upper, prompts);
  Snap(ctx, csv, "csv-import-before");
  prompts.files = {online};
  csv.tbBrowseClick();
  Snap(ctx, csv, "csv-import-chosen");
  prompts.pictures = {"csv-import-message"};
  csv.tbExportClick();
  Snap(ctx, csv, "csv-import-after");
  csv.hide();
}

}  // namespace velmora::gallery
