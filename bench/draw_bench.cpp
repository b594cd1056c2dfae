// How long a frame takes to draw, and to export. A frame must be drawn well within one display
// refresh (16 ms) so that stepping feels instant; the window presents at most once per refresh.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "animation/timing.h"
#include "app/image_view.h"
#include "export/png_file.h"
#include "export/replay.h"
#include "input/profile_file.h"
#include "render/canvas.h"
#include "render/probe_view.h"
#include "render/timing_plot.h"

namespace {

// One drawing call of the draw log: 'W' pen width, 'L' line, 'C' clear.
struct Call {
  char op;
  int width;
  float x1, y1, x2, y2;
  std::uint32_t colour;
};

// The drawing calls between the last two waits of a replay of `script`: one complete frame
// as the window gets it (the optional clear, the piston curve, passes 1 to 3 with the piston
// curve again), without the driver's arithmetic.
std::vector<Call> RecordLastFrame(const char* script) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* log = open_memstream(&text, &size);
  tarsel::Replay replay(*tarsel::ParseScript(script, nullptr), log, nullptr);
  replay.Run();
  std::fclose(log);
  std::vector<std::vector<Call>> frames(1);
  std::istringstream in(std::string(text, size));
  std::free(text);
  for (std::string line; std::getline(in, line);) {
    Call c{line[0], 0, 0, 0, 0, 0, 0};
    if (c.op == 'A') frames.emplace_back();
    if (c.op == 'W') std::sscanf(line.c_str(), "W %d", &c.width);
    if (c.op == 'L') {
      std::sscanf(line.c_str(), "L %g %g %g %g %u", &c.x1, &c.y1, &c.x2, &c.y2, &c.colour);
    }
    if (c.op == 'W' || c.op == 'L' || c.op == 'C') frames.back().push_back(c);
  }
  return frames[frames.size() - 2];
}

void Draw(tarsel::Canvas& canvas, const std::vector<Call>& calls) {
  for (const Call& c : calls) {
    if (c.op == 'W') canvas.DrawWidth(c.width);
    if (c.op == 'L') canvas.Line(c.x1, c.y1, c.x2, c.y2, c.colour);
    if (c.op == 'C') canvas.Cls();
  }
}

// One complete frame into the image. Arg 0: the plain frame, 1: with velocity and
// acceleration, 2: drawn over the earlier frames (no clear). Arg 1: 1 skips width-1 lines
// drawn again over intact pixels, 0 draws every line.
void BM_Frame(benchmark::State& state) {
  static const char* const kScripts[] = {"97", "8", "47 97"};
  const std::vector<Call> calls = RecordLastFrame(kScripts[state.range(0)]);
  tarsel::Canvas canvas;
  canvas.SkipRedrawnLines(state.range(1) == 1);
  Draw(canvas, calls);
  for (auto _ : state) {
    Draw(canvas, calls);
    benchmark::DoNotOptimize(canvas.image().pixels.data());
  }
  state.counters["lines"] = static_cast<double>(
      std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == 'L'; }));
}
BENCHMARK(BM_Frame)
    ->ArgNames({"kind", "skip"})
    ->ArgsProduct({{0, 1, 2}, {1}})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

// The first frame and the second with velocity and acceleration, up to the wait that
// follows it: the driver, the handlers and all drawing into the backing image.
void BM_TwoFramesIntoImage(benchmark::State& state) {
  tarsel::Canvas canvas;
  const auto script = *tarsel::ParseScript("8", nullptr);
  for (auto _ : state) {
    tarsel::Replay replay(script, nullptr, &canvas);
    replay.Run();
    benchmark::DoNotOptimize(canvas.image().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 2);  // frames
}
BENCHMARK(BM_TwoFramesIntoImage)->Unit(benchmark::kMillisecond);

// The page's redraw when the colour switch flips or a tablet is turned: the kept calls since the
// last clear drawn again in the other palette at ratio 2. Arg n: "/" and n - 1 plain keys, so
// n + 1 frames piled up on the picture: the cost grows with what it holds.
void BM_Restyle(benchmark::State& state) {
  tarsel::Canvas canvas({962, 688}, 2);
  canvas.KeepDrawing(true);
  std::string script = "47";
  for (long i = 1; i < state.range(0); ++i) script += " 97";
  tarsel::Replay replay(*tarsel::ParseScript(script, nullptr), nullptr, &canvas);
  replay.Run();
  bool other = false;
  for (auto _ : state) {
    other = !other;
    canvas.Restyle(2, other ? tarsel::Palette::kDistinguishable : tarsel::Palette::kExact);
    benchmark::DoNotOptimize(canvas.image().pixels.data());
  }
}
BENCHMARK(BM_Restyle)->ArgName("frames")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

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

// One line of each kind the animation draws, every one drawn: width 1 (axis and ticks,
// aliased), width 3 (curves, antialiased with round ends).
void BM_Line(benchmark::State& state) {
  tarsel::Canvas canvas;
  canvas.SkipRedrawnLines(false);
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

// The draw log of one complete frame (9,683 lines) into /dev/null. Arg 0: with printf, as the
// replay wrote it before; 1: as it writes it now (the same bytes).
void BM_LogFrame(benchmark::State& state) {
  const std::vector<Call> calls = RecordLastFrame("97");
  std::FILE* log = std::fopen("/dev/null", "w");
  tarsel::Replay replay({}, log, nullptr);
  for (auto _ : state) {
    for (const Call& c : calls) {
      if (state.range(0) == 1) {
        if (c.op == 'W') replay.DrawWidth(c.width);
        if (c.op == 'L') replay.Line(c.x1, c.y1, c.x2, c.y2, c.colour);
        if (c.op == 'C') replay.Cls();
        continue;
      }
      if (c.op == 'W') std::fprintf(log, "W %d\n", c.width);
      if (c.op == 'L') {
        std::fprintf(log, "L %.9g %.9g %.9g %.9g %u\n", static_cast<double>(c.x1),
                     static_cast<double>(c.y1), static_cast<double>(c.x2),
                     static_cast<double>(c.y2), static_cast<unsigned>(c.colour));
      }
      if (c.op == 'C') std::fputs("C\n", log);
    }
  }
  std::fclose(log);
}
BENCHMARK(BM_LogFrame)->ArgName("now")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One complete 962 x 688 frame as a PNG file. Arg 0: Qt's writer into memory, as
// tarsel-render wrote it before; 1: libpng into /dev/null, as export/png_file.h writes it now
// (the same pixels).
void BM_PngFrame(benchmark::State& state) {
  tarsel::Canvas canvas;
  Draw(canvas, RecordLastFrame("8"));
  const QImage view = tarsel::ImageView(canvas.image());
  for (auto _ : state) {
    if (state.range(0) == 1) {
      benchmark::DoNotOptimize(tarsel::WritePng(canvas.image(), "/dev/null"));
      continue;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    view.save(&buffer, "PNG");
    benchmark::DoNotOptimize(png.data());
  }
}
BENCHMARK(BM_PngFrame)->ArgName("now")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One complete frame with the panel open and without it: the frame's drawing calls into the
// image, and with arg 1 the panel's work after it (the readout at the probe and the mechanism
// view), as the window and the page do after every frame.
void BM_FramePanel(benchmark::State& state) {
  const std::vector<Call> calls = RecordLastFrame("97");
  tarsel::Replay replay(*tarsel::ParseScript("97", nullptr), nullptr, nullptr);
  replay.Run();
  tarsel::Canvas canvas;
  tarsel::ProbeView view;
  Draw(canvas, calls);
  for (auto _ : state) {
    Draw(canvas, calls);
    if (state.range(0) == 1) view.Update(replay.state(), 101.5, 1);
    benchmark::DoNotOptimize(canvas.image().pixels.data());
  }
}
BENCHMARK(BM_FramePanel)->ArgName("panel")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A move of the probe: the readout and the mechanism view.
void BM_ProbeMove(benchmark::State& state) {
  tarsel::Replay replay(*tarsel::ParseScript("97", nullptr), nullptr, nullptr);
  replay.Run();
  tarsel::ProbeView view;
  double x = -40;
  for (auto _ : state) {
    view.Update(replay.state(), x, 1);
    x = x > 170 ? -40 : x + 0.7;
    benchmark::DoNotOptimize(view.picture().pixels.data());
  }
}
BENCHMARK(BM_ProbeMove)->Unit(benchmark::kMicrosecond);

}  // namespace

// A teacher's own profile of the most rows a file may hold, from its text to the first frame
// complete in the backing image: the reader, the tables, the three passes over 10,000 points.
// Within 50 ms, so that opening a profile feels as immediate as a key.
void BM_OwnProfileFirstFrame(benchmark::State& state) {
  std::string text = "angle,lift\n";
  constexpr int kRows = tarsel::kMostProfileRows;
  for (int i = 0; i < kRows; ++i) {
    const double x = static_cast<double>(i) / kRows;
    char row[64];
    std::snprintf(row, sizeof row, "%.17g,%.17g\n", -180 + 360 * x, 10 * x * (1 - x));
    text += row;
  }
  tarsel::Canvas canvas;
  for (auto _ : state) {
    auto tables = tarsel::ReadProfile(text, nullptr);
    auto profile = std::make_shared<const tarsel::ProfileTables>(std::move(*tables));
    tarsel::Replay replay({}, nullptr, &canvas, {}, std::move(profile));
    replay.Run();
    benchmark::DoNotOptimize(canvas.image().pixels.data());
  }
}
BENCHMARK(BM_OwnProfileFirstFrame)->Unit(benchmark::kMillisecond);

// The valve events over the 63 frames of the sweep and their plot, as after a change of the
// mechanism or the checking lift.
void BM_SweepTiming(benchmark::State& state) {
  tarsel::Image plot;
  for (auto _ : state) {
    const auto frames = tarsel::SweepTiming(tarsel::SharedState{}, tarsel::kDefaultThreshold);
    tarsel::timing_plot::Draw(plot, 1, frames, 6.5);
    benchmark::DoNotOptimize(plot.pixels.data());
  }
}
BENCHMARK(BM_SweepTiming)->Unit(benchmark::kMillisecond);

// The events alone, after a change of a length (the crank one step longer): the frames drawn
// unseen (fast:0) and from the points that decide them (fast:1).
void BM_SweepTimingEvents(benchmark::State& state) {
  tarsel::SharedState base;
  base.config.crank = 7.5;
  for (auto _ : state) {
    const auto frames = state.range(0) != 0
                            ? tarsel::SweepTiming(base, tarsel::kDefaultThreshold)
                            : tarsel::DrawnSweepTiming(base, tarsel::kDefaultThreshold);
    benchmark::DoNotOptimize(frames.data());
  }
}
BENCHMARK(BM_SweepTimingEvents)->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
