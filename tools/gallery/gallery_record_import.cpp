// The record-by-record import: the question about a failing record whose code another unit holds,
// under each import principle, and the closing message. The flow is the program's own; the prompts
// draw each box as the program shows it and answer it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <iostream>

#include "core/db/translate.h"
#include "core/exchange/record_import.h"
#include "core/prompts/user_prompts.h"
#include "core/records/generator.h"
#include "core/session/session.h"
#include "gallery.h"
#include "gui/widgets/qt_prompts.h"

namespace velmora::gallery {

namespace {

// Draws each box under the next queued picture name ("" or none: not drawn); questions are
// answered Yes.
class DrawingPrompts : public ConsolePrompts {
 public:
  explicit DrawingPrompts(GalleryContext& ctx) : ctx_(ctx) {}
  std::deque<QString> pictures;

  void message(const std::string& text, MessageKind kind, const std::string& title = {}) override {
    auto box = gui::QtPrompts::MessageBox(nullptr, text, kind, title);
    draw(*box);
  }
  bool confirm(const std::string& text, const std::string& title = {}) override {
    auto box = gui::QtPrompts::QuestionBox(nullptr, text, title);
    draw(*box);
    return true;
  }
  // The Yes/No box the program shows, with the icon of its kind.
  bool confirmYesNo(const std::string& text, const std::string& title, MessageKind kind) override {
    auto box = gui::QtPrompts::YesNoBox(nullptr, text, title, kind);
    draw(*box);
    return true;
  }

 private:
  void draw(QWidget& box) {
    const QString name = pictures.empty() ? QString() : pictures.front();
    if (!pictures.empty()) pictures.pop_front();
    if (!name.isEmpty()) Snap(ctx_, box, name);
    box.hide();
  }
  GalleryContext& ctx_;
};

}  // namespace

void RenderRecordImport(GalleryContext& ctx) {
  QTemporaryDir work;
  const QString program = work.path() + "/program";
  QDir().mkpath(program);
  const QString shipped = QCoreApplication::applicationDirPath();
  QFile::copy(shipped + "/2012Velmora.mdb", program + "/2012Velmora.mdb");
  const std::string unitFile = (work.path() + "/unit.mdb").toStdString();
  const std::string upperFile = (work.path() + "/upper.mdb").toStdString();
  GenerateOptions options;
  options.records = 10;
  options.seed = 5;
  options.faultyPercent = 0;
  GenerateDatabase((shipped + "/2012Velmora.mdb").toStdString(), unitFile, options);
  QFile::copy(shipped + "/2012Velmora.mdb", QString::fromStdString(upperFile));

  DrawingPrompts prompts(ctx);
  session::DatabaseSession upper(program.toStdString(), prompts);
  if (!upper.OpenDatabase(upperFile)) {
    std::cerr << "record import: cannot open the database\n";
    return;
  }
  // The office holds the unit's third code under another name already.
  upper.SysADOConnection().execute("insert into dt_data(c901,c902,c912,RecordState) select c901,'某某机械厂工会',1,1 "
                                   "from dt_data in " + db::QuoteText(unitFile) + " order by rowid limit 1 offset 2");

  exchange::RecordImportOptions skip;
  skip.skipFailing = true;
  prompts.pictures = {"record-import-question", "record-import-done"};
  exchange::ImportRecordsFrom(upper, prompts, unitFile, "dt_data", skip);

  upper.SysADOConnection().execute("delete from dt_data where c902 <> '某某机械厂工会'");
  prompts.pictures = {"record-import-question-all-or-nothing"};
  exchange::ImportRecordsFrom(upper, prompts, unitFile, "dt_data", exchange::RecordImportOptions{});
}

}  // namespace velmora::gallery
