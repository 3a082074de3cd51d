// The review's result window: findings of a field with a realistic cloud of units, the plot of the
// selected finding's field with its bounds, the run dialog, and the roster page.
#include <QApplication>
#include <QTabWidget>
#include <cmath>
#include <random>

#include "core/db/statement.h"
#include "core/review/hb_method.h"
#include "core/review/year_review.h"
#include "gallery.h"
#include "gui/review/review_form.h"
#include "gui/review/review_result_win.h"

namespace velmora::gallery {

namespace {

// A field of this year against last year for `codes.size()` units: values spread over four decades,
// this year's about 4% above last year's, and a few units far off; tested as the review tests it.
void TestField(const review::ReviewField& field, const std::vector<std::pair<std::int64_t, std::string>>& units,
               unsigned seed, review::ReviewResult& result) {
  std::mt19937 random(seed);
  std::lognormal_distribution<double> size(std::log(800.0), 1.6);
  std::normal_distribution<double> change(0.0, 1.0);
  std::vector<review::UnitValues> values;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const double last = std::round(size(random)) + 1;
    // large units change little from year to year, small ones much
    double factor = std::max(0.3, 1.04 + change(random) * std::min(0.3, 2.5 / std::sqrt(last)));
    if (i % 97 == 13) factor = i % 2 ? 3.1 : 0.22;  // a unit that reported in another unit of measure
    values.push_back({units[i].first, last, std::round(last * factor)});
  }
  values[5].current = 0;  // a unit that stopped
  values[8].last = 0;     // and one that started
  const review::HbParameters parameters;
  review::HbScratch scratch;
  const review::FieldReview tested = review::ReviewValues(values, 800, parameters, scratch);  // leaves the HB set
  review::FieldResult r = review::DescribeField(field.name, tested, values, parameters);
  result.fields.push_back(std::move(r));
  for (const review::Finding& f : tested.findings) {
    review::ReviewFinding finding;
    finding.code = f.unit;
    for (const auto& [code, name] : units)
      if (code == f.unit) finding.name = name;
    finding.field = field.name;
    finding.kind = f.kind;
    finding.last = f.last;
    finding.current = f.current;
    finding.ratio = f.ratio;
    finding.score = f.score;
    result.findings.push_back(std::move(finding));
  }
}

}  // namespace

void RenderReview(GalleryContext& ctx) {
  db::Connection& connection = ctx.session.SysADOConnection();
  const std::vector<review::ReviewField> fields = review::ReviewFields(connection);
  std::vector<std::pair<std::int64_t, std::string>> units;
  {
    db::Statement rows = db::Statement::Native(connection, "SELECT CAST(c901 AS INTEGER), c902 FROM dt_data ORDER BY c901");
    while (rows.step()) units.emplace_back(rows.int64(0), rows.text(1));
  }
  if (units.size() < 20) return;

  {
    gui::TdlgReviewForm dialog(ctx.session, ctx.prompts, fields, false);
    Snap(ctx, dialog, "review-dialog");
  }

  review::ReviewResult result;
  result.reference = "D:/工会统计/2011年备份.mdb";
  unsigned seed = 2011;
  int tested = 0;
  for (const review::ReviewField& f : fields) {
    if (f.page < 1 || tested >= 3) continue;
    TestField(f, units, seed++, result);
    ++tested;
  }
  if (result.findings.empty()) return;
  result.findings[1].verified = true;
  result.findings[1].note = "单位电话说明：合并了下属工会";
  result.roster.matched = static_cast<std::int64_t>(units.size()) - 3;
  for (std::size_t i = 0; i < 3; ++i) result.roster.added.push_back({units[i].first, units[i].second});
  result.roster.missing = {{110101990001, "北京某机械厂工会"}, {110101990002, "某区第二小学工会"}};

  gui::TReviewResultWin window(ctx.session, ctx.prompts, result, fields);
  window.resize(1100, 720);
  window.setShowVerified(true);
  window.selectFinding(0);
  Snap(ctx, window, "review-result");
  window.tabs()->setCurrentIndex(1);
  Snap(ctx, window, "review-result-missing");
}

}  // namespace velmora::gallery
