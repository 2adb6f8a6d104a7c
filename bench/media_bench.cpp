// Media layer micro-benchmarks: batches of DrawImage calls (plain, rotated, alpha-blended) on the
// software renderer, and ImagesCollide for pairs rejected by their bounding boxes, pairs that
// overlap, and pairs whose boxes overlap but whose pixels do not.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "media/media.h"

namespace {

struct MediaFixture {
  ImagePtr crate;
  ImagePtr ring;
  ImagePtr dot;

  MediaFixture() {
    SetHeadless(true);
    Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
    crate = Picture("bench_crate.png", 48, 48, [](int x, int y) {
      return 0xFF000000u | static_cast<std::uint32_t>(((x * 5) & 0xFF) << 16) |
             static_cast<std::uint32_t>(((y * 5) & 0xFF) << 8);
    });
    ring = Picture("bench_ring.png", 64, 64, [](int x, int y) {
      const bool border = x < 4 || y < 4 || x >= 60 || y >= 60;
      return border ? 0xFFFFFFFFu : 0u;
    });
    dot = Picture("bench_dot.png", 8, 8, [](int, int) { return 0xFFFFFFFFu; });
    MidHandleImage(crate);
  }

  template <typename Fill>
  static ImagePtr Picture(const char* name, int w, int h, Fill fill) {
    auto p = CreatePixmap(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) p->WritePixel(x, y, fill(x, y));
    }
    const auto path = (std::filesystem::temp_directory_path() / name).string();
    SavePixmapPNG(p, path);
    return LoadImage(path);
  }
};

MediaFixture& Fixture() {
  static MediaFixture fixture;
  return fixture;
}

void BM_DrawImageBatch(benchmark::State& state) {
  MediaFixture& f = Fixture();
  const auto count = static_cast<int>(state.range(0));
  const bool rotated = state.range(1) != 0;
  SetBlend(ALPHABLEND);
  SetAlpha(rotated ? 0.7f : 1.0f);
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) {
      SetRotation(rotated ? static_cast<float>(i * 7) : 0.0f);
      DrawImage(f.crate, static_cast<float>((i * 37) % 760 + 20),
                static_cast<float>((i * 53) % 560 + 20));
    }
  }
  SetRotation(0);
  SetAlpha(1);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DrawImageBatch)->Args({100, 0})->Args({100, 1})->Args({1000, 0})->Args({1000, 1});

void BM_ImagesCollide(benchmark::State& state) {
  MediaFixture& f = Fixture();
  // 0: boxes apart; 1: pixels overlap; 2: boxes overlap, pixels do not (dot inside the ring's
  // hole).
  const int kind = static_cast<int>(state.range(0));
  const int dx = kind == 0 ? 300 : kind == 1 ? 1 : 28;
  bool result = false;
  for (auto _ : state) {
    result = ImagesCollide(f.ring, 100, 100, 0, f.dot, 100 + dx, 128, 0);
    benchmark::DoNotOptimize(result);
  }
  state.SetLabel(kind == 0   ? "rejected by boxes"
                 : kind == 1 ? "overlapping"
                             : "boxes overlap, pixels apart");
}
BENCHMARK(BM_ImagesCollide)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
