#pragma once
// The review windows over the entry form's fixture (a generated database of twelve records): the
// indicators as the review reads them and a result made by hand from three of them — two of the
// first survey table, one of the second — with findings of every kind, one of them verified.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/review/year_review.h"
#include "gui/entry_fixture.h"
#include "gui/review/review_actions.h"
#include "gui/review/review_result_win.h"
#include "support/database.h"

namespace velmora::gui {

class ReviewFixture : public EntryFormFixture {
 protected:
  void SetUp() override {
    EntryFormFixture::SetUp();
    fields = review::ReviewFields(session->SysADOConnection());
    // fields the form lets the clerk type into on a record (a total the form works out takes no focus)
    grid->setCurrentRow(0);
    form->IsNew = false;
    form->FormShow();
    auto typed = [this](const review::ReviewField& f) {
      QWidget* box = form->control(QString::fromStdString(f.name));
      return box && box->isEnabled() && box->focusPolicy() != Qt::NoFocus;
    };
    for (const review::ReviewField& f : fields) {
      if (f.page == 1 && first.size() < 2 && typed(f)) first.push_back(f);
      if (f.page == 2 && !second && typed(f)) second = f;
    }
    form->hide();
    ASSERT_EQ(first.size(), 2u);
    ASSERT_TRUE(second.has_value());
    for (const db::Variant& v : velmora::testing::Column(session->SysADOConnection(),
                                                         "select cast(c901 as integer) from dt_data order by c901"))
      codes.push_back(v.toInt64());
    ASSERT_GE(codes.size(), 7u);
  }
  void TearDown() override {
    window.reset();
    EntryFormFixture::TearDown();
  }

  static review::ReviewFinding Finding(std::int64_t code, const std::string& field, review::FindingKind kind,
                                       double last, double current, bool verified = false) {
    review::ReviewFinding f;
    f.code = code;
    f.name = "单位" + std::to_string(code);
    f.field = field;
    f.kind = kind;
    f.last = last;
    f.current = current;
    if (kind == review::FindingKind::High || kind == review::FindingKind::Low) {
      f.ratio = current / last;
      f.score = kind == review::FindingKind::High ? 9.5 : -8.25;
    }
    f.verified = verified;
    if (verified) f.note = "电话核实";
    return f;
  }

  // A field's test with a cloud of `points` units around the ratio 1 and sizes from 1 to 10^decades.
  static review::FieldResult Tested(const std::string& field, int points, double decades) {
    review::FieldResult r;
    r.field = field;
    r.tested = static_cast<std::size_t>(points);
    r.medianRatio = 1.0;
    r.q1 = -0.5, r.qm = 0.0, r.q3 = 0.5;
    r.lowSpread = 0.5, r.highSpread = 0.5;
    r.u = 0.5, r.c = 7;
    for (int i = 0; i < points; ++i) {
      const double t = points > 1 ? static_cast<double>(i) / (points - 1) : 0;
      r.sample.push_back({1.0 + 0.3 * ((i % 7) - 3) / 3.0, std::pow(10.0, decades * t)});
    }
    return r;
  }

  // Findings 0..5: High, Low and FromZero in the first table's two fields, ToZero and a verified High in
  // the second table's field.
  review::ReviewResult HandResult() {
    review::ReviewResult r;
    r.reference = "上年.mdb";
    const std::string a = first[0].name, b = first[1].name, c = second->name;
    r.findings = {Finding(codes[0], a, review::FindingKind::High, 100, 900),
                  Finding(codes[1], a, review::FindingKind::Low, 400, 20),
                  Finding(codes[2], b, review::FindingKind::FromZero, 0, 35),
                  Finding(codes[3], c, review::FindingKind::ToZero, 12.5, 0),
                  Finding(codes[4], c, review::FindingKind::High, 10, 80, true),
                  Finding(codes[5], b, review::FindingKind::High, 3, 27)};
    r.fields = {Tested(a, 40, 3), Tested(b, 30, 1), Tested(c, 20, 2)};
    r.roster.matched = 10;
    r.roster.missing = {{990000000001, "去年的单位甲"}, {990000000002, "去年的单位乙"}};
    r.roster.added = {{codes[6], "新单位"}};
    return r;
  }

  // The result window as the action makes it: a tool window of the entry form, leading to the
  // grid's records.
  TReviewResultWin& open(review::ReviewResult result) {
    window = std::make_unique<TReviewResultWin>(*session, prompts, std::move(result), fields, form.get());
    window->setNavigator([this](std::int64_t code, int page, const std::string& field) {
      OpenRecordAtField(*form, *grid, prompts, code, page, field);
    });
    return *window;
  }

  std::vector<review::ReviewField> fields;
  std::vector<review::ReviewField> first;
  std::optional<review::ReviewField> second;
  std::vector<std::int64_t> codes;
  std::unique_ptr<TReviewResultWin> window;
};

}  // namespace velmora::gui
