// Decoding and fitting the splash picture, repeated; prints the median time of one run.
// Usage: tavrin_decode_bench FILE.jpg [RUNS]
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "toolkit/geometry.h"
#include "toolkit/jpeg_image.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.jpg [RUNS]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int runs = argc > 2 ? std::atoi(argv[2]) : 50;
  std::vector<double> times;
  int width = 0;
  for (int i = 0; i < runs; ++i) {
    const double start = bench::NowMs();
    const auto image =
        tk::DecodeJpeg(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    if (!image) return 1;
    width += tk::FitPicture(392, 216, image->width, image->height).width;
    times.push_back(bench::NowMs() - start);
  }
  std::printf("decode+fit median %.3f ms over %d runs (fitted width %d)\n", bench::Median(times),
              runs, width / runs);
  return 0;
}
