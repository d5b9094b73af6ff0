#include "toolkit/jpeg_image.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "test_files.h"

namespace tk {
namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::optional<Bgr24Image> Decode(const std::string& s) { return DecodeJpeg(Bytes(s), s.size()); }

// A binary PPM as djpeg writes it.
struct Ppm {
  int width = 0, height = 0;
  std::string rgb;
};

Ppm ReadPpm(const std::string& path) {
  const std::string file = ReadFile(path);
  Ppm ppm;
  int maxval = 0;
  int consumed = 0;
  EXPECT_EQ(std::sscanf(file.c_str(), "P6 %d %d %d%n", &ppm.width, &ppm.height, &maxval, &consumed),
            3);
  ppm.rgb = file.substr(size_t(consumed) + 1);
  return ppm;
}

TEST(DecodeJpeg, SplashPictureMatchesDjpegPixelForPixel) {
  const std::string jpeg = ReadFile(TAVRIN_SPLASH);
  const auto image = Decode(jpeg);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 680);
  EXPECT_EQ(image->height, 510);
  EXPECT_EQ(image->stride, 2040u);
  const Ppm reference = ReadPpm(std::string(TAVRIN_FIXTURES) + "/splash.ppm");
  ASSERT_EQ(reference.rgb.size(), size_t(680 * 510 * 3));
  size_t mismatches = 0;
  for (int y = 0; y < 510; ++y) {
    for (int x = 0; x < 680; ++x) {
      const uint8_t* ours = &image->pixels[size_t(y) * image->stride + size_t(x) * 3];
      const char* theirs = &reference.rgb[(size_t(y) * 680 + size_t(x)) * 3];
      // Ours is blue-green-red, top row first.
      if (ours[0] != uint8_t(theirs[2]) || ours[1] != uint8_t(theirs[1]) ||
          ours[2] != uint8_t(theirs[0])) {
        ++mismatches;
      }
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(DecodeJpeg, OtherLegalJpegsGiveColourToo) {
  const auto gray = Decode(ReadFile(std::string(TAVRIN_FIXTURES) + "/gray.jpg"));
  ASSERT_TRUE(gray);
  const uint8_t* p = &gray->pixels[size_t(100) * gray->stride + 300 * 3];
  EXPECT_EQ(p[0], p[1]);
  EXPECT_EQ(p[1], p[2]);
  const auto progressive = Decode(ReadFile(std::string(TAVRIN_FIXTURES) + "/progressive.jpg"));
  ASSERT_TRUE(progressive);
  EXPECT_EQ(progressive->width, 680);
}

TEST(DecodeJpeg, DamagedDataGivesNoPicture) {
  const std::string jpeg = ReadFile(TAVRIN_SPLASH);
  ASSERT_GT(jpeg.size(), 1000u);

  std::string flipped = jpeg;  // scan data damaged in the middle
  for (size_t i = flipped.size() / 2; i < flipped.size() / 2 + 64; ++i) flipped[i] = char(0xFF);

  std::string huge = jpeg;  // a frame header asking for 60000 x 60000
  const size_t sof = huge.find("\xFF\xC0", 2);
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = char(0xEA);
  huge[sof + 6] = char(0x60);
  huge[sof + 7] = char(0xEA);
  huge[sof + 8] = char(0x60);

  std::mt19937 random(7);
  std::string noise(20000, '\0');
  for (char& c : noise) c = char(random());
  std::string noise_with_marker = "\xFF\xD8\xFF" + noise;

  const struct {
    const char* what;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"three bytes", "\xFF\xD8\xFF"},
      {"half of it", jpeg.substr(0, jpeg.size() / 2)},
      {"header only", jpeg.substr(0, 700)},
      {"damaged scan", flipped},
      {"huge frame", huge},
      {"noise", noise},
      {"noise after a start marker", noise_with_marker},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Decode(c.data)) << c.what;
  }
  EXPECT_FALSE(DecodeJpeg(nullptr, 100));
}

}  // namespace
}  // namespace tk
