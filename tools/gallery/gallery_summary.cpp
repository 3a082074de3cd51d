#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

#include "core/summary/sum_table_list.h"
#include "gallery.h"
#include "gui/settings/progress_bar_2line_form.h"
#include "gui/summary/sum_form.h"

namespace velmora::gallery {

void RenderSummary(GalleryContext& ctx) {
  // The worksheet list beside the program, as shipped.
  const QString list = QString::fromStdString(ctx.session.ProgramFolder()) + "/" + summary::kSumTableFileName;
  QFile::remove(list);
  QFile::copy(QCoreApplication::applicationDirPath() + "/" + summary::kSumTableFileName, list);

  gui::TdlgSumForm form(ctx.session, ctx.session.Prompts(), ctx.session.ProgramFolder());
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
}

}  // namespace velmora::gallery
