#pragma once
// Which records an operation works on: the list's current record, its selected records, every
// record, or a range of statistical codes (c901) typed into two boxes. The range rules are shared
// by every dialog and verb that takes a range: an empty box stands for 0, a bound of 0 means no
// range was given, a text that is not a code is refused, and a lower bound above the upper one
// raises the upper bound to it (or, where an operation says so, the two change places).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::records {

// A statistical code has at most this many digits.
inline constexpr std::size_t kCodeDigits = 12;

// Digits only, and at most kCodeDigits of them after leading zeros.
bool IsCodeText(std::string_view text);

// "<what>: "<text>" 不是单位编号（最多 12 位数字）" — the refusal of a text that is not a code.
std::string NotACodeMessage(std::string_view what, std::string_view text);

struct CodeRange {
  double lower = 0;
  double upper = 0;
};

enum class RangeOrder {
  RaiseUpper,  // an upper bound below the lower one becomes the lower one
  Swap,        // the two bounds change places
};

enum class RangeRefusal {
  None,
  Missing,   // a bound is empty or 0: the caller shows its own "enter the range" message
  NotACode,  // a bound is not a code (NotACodeMessage names it)
};

struct RangeResolution {
  std::optional<CodeRange> range;  // set when refusal is None
  RangeRefusal refusal = RangeRefusal::None;
  std::string refusedText;  // the bound that is not a code
};

// The range from the texts of the two boxes. The texts come back as the boxes should show them:
// an empty one as "0", and after a raise or swap in their new order.
RangeResolution ResolveCodeRange(std::string& lowerText, std::string& upperText,
                                 RangeOrder order = RangeOrder::RaiseUpper);

// A bound as statements write it: fixed point with two decimals ("110101000001.00").
std::string RangeBoundText(double value);

// "c901>=<lower> and c901<=<upper>" with both bounds as RangeBoundText writes them.
std::string RangeCondition(const CodeRange& range, std::string_view field = "c901");

enum class ScopeKind { Current, Selected, All, Range };

struct RecordScope {
  ScopeKind kind = ScopeKind::Selected;
  CodeRange range;  // when kind is Range
};

}  // namespace velmora::records
