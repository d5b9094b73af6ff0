// Timing helpers shared by the benchmarks: a monotonic clock and medians.
#pragma once

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace bench {

// Not <chrono>: with GBK as the execution character set, libstdc++'s <chrono> does not
// compile (it spells "µs" as a literal).
inline double NowMs() {
#ifdef _WIN32
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
#else
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
#endif
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench
