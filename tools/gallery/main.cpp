// velmora-gallery OUTPUT_FOLDER [RECORDS]
// Opens a copy of the shipped database filled with generated records and writes one PNG per window
// state into OUTPUT_FOLDER.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

#include "core/records/generator.h"
#include "core/session/session.h"
#include "gallery.h"
#include "gui/widgets/qt_prompts.h"

namespace velmora::gallery {

void Snap(GalleryContext& ctx, QWidget& widget, const QString& name) {
  widget.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  QString file = QDir(ctx.outputFolder).filePath(name + ".png");
  if (widget.grab().save(file)) {
    ++ctx.written;
    std::cout << file.toStdString() << "\n";
  } else {
    std::cerr << "cannot write " << file.toStdString() << "\n";
  }
}

}  // namespace velmora::gallery

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: velmora-gallery OUTPUT_FOLDER [RECORDS]\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(out);
  long records = argc > 2 ? std::atol(argv[2]) : 500;

  // The gallery works on its own copy: a program folder with a generated database in it.
  QTemporaryDir folder;
  std::string program = folder.path().toStdString();
  std::string shipped = (QCoreApplication::applicationDirPath() + "/2012Velmora.mdb").toStdString();
  velmora::GenerateOptions options;
  options.records = records;
  options.seed = 2012;
  velmora::GenerateDatabase(shipped, program + "/2012Velmora.mdb", options);

  velmora::gui::QtPrompts prompts;
  velmora::session::DatabaseSession session(program, prompts);
  if (!session.OpenDatabase("")) return 1;

  velmora::gallery::GalleryContext ctx{session, prompts, out};
  velmora::gallery::RenderMainWindow(ctx);
  velmora::gallery::RenderRecordList(ctx);
  velmora::gallery::RenderSettingsDialogs(ctx);
  velmora::gallery::RenderEntryForm(ctx);
  velmora::gallery::RenderCheckDialog(ctx);
  velmora::gallery::RenderExchange(ctx);
  velmora::gallery::RenderGroups(ctx);
  velmora::gallery::RenderSummary(ctx);
  velmora::gallery::RenderSearch(ctx);
  velmora::gallery::RenderRecordImport(ctx);
  velmora::gallery::RenderPrint(ctx);
  velmora::gallery::RenderExports(ctx);
  velmora::gallery::RenderReview(ctx);
  std::cout << ctx.written << " pictures\n";
  return ctx.written > 0 ? 0 : 1;
}
