#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>

#include "core/catalogue/field_catalogue.h"
#include "core/entry/enabling_rules.h"
#include "gallery.h"
#include "gui/entry/message_list_win.h"
#include "gui/records/grid_bound_records.h"
#include "gui/entry/city_name_form.h"
#include "gui/widgets/code_popup.h"
#include "gui/entry/cover_page.h"
#include "gui/entry/survey_data_form.h"
#include "gui/entry/union_type_form.h"
#include "gui/records/record_grid.h"
#include "gui/widgets/qt_prompts.h"

namespace velmora::gallery {

namespace {

void SnapEveryPage(GalleryContext& ctx, gui::TdlgSurveyDataForm& form, const QString& prefix) {
  for (int page = 0; page < form.DataPage()->count(); ++page) {
    form.DataPage()->setCurrentIndex(page);
    Snap(ctx, form, QString("%1-page%2").arg(prefix).arg(page));
  }
  form.DataPage()->setCurrentIndex(0);
}

}  // namespace

void RenderEntryForm(GalleryContext& ctx) {
  UserPrompts& prompts = ctx.prompts;
  db::Connection& connection = ctx.session.SysADOConnection();

  gui::RecordGrid grid(ctx.session, prompts);
  grid.setFieldData(catalogue::LoadFieldData(connection, ctx.session.Edition()));
  grid.open();
  grid.setCurrentRow(2);
  gui::GridBoundRecords records(grid);

  gui::TdlgSurveyDataForm form(ctx.session, prompts);
  form.setBoundRecords(&records);

  // Adding: an empty record with the proposed code.
  form.IsNew = true;
  form.FormShow();
  SnapEveryPage(ctx, form, "entry-adding");

  // Modifying the third record of the list.
  form.IsNew = false;
  form.FormShow();
  SnapEveryPage(ctx, form, "entry-modifying");

  // A plausibility prompt over page 2: the box the program shows when b005 is left.
  {
    form.DataPage()->setCurrentIndex(2);
    Snap(ctx, form, "entry-modifying-page2-before-prompt");
    auto box = gui::QtPrompts::OkCancelBox(
        &form, "提示：", "职工人均金额超过一千万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改",
        MessageKind::Warning);
    Snap(ctx, *box, "entry-plausibility-prompt");
    box->hide();
    form.DataPage()->setCurrentIndex(0);
  }

  // A unit category that closes pages 3 to 6 and the holding situation.
  {
    entry::EntryForm image = form.image();
    form.applyEffects(entry::ApplyReportingState(form.context(), image, 1));
    image = form.image();
    form.applyEffects(entry::ApplyUnitCategory(form.context(), image, 500));
    Snap(ctx, form, "entry-category-500-cover");
    form.DataPage()->setCurrentIndex(3);
    Snap(ctx, form, "entry-category-500-page3");
    form.DataPage()->setCurrentIndex(2);
    Snap(ctx, form, "entry-category-500-page2");
  }

  // A closed record: reporting state 3 closes every indicator.
  {
    form.FormShow();
    entry::EntryForm image = form.image();
    form.applyEffects(entry::ApplyReportingState(form.context(), image, 3));
    form.DataPage()->setCurrentIndex(0);
    Snap(ctx, form, "entry-closed-c912-3-cover");
    form.DataPage()->setCurrentIndex(1);
    Snap(ctx, form, "entry-closed-c912-3-page1");
  }

  // The code list of the unit category, open beside its name control.
  form.FormShow();
  Snap(ctx, form, "entry-cover-before-list");
  form.OpenCodeList(*form.cover()->EconomicName);
  QMenu* list = form.ToolForm()->CodePopupMenu();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  Snap(ctx, *list, "entry-code-list");
  list->hide();

  // The pickers.
  gui::TCityNameForm city(connection, 320105);
  Snap(ctx, city, "picker-city");
  city.hide();
  gui::TUnionTypeForm unionType(connection, "C13");
  Snap(ctx, unionType, "picker-union-type");
  unionType.hide();

  // The error list with entries of two pages.
  gui::TMessageListWinForm* errors = form.MessageListWin();
  errors->ClearEntries();
  errors->AddEntry("z003<=z002", "[职工中女性(人)]应小于或等于[职工(人)]", "z003", 1);
  errors->AddEntry("z007+z008<=z006",
                   "[会员中女性(人)]加[会员中农民工(人)]应小于或等于[工会会员(人)]，请核对工会会员中女性与农民工的人数，"
                   "两者之和不能超过会员总数",
                   "z007", 1);
  errors->AddEntry("b002<=b001", "[经济性裁员中得到经济性补偿(人)]应小于或等于[经济性裁员人数(人)]", "b002", 2);
  Snap(ctx, *errors, "error-list");
  errors->hide();
  form.hide();
}

}  // namespace velmora::gallery
