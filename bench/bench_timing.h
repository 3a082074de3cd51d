#pragma once
// Timing of benchmark runs: each run is timed alone, the median over the runs is kept.

#include <algorithm>
#include <chrono>
#include <vector>

namespace velmora::bench {

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double ms() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs prepare() untimed and then run() timed, `runs` times; returns the median of run() in ms.
template <typename Prepare, typename Run>
double MedianMs(int runs, Prepare&& prepare, Run&& run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    prepare();
    Stopwatch watch;
    run();
    times.push_back(watch.ms());
  }
  return Median(times);
}

}  // namespace velmora::bench
