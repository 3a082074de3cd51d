// The record print: the progress window half-way through a print, and the printed annual report
// form as a spreadsheet program renders it (LibreOffice to PDF, ghostscript to PNG).
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <exception>
#include <iostream>

#include "core/db/statement.h"
#include "core/jobs/job.h"
#include "core/print/record_print.h"
#include "gallery.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/window_job.h"

namespace velmora::gallery {

namespace {

bool Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

void RenderPrint(GalleryContext& ctx) {
  {
    gui::TProgressBarForm progress;
    gui::WindowJob job(&progress, nullptr, false);
    job.start(8);
    job.step(3);
    Snap(ctx, progress, "print-progress");
    job.finish();
  }

  db::Connection& connection = ctx.session.SysADOConnection();
  std::string code;
  {
    db::Statement first(connection, "select c901 from dt_data order by c901");
    if (first.step()) code = first.value(0).toString();
  }
  if (code.empty()) return;
  QTemporaryDir work;
  const QString workbook = work.path() + "/print.xlsx";
  const std::string templatePath =
      (QCoreApplication::applicationDirPath() + "/" + QString::fromUtf8(print::kPrintTemplateName)).toStdString();
  try {
    print::PrintRecordToFile(connection, jobs::NoJob(), templatePath, code, workbook.toStdString(),
                             ctx.session.DatabasePath());
  } catch (const std::exception& e) {
    std::cerr << "print: " << e.what() << "\n";
    return;
  }
  const QString soffice = QStandardPaths::findExecutable("soffice");
  const QString gs = QStandardPaths::findExecutable("gs");
  if (soffice.isEmpty() || gs.isEmpty()) {
    std::cerr << "print: soffice or gs missing, the printed workbook is not rendered\n";
    return;
  }
  const QString profile = "file://" + work.path() + "/profile";
  if (!Run(soffice, {"-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf", "--outdir", work.path(),
                     workbook}) ||
      !Run(gs, {"-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=png16m", "-r80", "-dFirstPage=1", "-dLastPage=2",
                "-sOutputFile=" + ctx.outputFolder + "/print-workbook-%d.png", work.path() + "/print.pdf"})) {
    std::cerr << "print: the printed workbook could not be rendered\n";
    return;
  }
  ctx.written += 2;
}

}  // namespace velmora::gallery
