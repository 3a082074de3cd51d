#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>

#include "gallery.h"
#include "gui/widgets/valid_edit.h"
#include "gui/exchange/save_list_form.h"

namespace velmora::gallery {

void RenderExports(GalleryContext& ctx) {
  // The table list file ships beside the program; the gallery's program folder gets its copy.
  QFile::copy(QCoreApplication::applicationDirPath() + "/exporttable.vm",
              QString::fromStdString(ctx.session.ProgramFolder()) + "/exporttable.vm");
  gui::TdlgSaveListForm dialog(ctx.session, ctx.prompts);
  Snap(ctx, dialog, "exports-datalist");
  dialog.TableList()->item(0)->setCheckState(Qt::Checked);
  dialog.TableList()->item(4)->setCheckState(Qt::Checked);
  dialog.Range()->setChecked(true);
  dialog.c901_1()->setText("110101000001");
  dialog.c901_2()->setText("110101000200");
  Snap(ctx, dialog, "exports-datalist-range");
}

}  // namespace velmora::gallery
