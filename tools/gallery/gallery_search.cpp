#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>

#include "core/catalogue/field_catalogue.h"
#include "gallery.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/widgets/valid_edit.h"
#include "gui/records/record_grid.h"
#include "gui/search/locate_form.h"
#include "gui/search/query_list_form.h"
#include "gui/search/search_forms.h"

namespace velmora::gallery {

namespace {
void Choose(gui::TCodeNameBox* box, const survey::TMenuItemDataArray& list, int code) {
  box->setText(QString::fromStdString(survey::LookupCodeName(list, code)));
  box->setRememberedCode(code);
}
}  // namespace

void RenderSearch(GalleryContext& ctx) {
  UserPrompts& prompts = ctx.prompts;
  db::Connection& connection = ctx.session.SysADOConnection();

  gui::TdlgSearchForm search(prompts);
  search.show();
  Choose(search.lc1(), search::OperatorList(), 4);
  Choose(search.lc3(), search::OperatorList(), 5);
  search.number1()->setPlain("110101000000");
  search.number2()->setPlain("130000000000");
  Snap(ctx, search, "search-code-range");

  gui::TdlgDataSearchForm data(connection, prompts);
  data.show();
  data.DataField()->setText("z002");
  Choose(data.lc1(), search::OperatorList(), 4);
  data.Number1()->setText("100");
  Choose(data.lc3(), search::OperatorList(), 5);
  data.Number2()->setText("500");
  Snap(ctx, data, "search-indicator-query");

  gui::TDataSearchCodeForm* picker = data.picker();
  picker->show();
  picker->TypeList1()->setCurrentRow(1);
  picker->showPage(1);
  Snap(ctx, *picker, "search-indicator-picker");
  picker->hide();

  gui::RecordGrid grid(ctx.session, prompts);
  grid.setFieldData(catalogue::LoadFieldData(connection, ctx.session.Edition()));
  grid.open();
  gui::TdlgLocateForm locate(connection, prompts, grid);
  locate.show();
  locate.rad902()->setChecked(true);
  locate.c902()->setText(QStringLiteral("机械"));
  Snap(ctx, locate, "search-locate");

  gui::TdlgQueryListForm results(ctx.session, prompts);
  results.resize(1000, 520);
  results.SetCondition("where z002>=100 and z002<=500");
  results.DBGrid1()->setCurrentRow(2);
  Snap(ctx, results, "search-result-list");
}

}  // namespace velmora::gallery
