#pragma once
// Integer sums and differences of 64-bit values that never wrap: the value is kept in two 64-bit
// halves (high * 2^64 + low), so any sum of a few indicator columns compares exactly.

#include <compare>
#include <cstdint>

namespace velmora::checks {

class ExactInteger {
 public:
  constexpr ExactInteger(std::int64_t value = 0)  // NOLINT: converts like the integer it holds
      : high_(value < 0 ? -1 : 0), low_(static_cast<std::uint64_t>(value)) {}

  friend constexpr ExactInteger operator+(ExactInteger a, ExactInteger b) {
    ExactInteger sum;
    sum.low_ = a.low_ + b.low_;
    const std::uint64_t carry = sum.low_ < a.low_ ? 1 : 0;
    sum.high_ = static_cast<std::int64_t>(static_cast<std::uint64_t>(a.high_) + static_cast<std::uint64_t>(b.high_) +
                                          carry);
    return sum;
  }
  friend constexpr ExactInteger operator-(ExactInteger a) {
    ExactInteger negated;
    negated.low_ = ~a.low_ + 1;
    const std::uint64_t carry = negated.low_ == 0 ? 1 : 0;
    negated.high_ = static_cast<std::int64_t>(~static_cast<std::uint64_t>(a.high_) + carry);
    return negated;
  }
  friend constexpr ExactInteger operator-(ExactInteger a, ExactInteger b) { return a + -b; }

  // The signed high half first, then the low half: the order of the numbers.
  friend constexpr bool operator==(const ExactInteger&, const ExactInteger&) = default;
  friend constexpr std::strong_ordering operator<=>(const ExactInteger&, const ExactInteger&) = default;

 private:
  std::int64_t high_;
  std::uint64_t low_;
};

}  // namespace velmora::checks
