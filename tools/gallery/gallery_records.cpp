#include <QApplication>
#include <QTabWidget>

#include "core/catalogue/field_catalogue.h"
#include "gallery.h"
#include "gui/catalogue/show_form.h"
#include "gui/records/delete_form.h"
#include "gui/records/record_grid.h"

namespace velmora::gallery {

void RenderRecordList(GalleryContext& ctx) {
  UserPrompts& prompts = ctx.prompts;
  db::Connection& connection = ctx.session.SysADOConnection();

  // The list sorted by the number of workers, descending, on its fourth row.
  gui::RecordGrid grid(ctx.session, prompts);
  grid.resize(1180, 520);
  const auto fields = catalogue::LoadFieldData(connection, ctx.session.Edition());
  grid.resetSort();
  grid.setFieldData(fields);
  grid.open();
  grid.show();
  QApplication::processEvents();
  for (int i = 0; i < static_cast<int>(fields.size()); ++i)
    if (fields[static_cast<std::size_t>(i)].ShowName == "z002") grid.sortByColumn(i);
  grid.setCurrentRow(3);
  grid.scrollToTop();  // the sort kept the first record, further down now
  Snap(ctx, grid, "record-list-sorted");

  gui::TdlgDeleteForm deleteForm(ctx.session, prompts, grid);
  Snap(ctx, deleteForm, "delete-dialog");

  gui::TdlgShowForm chooser(connection, prompts);
  Snap(ctx, chooser, "column-chooser-cover");
  chooser.DataPage()->setCurrentIndex(2);
  Snap(ctx, chooser, "column-chooser-page2");
}

}  // namespace velmora::gallery
