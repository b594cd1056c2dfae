// Coverage-guided fuzzing of tarsel-render's command line with arbitrary bytes, split into
// arguments at NUL bytes (the one byte an argument cannot hold). Any of these ends the run
// with an abort:
//   - a refusal whose message is not one line of printable text;
//   - an accepted command line with a value outside what the export can take: a picture
//     larger than the cap, a scale, delay or video scale out of range, a video name of no
//     known format;
//   - two readings of the same arguments that differ (getopt keeps state between calls);
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/video_format.h"
#include "render/canvas.h"
#include "tools/options.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "options_fuzz: %s\n", what);
  std::abort();
}

void CheckAccepted(const tarsel::Options& o) {
  using tarsel::Canvas;
  if (o.size.width < 1 || o.size.height < 1 || o.size.width > Canvas::kMaxDeviceSide ||
      o.size.height > Canvas::kMaxDeviceSide) {
    Fail("a size out of range");
  }
  if (!(o.scale >= Canvas::kLeastScale && o.scale <= Canvas::kMostScale)) Fail("a bad scale");
  if (o.pictures() && !Canvas::FitsCap(o.size, o.scale)) Fail("a picture beyond the cap");
  if (o.delay_ms < 10 || o.delay_ms > 655350) Fail("a delay out of range");
  if (o.video_scale < 1 || o.video_scale > 4) Fail("a video scale out of range");
  if (!o.video.empty() && tarsel::VideoFormatOf(o.video) == tarsel::VideoFormat::kNone) {
    Fail("a video name of no known format");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  const tarsel::Parsed parsed = tarsel::ParseOptions(args);
  const tarsel::Parsed again = tarsel::ParseOptions(args);
  if (again.action != parsed.action || again.error != parsed.error ||
      again.options.script != parsed.options.script || again.options.png != parsed.options.png) {
    Fail("two readings of the same arguments differ");
  }
  if (parsed.action == tarsel::Parsed::kRefuse) {
    if (parsed.error.empty()) Fail("a refusal without a reason");
    for (const unsigned char c : parsed.error) {
      if (c < 0x20 || c == 0x7F) Fail("a control character in the message");
    }
  } else if (parsed.action == tarsel::Parsed::kRun) {
    CheckAccepted(parsed.options);
  }
  return 0;
}
