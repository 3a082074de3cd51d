// Moving about the entry form: page changes with their checks, field movement within and across
// pages, and stepping through the record set.
#include <QAction>
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "gui/entry/message_list_win.h"
#include "gui/entry/bound_records.h"
#include "gui/entry/survey_data_form.h"

namespace velmora::gui {

namespace {

// Whether the field is one the movement may stop at.
bool TakesFocus(const QWidget* w) {
  return w->isEnabled() && !w->isHidden() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// The position of the control named like `from` in `fields`; `fields.size()` when absent.
std::size_t PositionByName(const std::vector<QWidget*>& fields, const QWidget* from, bool fromEnd) {
  if (!from) return fields.size();
  const QString name = from->objectName();
  if (fromEnd) {
    for (std::size_t i = fields.size(); i-- > 0;)
      if (fields[i]->objectName() == name) return i;
  } else {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i]->objectName() == name) return i;
  }
  return fields.size();
}

}  // namespace

// Before every change of the active page. While the record reports figures the error list is
// emptied, the cover is validated when it is left, and the rules of the new page and then of the
// page left are checked into one list. The notes follow every change that is allowed.
bool TdlgSurveyDataForm::DataPageChanging(int from, int to) {
  bool allow = true;
  if (context_.IsLoaded && reportingOpen()) {
    errorList_->ClearEntries();
    bool checkPages = true;
    if (from == 0) {
      const entry::CheckResult valid = entry::ValidateCoverPage(context_, image());
      if (!valid.passed) {
        applyCheck(valid);
        allow = false;
      }
      // Leaving the cover checks pages only when the error list leads the form to an entry; a
      // refused change stays on the cover and checks nothing.
      checkPages = allow && errorList_->Navigating;
    }
    if (checkPages) {
      runPageRules(to, true);
      if (from != 0) runPageRules(from, false);
    }
  }
  if (allow) LoadNotes(to);
  return allow;
}

void TdlgSurveyDataForm::DataPageChange() { FocusFirstField(); }

// Takes the focus off the field being typed in before its page goes, so that the field's own
// check (or prompt) runs first. False when that check kept the focus in the field.
bool TdlgSurveyDataForm::leaveFocusedField() {
  QWidget* focused = QApplication::focusWidget();
  if (!focused || !fieldPage_.contains(focused)) return true;
  dataPage_->tabBar()->setFocus(Qt::OtherFocusReason);
  return QApplication::focusWidget() != focused;
}

bool TdlgSurveyDataForm::setActivePage(int index) {
  if (index < 0 || index >= dataPage_->count()) return false;
  const int from = dataPage_->currentIndex();
  if (index == from) return true;
  if (!leaveFocusedField()) return false;
  if (!DataPageChanging(from, index)) return false;
  dataPage_->setCurrentIndex(index);
  activePage_ = index;
  DataPageChange();
  return true;
}

void TdlgSurveyDataForm::FocusFirstField() {
  for (QWidget* w : pageFields_[static_cast<std::size_t>(dataPage_->currentIndex())]) {
    if (TakesFocus(w)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

// The next field of the page after `from`; past the page's last one the next page, and past the
// last page the formal save (with its checks, as from the button).
void TdlgSurveyDataForm::FocusNextField(QWidget* from) {
  const int lastPage = dataPage_->count() - 1;
  for (int hops = 0; hops <= lastPage; ++hops) {
    const int page = dataPage_->currentIndex();
    const std::vector<QWidget*>& fields = pageFields_[static_cast<std::size_t>(page)];
    const std::size_t at = PositionByName(fields, from, false);
    for (std::size_t i = at == fields.size() ? 0 : at + 1; i < fields.size(); ++i) {
      if (TakesFocus(fields[i])) {
        fields[i]->setFocus(Qt::TabFocusReason);
        return;
      }
    }
    if (page == lastPage) {
      tbSaveClick(true);
      return;
    }
    if (!setActivePage(page + 1)) return;
    from = nullptr;
  }
}

// The previous field of the page before `from`; before the page's first one the previous page,
// and before the cover's first field the last page.
void TdlgSurveyDataForm::FocusPreviousField(QWidget* from) {
  const int lastPage = dataPage_->count() - 1;
  for (int hops = 0; hops <= lastPage; ++hops) {
    const int page = dataPage_->currentIndex();
    const std::vector<QWidget*>& fields = pageFields_[static_cast<std::size_t>(page)];
    const std::size_t at = PositionByName(fields, from, true);
    for (std::size_t i = at == fields.size() ? fields.size() : at; i-- > 0;) {
      if (TakesFocus(fields[i])) {
        fields[i]->setFocus(Qt::BacktabFocusReason);
        return;
      }
    }
    if (!setActivePage(page == 0 ? lastPage : page - 1)) return;
    from = nullptr;
  }
}

void TdlgSurveyDataForm::ShowPageAndFocus(int page, const QString& focus) {
  if (!setActivePage(page)) return;
  QWidget* w = controls_.value(focus.toLower());
  if (w && w->isEnabled() && w->focusPolicy() != Qt::NoFocus) w->setFocus(Qt::OtherFocusReason);
}

void TdlgSurveyDataForm::updateNavigation() {
  const std::int64_t count = boundRecords_ ? boundRecords_->recordCount() : 0;
  const std::int64_t at = boundRecords_ ? boundRecords_->position() : 0;
  navAction("actFirst")->setEnabled(at > 1);
  navAction("actPrev")->setEnabled(at > 1);
  navAction("actNext")->setEnabled(at < count);
  navAction("actLast")->setEnabled(at < count);
}

// "第一条", "上一条", "下一条", "最后一条": the close query first (it may store the record or keep
// the form where it is), then the record at the new position.
void TdlgSurveyDataForm::navigate(QAction* action) {
  if (!boundRecords_ || !FormCloseQuery()) return;
  const std::int64_t count = boundRecords_->recordCount();
  if (count == 0) return;
  std::int64_t at = boundRecords_->position();
  const QString name = action->objectName();
  if (name == "actFirst") at = 1;
  else if (name == "actPrev") at = std::max<std::int64_t>(1, at - 1);
  else if (name == "actNext") at = std::min(count, at + 1);
  else at = count;
  boundRecords_->moveTo(at);
  try {
    LoadRecord();
  } catch (const std::exception& e) {
    showRunError(e);
  }
}

}  // namespace velmora::gui
