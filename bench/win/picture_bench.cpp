// The splash picture under Wine: decoding alone, and the picture box's whole work (made
// with its decoded picture, then the fitted, half-toned first paint), medians of many runs.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/win/inert_handlers.h"
#include "toolkit/jpeg_image.h"
#include "toolkit/win/handles.h"
#include "toolkit/win/toolkit.h"

int wmain() {
  if (!tk::Initialise(bench::kInertHandlers)) return 1;
  HRSRC found = FindResourceW(nullptr, L"SPLASH", RT_RCDATA);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
  const DWORD size = SizeofResource(nullptr, found);
  const int runs = 40;
  std::vector<double> decode, box;
  for (int i = 0; i < runs; ++i) {
    double start = bench::NowMs();
    if (!tk::DecodeJpeg(bytes, size)) return 1;
    decode.push_back(bench::NowMs() - start);

    start = bench::NowMs();
    tk::Window* splash = tk::LoadWindow("SplashWindow");
    if (splash == nullptr) return 1;
    auto* picture = splash->Find<tk::PicBox>("图片框1");
    tk::ScopedWindowDc screen(nullptr);
    tk::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    tk::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 392, 216));
    {
      tk::ScopedSelect select(dc.get(), bitmap.get());
      picture->PaintContent(dc.get());
      GdiFlush();
    }
    box.push_back(bench::NowMs() - start);
    DestroyWindow(splash->hwnd());
  }
  std::printf("under Wine, median of %d: decode %.3f ms; picture box made and first painted %.3f ms\n",
              runs, bench::Median(decode), bench::Median(box));
  return 0;
}
