// The plausibility prompts of the entry form: arrears per employee or per migrant worker of ten
// million yuan or more, and a total wage above 200 000 yuan per employee, are asked about when
// their field is left. OK keeps the amount; Cancel takes the user back to the field.
#include <QTabWidget>
#include <cstring>

#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_data_form.h"

namespace velmora::gui {

namespace {

constexpr const char* kPromptTitle = "提示：";

struct PlausibilityRule {
  const char* field;     // the field whose leaving asks
  const char* dividend;  // an amount, taken as a decimal
  const char* divisor;   // a count, taken as a whole number; 0 never asks
  double limit;
  bool limitIncluded;    // asks at the limit itself
  const char* message;
};

constexpr PlausibilityRule kRules[] = {
    {"b005", "b005", "b003", 10000000, true,
     "职工人均金额超过一千万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
    {"b006", "b006", "b004", 10000000, true,
     "农民工人均金额超过一千万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
    // b029 is in ten thousand yuan
    {"b029", "b029", "z002", 20, false,
     "指标b029的单位为万元，本年度人均工资总额超过20万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
    {"z002", "b029", "z002", 20, false,
     "指标b029的单位为万元，本年度人均工资总额超过20万，是否属实?如果属实请点【确定】继续，否则请点【取消】修改"},
};

const PlausibilityRule* RuleFor(const QString& field) {
  for (const PlausibilityRule& rule : kRules)
    if (field == QLatin1String(rule.field)) return &rule;
  return nullptr;
}

}  // namespace

void TdlgSurveyDataForm::plausibilityExit(const QString& name) {
  if (syncing_ || inExit_ || !context_.IsLoaded) return;
  const PlausibilityRule* rule = RuleFor(name);
  if (!rule) return;
  const TNumericEdit* amountBox = numericBox(rule->dividend);
  const TNumericEdit* countBox = numericBox(rule->divisor);
  if (!amountBox || !countBox) return;
  const qint64 count = countBox->integerValue();
  if (count == 0) return;
  const double amount = amountBox->value();
  const double ratio = amount / static_cast<double>(count);
  if (rule->limitIncluded ? ratio < rule->limit : ratio <= rule->limit) return;

  // Figures the user has already confirmed are not asked about again while the record is open.
  const QString key = QString::fromLatin1(rule->dividend) + '/' + QString::fromLatin1(rule->divisor);
  const QPair<double, qint64> figures{amount, count};
  if (confirmedRatios_.value(key) == figures) return;

  inExit_ = true;
  const bool keep = prompts_.confirmOkCancel(kPromptTitle, rule->message, MessageKind::Warning);
  inExit_ = false;
  if (keep) {
    confirmedRatios_.insert(key, figures);
    return;
  }
  focusControl(rule->field);  // shows the field's own page first
}

}  // namespace velmora::gui
