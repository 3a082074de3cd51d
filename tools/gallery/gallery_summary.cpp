// The summary: the dialog, its two-line progress during a run, and the summary workbooks as a
// spreadsheet program prints them (LibreOffice to PDF, then PNG).
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <exception>
#include <iostream>
#include <optional>

#include "core/groups/groups.h"
#include "core/summary/sum_columns.h"
#include "core/summary/sum_table_list.h"
#include "core/summary/summary_workbook.h"
#include "gallery.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/summary/sum_form.h"

namespace velmora::gallery {

namespace {

bool Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The summary workbook of the ticked worksheets saved as `path`; false (said on standard error)
// when none is made.
bool SaveSummary(GalleryContext& ctx, const std::vector<int>& sheets, int classification, int groupId,
                 const QString& path) {
  summary::SheetTicks ticks(summary::kLastSummarySheet, false);
  for (int s : sheets) ticks[static_cast<std::size_t>(s) - 1] = true;
  ConsolePrompts prompts;
  try {
    const std::string templatePath =
        summary::SummaryTemplatePath(QCoreApplication::applicationDirPath().toStdString());
    std::optional<summary::SummaryBook> book = summary::MakeSummaryWorkbook(
        ctx.session.SysADOConnection(), templatePath, ticks, classification, groupId, prompts);
    if (!book) return false;
    book->workbook.save(path.toStdString());
    return true;
  } catch (const std::exception& e) {
    std::cerr << "summary: " << e.what() << "\n";
    return false;
  }
}

// Worksheet 4 (with its ratio column) and 5 (amounts) summarised by the first group with items,
// and worksheet 4 by industry (a long table).
void RenderSummaryWorkbooks(GalleryContext& ctx) {
  std::int64_t group = 0;
  for (const groups::Group& g : groups::ListGroups(ctx.session.SysADOConnection())) {
    if (g.itemCount > 0) {
      group = g.id;
      break;
    }
  }
  QTemporaryDir work;
  const QString byGroup = work.path() + "/summary-workbook-group.xlsx";
  const QString byIndustry = work.path() + "/summary-workbook-industry.xlsx";
  if ((group != 0 && !SaveSummary(ctx, {4, 5}, summary::kByGroup, static_cast<int>(group), byGroup)) ||
      !SaveSummary(ctx, {4}, summary::kByIndustry, 0, byIndustry)) {
    std::cerr << "summary: no workbook to render\n";
    return;
  }
  const QString soffice = QStandardPaths::findExecutable("soffice");
  const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
  const QString gs = QStandardPaths::findExecutable("gs");
  if (soffice.isEmpty() || (pdftoppm.isEmpty() && gs.isEmpty())) {
    std::cerr << "summary: soffice, or both pdftoppm and gs, missing; the summary workbook is not rendered\n";
    return;
  }
  QStringList workbooks{byIndustry};
  if (group != 0) workbooks.prepend(byGroup);
  const QString profile = "file://" + work.path() + "/profile";
  if (!Run(soffice, QStringList{"-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf", "--outdir",
                                work.path()} +
                        workbooks)) {
    std::cerr << "summary: the summary workbook could not be converted\n";
    return;
  }
  // Each workbook's pages: the group's two worksheets, the first page of the industry's.
  for (const QString& workbook : workbooks) {
    const QString name = QFileInfo(workbook).completeBaseName();
    const QString pdf = work.path() + "/" + name + ".pdf";
    const int pages = workbook == byGroup ? 2 : 1;
    const bool rendered =
        !pdftoppm.isEmpty()
            ? Run(pdftoppm, {"-png", "-r", "80", "-f", "1", "-l", QString::number(pages), pdf,
                             ctx.outputFolder + "/" + name})
            : Run(gs, {"-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=png16m", "-r80", "-dFirstPage=1",
                       "-dLastPage=" + QString::number(pages), "-sOutputFile=" + ctx.outputFolder + "/" + name + "-%d.png",
                       pdf});
    if (!rendered) {
      std::cerr << "summary: " << name.toStdString() << " could not be rendered\n";
      continue;
    }
    ctx.written += pages;
  }
}

}  // namespace

void RenderSummary(GalleryContext& ctx) {
  // The worksheet list beside the program, as shipped.
  const QString list = QString::fromStdString(ctx.session.ProgramFolder()) + "/" + summary::kSumTableFileName;
  QFile::remove(list);
  QFile::copy(QCoreApplication::applicationDirPath() + "/" + summary::kSumTableFileName, list);

  gui::TdlgSumForm form(ctx.session, ctx.prompts, ctx.session.ProgramFolder());
  if (!form.Load()) return;
  form.Button2()->click();
  for (int row : {2, 3, 4, 7}) form.TableList()->item(row)->setCheckState(Qt::Checked);
  Snap(ctx, form, "summary-dialog");

  // A run by industry over four worksheets, in the middle of the third.
  gui::TProgressBar2LineForm* progress = form.ProgressBar2Line();
  progress->ShowRunButtons(true);
  progress->InitFirst(4);
  progress->IncFirst();
  progress->IncFirst();
  progress->InitSecond(20);
  for (int i = 0; i < 13; ++i) progress->IncSecond();
  Snap(ctx, *progress, "summary-running");
  progress->hide();

  RenderSummaryWorkbooks(ctx);
}

}  // namespace velmora::gallery
