// How long a frame takes to draw. A frame must be drawn well within one display refresh
// (16 ms) so that stepping feels instant; the window presents at most once per refresh.
#include <benchmark/benchmark.h>

#include "app/canvas.h"
#include "tools/replay.h"

namespace {

// The first frame and the second with velocity and acceleration curves, up to the wait that
// follows it: the driver, the handlers and all drawing into the backing image.
void BM_TwoFramesIntoImage(benchmark::State& state) {
  tarsel::Canvas canvas;
  const auto script = *tarsel::ParseScript("8", nullptr);
  for (auto _ : state) {
    tarsel::Replay replay(script, nullptr, &canvas);
    replay.Run();
    benchmark::DoNotOptimize(canvas.image().constBits());
  }
  state.SetItemsProcessed(state.iterations() * 2);  // frames
}
BENCHMARK(BM_TwoFramesIntoImage)->Unit(benchmark::kMillisecond);

// The same without drawing: the driver's own arithmetic and bookkeeping.
void BM_TwoFramesDriverOnly(benchmark::State& state) {
  const auto script = *tarsel::ParseScript("8", nullptr);
  for (auto _ : state) {
    tarsel::Replay replay(script, nullptr, nullptr);
    replay.Run();
    benchmark::DoNotOptimize(replay.state().k);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TwoFramesDriverOnly)->Unit(benchmark::kMicrosecond);

// One line of each kind the animation draws: width 1 (axis and ticks, 7,000 a frame once the
// linkage pass draws them) and width 3 (curves, antialiased).
void BM_Line(benchmark::State& state) {
  tarsel::Canvas canvas;
  canvas.DrawWidth(static_cast<int>(state.range(0)));
  const bool tick = state.range(0) == 1;
  float x = -40;
  for (auto _ : state) {
    if (tick) {
      canvas.Line(x, -0.25f, x, 0.25f, 7);
    } else {
      canvas.Line(x, 3, x + 0.25f, 3.1f, 8438015);
    }
    x = x > 170 ? -40 : x + 0.25f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Line)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
