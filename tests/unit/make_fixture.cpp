// Makes the sound fixtures' raw material at build time, so that no audio file is kept in
// the tree and lame is the only outside tool:
//   make_fixture tone OUT.wav RATE CHANNELS SECONDS FREQ[,FREQ...] [NOISE]
//       a sum of sines (every channel alike) plus white noise of the given share of full
//       scale, as a canonical 44-byte-header WAV that lame reads and the tests compare with
//   make_fixture bytes OUT SIZE SEED   pseudo-random bytes
//   make_fixture cut OUT IN SIZE       the first SIZE bytes of IN
//   make_fixture cat OUT IN...         the files one after the other
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Headroom so that tones plus noise never clip, and lame's own overshoot neither.
constexpr double kPeak = 0.5 * 32767;

// Deterministic on every machine, unlike std::rand.
struct Lcg {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return uint32_t(state >> 33);
  }
};

bool WriteAll(const std::string& path, const std::vector<unsigned char>& data) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool ok = std::fwrite(data.data(), 1, data.size(), out) == data.size();
  return std::fclose(out) == 0 && ok;
}

bool ReadAll(const std::string& path, std::vector<unsigned char>* data) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  unsigned char piece[65536];
  size_t n;
  while ((n = std::fread(piece, 1, sizeof piece, in)) > 0) {
    data->insert(data->end(), piece, piece + n);
  }
  const bool ok = !std::ferror(in);
  std::fclose(in);
  return ok;
}

void PutLe(std::vector<unsigned char>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back((value >> (8 * i)) & 0xff);
}

int Tone(int argc, char** argv) {
  if (argc < 7) return 2;
  const int rate = std::atoi(argv[3]);
  const int channels = std::atoi(argv[4]);
  const double seconds = std::atof(argv[5]);
  std::vector<double> freqs;
  for (const char* p = argv[6]; *p;) {
    char* end;
    const double f = std::strtod(p, &end);
    if (end == p || f <= 0) return 2;
    freqs.push_back(f);
    p = end;
    if (*p == ',') {
      ++p;
    } else if (*p) {
      return 2;
    }
  }
  const double noise = argc > 7 ? std::atof(argv[7]) : 0;
  if (rate <= 0 || channels < 1 || channels > 2 || seconds <= 0 || freqs.empty()) return 2;

  const uint32_t frames = uint32_t(std::lround(rate * seconds));
  const uint32_t data_bytes = frames * channels * 2;
  std::vector<unsigned char> wav;
  wav.reserve(44 + data_bytes);
  for (char c : std::string("RIFF")) wav.push_back(c);
  PutLe(&wav, 36 + data_bytes, 4);
  for (char c : std::string("WAVEfmt ")) wav.push_back(c);
  PutLe(&wav, 16, 4);
  PutLe(&wav, 1, 2);  // integer PCM
  PutLe(&wav, channels, 2);
  PutLe(&wav, rate, 4);
  PutLe(&wav, rate * channels * 2, 4);
  PutLe(&wav, channels * 2, 2);
  PutLe(&wav, 16, 2);
  for (char c : std::string("data")) wav.push_back(c);
  PutLe(&wav, data_bytes, 4);

  Lcg lcg{12345};
  const double tone_share = (1 - noise) / double(freqs.size());
  for (uint32_t i = 0; i < frames; ++i) {
    double v = 0;
    for (double f : freqs) v += tone_share * std::sin(2 * kPi * f * i / rate);
    if (noise > 0) v += noise * (double(lcg.Next()) / 2147483648.0 - 1);
    const int16_t sample = int16_t(std::lround(v * kPeak));
    for (int c = 0; c < channels; ++c) PutLe(&wav, uint16_t(sample), 2);
  }
  return WriteAll(argv[2], wav) ? 0 : 1;
}

int Bytes(int argc, char** argv) {
  if (argc != 5) return 2;
  Lcg lcg{std::strtoull(argv[4], nullptr, 10)};
  std::vector<unsigned char> data(std::strtoull(argv[3], nullptr, 10));
  for (auto& b : data) b = lcg.Next() & 0xff;
  return WriteAll(argv[2], data) ? 0 : 1;
}

int Cut(int argc, char** argv) {
  if (argc != 5) return 2;
  std::vector<unsigned char> data;
  if (!ReadAll(argv[3], &data)) return 1;
  const size_t size = std::strtoull(argv[4], nullptr, 10);
  if (size < data.size()) data.resize(size);
  return WriteAll(argv[2], data) ? 0 : 1;
}

int Cat(int argc, char** argv) {
  if (argc < 4) return 2;
  std::vector<unsigned char> data;
  for (int i = 3; i < argc; ++i) {
    if (!ReadAll(argv[i], &data)) return 1;
  }
  return WriteAll(argv[2], data) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 2 ? argv[1] : "";
  int rc = 2;
  if (what == "tone") rc = Tone(argc, argv);
  if (what == "bytes") rc = Bytes(argc, argv);
  if (what == "cut") rc = Cut(argc, argv);
  if (what == "cat") rc = Cat(argc, argv);
  if (rc == 2) std::fprintf(stderr, "make_fixture: bad arguments, see make_fixture.cpp\n");
  if (rc == 1) std::fprintf(stderr, "make_fixture: cannot read or write %s\n", argv[2]);
  return rc;
}
