// PlayMp3 as the user-interface thread feels it, under Wine: how long PlayMp3 takes to
// return, how long the synchronous stop takes, and the process's memory while a small and
// a very large file play (streaming keeps the two alike).
// Usage: tavrin_sound_bench SMALL.mp3 LARGE.mp3 [RUNS]   (paths as Windows paths)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "reminder/play_mp3.h"
#include "toolkit/win/text.h"

namespace {

size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.WorkingSetSize;
}

// Largest working set seen while `path` plays for `ms`.
size_t PeakWhilePlaying(const std::string& path, DWORD ms) {
  reminder::PlayMp3(path);
  size_t peak = WorkingSet();
  const DWORD end = GetTickCount() + ms;
  while (LONG(end - GetTickCount()) > 0) {
    peak = std::max(peak, WorkingSet());
    Sleep(20);
  }
  reminder::StopSound();
  return peak;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tavrin_sound_bench SMALL.mp3 LARGE.mp3 [RUNS]\n");
    return 2;
  }
  const std::string small = tk::Narrow(argv[1]);
  const std::string large = tk::Narrow(argv[2]);
  const int runs = argc > 3 ? _wtoi(argv[3]) : 30;

  std::vector<double> start_ms, stop_ms;
  for (int i = 0; i < runs; ++i) {
    double t = bench::NowMs();
    reminder::PlayMp3(small);
    start_ms.push_back(bench::NowMs() - t);
    Sleep(300);  // well into the sound, buffers queued
    if (!reminder::SoundPlaying()) std::fprintf(stderr, "run %d: not playing\n", i);
    t = bench::NowMs();
    reminder::StopSound();
    stop_ms.push_back(bench::NowMs() - t);
  }
  std::printf("PlayMp3 returns after %.3f ms, the stop takes %.3f ms (medians of %d)\n",
              bench::Median(start_ms), bench::Median(stop_ms), runs);

  const size_t before = WorkingSet();
  const size_t small_peak = PeakWhilePlaying(small, 3000);
  const size_t large_peak = PeakWhilePlaying(large, 3000);
  std::printf("working set: %zu KB idle, peak %zu KB playing the small file, %zu KB the large one "
              "(difference %lld KB)\n",
              before / 1024, small_peak / 1024, large_peak / 1024,
              (long long)(large_peak / 1024) - (long long)(small_peak / 1024));
  return 0;
}
