// Decoding an MP3 file with Mp3Decoder, from opening the file to the last block, repeated;
// prints the median time of one run and how many times faster than real time that is.
// Usage: tavrin_mp3_bench FILE.mp3 [RUNS]
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_clock.h"
#include "reminder/mp3_decoder.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.mp3 [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  std::vector<double> times;
  double seconds = 0;
  for (int i = 0; i < runs; ++i) {
    const double start = bench::NowMs();
    const auto source = reminder::OpenFileSource(argv[1]);
    if (!source) {
      std::fprintf(stderr, "cannot open %s\n", argv[1]);
      return 1;
    }
    reminder::Mp3Decoder decoder(*source);
    reminder::PcmBlock block;
    seconds = 0;
    while (decoder.Next(&block)) {
      seconds += double(block.samples.size()) / block.format.channels / block.format.rate;
    }
    times.push_back(bench::NowMs() - start);
    if (decoder.failed()) {
      std::fprintf(stderr, "%s did not decode\n", argv[1]);
      return 1;
    }
  }
  const double median = bench::Median(times);
  std::printf("Mp3Decoder median %.1f ms over %d runs for %.1f s of sound (%.0f x real time)\n",
              median, runs, seconds, seconds * 1000 / median);
  return 0;
}
