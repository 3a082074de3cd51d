#include "gui/review/review_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace velmora::gui {

namespace {

QString WithoutTrailingZeros(QString text) {
  if (!text.contains('.')) return text;
  while (text.endsWith('0')) text.chop(1);
  if (text.endsWith('.')) text.chop(1);
  return text;
}

// "-0" and "-0.00" are shown without their sign.
QString Signless(QString text) {
  if (text.startsWith('-') && text.mid(1).count('0') + text.count('.') == text.size() - 1) text.remove(0, 1);
  return text;
}

}  // namespace

QString ShortNumber(double value) {
  if (!std::isfinite(value)) return QString::number(value);
  char buffer[400];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc()) return QString::number(value, 'g', 17);
  return Signless(QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer)));
}

QString RatioText(std::optional<double> ratio) {
  if (!ratio) return {};
  const double r = *ratio;
  if (!std::isfinite(r)) return QString::number(r);
  if (r == 0) return "0";
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(r))));
  const int decimals = std::clamp(3 - magnitude, 0, 15);
  return Signless(WithoutTrailingZeros(QString::number(r, 'f', decimals)));
}

QString ScoreText(std::optional<double> score) {
  if (!score) return {};
  return Signless(QString::number(*score, 'f', 2));
}

}  // namespace velmora::gui
