#pragma once
// The generator's random numbers: xoshiro256** seeded through splitmix64, with integer-only
// helpers so that a seed gives the same records on every machine and library version.

#include <cstdint>

namespace velmora::generator {

class Random {
 public:
  explicit Random(std::uint64_t seed) {
    for (auto& word : s_) word = SplitMix(seed);
  }

  std::uint64_t next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, n); 0 when n <= 0.
  std::int64_t below(std::int64_t n) {
    if (n <= 0) return 0;
    return static_cast<std::int64_t>(MulHigh(next(), static_cast<std::uint64_t>(n)));
  }
  // The upper 64 bits of the 128-bit product, from 32-bit halves.
  static std::uint64_t MulHigh(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32, bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const std::uint64_t lolo = aLo * bLo, hilo = aHi * bLo, lohi = aLo * bHi, hihi = aHi * bHi;
    const std::uint64_t middle = (lolo >> 32) + (hilo & 0xFFFFFFFFu) + lohi;
    return hihi + (hilo >> 32) + (middle >> 32);
  }
  // Uniform in [lo, hi]; lo when hi < lo.
  std::int64_t between(std::int64_t lo, std::int64_t hi) { return hi < lo ? lo : lo + below(hi - lo + 1); }
  // True with a chance of permille/1000.
  bool chance(int permille) { return below(1000) < permille; }
  // A part of `whole` between loPermille and hiPermille of it, rounded down.
  std::int64_t part(std::int64_t whole, int loPermille, int hiPermille) {
    return whole * between(loPermille, hiPermille) / 1000;
  }

  static std::uint64_t SplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};

}  // namespace velmora::generator
