#pragma once
// The wall-clock time of this computer, as the reports and manifests write it.

#include <ctime>

namespace velmora::text {

// The current local time broken down (the C library's thread-safe form on every platform).
std::tm LocalTimeNow();

}  // namespace velmora::text
