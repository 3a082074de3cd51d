#include "gui/review/review_actions.h"

#include <QTimer>
#include <QToolButton>

#include "core/prompts/user_prompts.h"
#include "core/review/year_review.h"
#include "core/session/session.h"
#include "gui/entry/bound_records.h"
#include "gui/entry/survey_data_form.h"
#include "gui/records/record_grid.h"
#include "gui/records/records_actions.h"
#include "gui/review/review_form.h"
#include "gui/review/review_result_win.h"
#include "gui/widgets/gui_text.h"

namespace velmora::gui {

namespace {

bool HoldsCode(const std::optional<db::Variant>& key, std::int64_t code) {
  return key && !key->isNull() && key->toInt64() == code;
}

std::string NotInListText(std::int64_t code) {
  return "当前的数据列表中没有统计编码为" + std::to_string(code) + "的记录。";
}

}  // namespace

void OpenRecordAtField(TdlgSurveyDataForm& form, RecordGrid& list, UserPrompts& prompts, std::int64_t code, int page,
                       const std::string& field) {
  const QString focus = QText(field);
  if (form.isVisible()) {
    BoundRecords* records = form.boundRecords();
    if (!records) return;
    if (form.IsNew) {
      prompts.message("正在添加新记录。请先返回数据列表，再从审核结果打开记录。", MessageKind::Warning);
      return;
    }
    if (!HoldsCode(records->currentKey(), code)) {
      if (!form.FormCloseQuery()) return;
      records->moveToKey(db::Variant(code));
      if (!HoldsCode(records->currentKey(), code)) {
        prompts.message(NotInListText(code), MessageKind::Warning);
        return;
      }
      try {
        form.LoadRecord();
      } catch (const std::exception& e) {
        prompts.message(e.what(), MessageKind::Error);
        return;
      }
    }
    if (page >= 0) form.ShowPageAndFocus(page, focus);
    form.activateWindow();
    return;
  }
  list.moveToKey(db::Variant(code));
  if (!HoldsCode(list.currentKey(), code)) {
    prompts.message(NotInListText(code), MessageKind::Warning);
    return;
  }
  // once the form shows its record, it goes to the field
  if (page >= 0) QTimer::singleShot(0, &form, [&form, page, focus] { form.ShowPageAndFocus(page, focus); });
  OpenEntryFormAction(form, list, prompts, false);
}

TReviewResultWin* RunReviewAction(ActionContext& context, const std::function<TdlgSurveyDataForm*()>& entryForm) {
  std::vector<review::ReviewField> fields;
  bool previousYear = false;
  try {
    fields = review::ReviewFields(context.session.SysADOConnection());
    previousYear = review::PreviousYearHasRecords(context.session.SysADOConnection());
  } catch (const std::exception& e) {
    context.prompts.message(e.what(), MessageKind::Error);
    return nullptr;
  }
  TdlgReviewForm dialog(context.session, context.prompts, fields, previousYear, context.parent);
  if (dialog.exec() != QDialog::Accepted || !dialog.result()) return nullptr;

  TdlgSurveyDataForm* form = entryForm ? entryForm() : nullptr;
  QWidget* owner = form ? static_cast<QWidget*>(form) : context.parent;
  if (owner)
    for (TReviewResultWin* earlier : owner->findChildren<TReviewResultWin*>(Qt::FindDirectChildrenOnly)) earlier->close();
  auto* window = new TReviewResultWin(context.session, context.prompts, std::move(*dialog.result()), std::move(fields),
                                      owner);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (form)
    if (QToolButton* save = form->button("tbSave"); save && save->parentWidget())
      window->setKeepClear(save->parentWidget()->parentWidget());
  if (form && context.list) {
    RecordGrid* list = context.list;
    UserPrompts* prompts = &context.prompts;
    window->setNavigator([form, list, prompts](std::int64_t code, int page, const std::string& field) {
      OpenRecordAtField(*form, *list, *prompts, code, page, field);
    });
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace velmora::gui
