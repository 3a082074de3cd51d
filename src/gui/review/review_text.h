#pragma once
// How the review window writes its figures: values in their shortest form, ratios to four
// significant digits, scores to two decimals; none is an empty cell.

#include <QString>
#include <optional>

namespace velmora::gui {

// The shortest text that reads back as the value, without an exponent or trailing zeros ("1250",
// "0.35", "-2").
QString ShortNumber(double value);
// A ratio rounded to four significant digits, trailing zeros dropped ("1.235", "0.0125", "12346").
QString RatioText(std::optional<double> ratio);
// A score to two decimals ("-12.40").
QString ScoreText(std::optional<double> score);

}  // namespace velmora::gui
