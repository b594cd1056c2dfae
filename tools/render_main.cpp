// tarsel-render: the animation without a window. It replays a script of key presses and
// double-clicks through the same driver and handlers as the window, and writes the draw log
// and/or pictures of the client area: at the end of the run, at every wait for a key (numbered
// PNG files), or as one animated GIF.
#include <QImage>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "animation/driver.h"
#include "app/image_view.h"
#include "geometry/piston_curve.h"
#include "input/replay.h"
#include "render/canvas.h"
#include "render/png_file.h"
#include "tools/frame_export.h"

namespace {

constexpr char kUsage[] =
    "usage: tarsel-render [--script \"TOKENS\"] [--log FILE|-] [--png FILE] [--frames DIR "
    "[--force]]\n"
    "                     [--gif FILE [--delay MS]] [--size WxH] [--scale F]\n"
    "       tarsel-render --help | --version\n"
    "\n"
    "Runs the animation without a window, pressing the keys of a script.\n"
    "\n"
    "  --script TOKENS  character codes (97, 44, 13, 8, ...) or dbl, separated by spaces or\n"
    "                   commas; TOKEN@N is pressed inside the N-th event call of a pass\n"
    "  --log FILE       every drawing and event call, one per line (- for standard output)\n"
    "  --png FILE       the client area at the end of the run\n"
    "  --frames DIR     the client area at each wait for a key: DIR/frame-001.png, ...\n"
    "  --force          overwrite the frame files of an earlier export in DIR\n"
    "  --gif FILE       the same frames as one looping animated GIF\n"
    "  --delay MS       time each GIF frame is shown, in milliseconds (default 200)\n"
    "  --size WxH       client area in logical pixels (default 962x688)\n"
    "  --scale F        device pixels per logical pixel (default 1)\n"
    "\n"
    "A GIF frame holds at most 256 colours: where antialiasing makes more, the drawing colours\n"
    "are kept exactly and the other pixels take the nearest of the frame's 256 colours.\n"
    "Exit status: 0 on success, 2 on a bad argument or a failed write.\n";

// Largest picture: the backing image stops at this many device pixels a side, so a larger
// request is refused rather than silently cut.
constexpr int kMaxSide = tarsel::Canvas::kMaxDeviceSide;
// A GIF frame delay is a 16-bit count of hundredths of a second.
constexpr int kMaxDelayMs = 655350;

std::string value_of_scale(double scale) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", scale);
  return text;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarsel-render: %s\n", message.c_str());
  return 2;
}

// A positive whole number of at most `max`, digits only.
bool ParseDimension(std::string_view s, int max, int* out) {
  if (s.empty() || s.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && ptr == s.data() + s.size() && *out >= 1 && *out <= max;
}

bool ParseSize(std::string_view s, int* w, int* h) {
  const std::size_t x = s.find('x');
  return x != std::string_view::npos && ParseDimension(s.substr(0, x), kMaxSide, w) &&
         ParseDimension(s.substr(x + 1), kMaxSide, h);
}

// A window colour (00BBGGRR, red in the low byte) as a picture colour (0xRRGGBB).
QRgb Rgb(std::uint32_t bgr) {
  return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF) & 0xFFFFFF;
}

bool ParseScale(const std::string& s, double* f) {
  char* end = nullptr;
  errno = 0;
  *f = std::strtod(s.c_str(), &end);
  return !s.empty() && errno == 0 && *end == '\0' && std::isfinite(*f) && *f >= 1 && *f <= 8;
}

}  // namespace

int main(int argc, char** argv) {
  std::string script_text, log_path, png_path, frames_dir, gif_path;
  int width = tarsel::Canvas::kDesignWidth, height = tarsel::Canvas::kDesignHeight;
  double scale = 1;
  int delay_ms = 200;
  bool have_log = false, have_png = false, force = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("tarsel-render " TARSEL_VERSION "\n", stdout);
      return 0;
    }
    if (arg == "--force") {
      force = true;
      continue;
    }
    if (arg != "--script" && arg != "--log" && arg != "--png" && arg != "--size" &&
        arg != "--scale" && arg != "--frames" && arg != "--gif" && arg != "--delay") {
      return Fail("unknown argument '" + arg + "' (see --help)");
    }
    if (i + 1 >= argc) return Fail(arg + " needs a value");
    const std::string value = argv[++i];
    if (arg == "--script") {
      script_text = value;
    } else if (arg == "--log") {
      log_path = value;
      have_log = true;
    } else if (arg == "--png") {
      png_path = value;
      have_png = true;
    } else if (arg == "--frames") {
      if (value.empty()) return Fail("--frames needs a directory name");
      frames_dir = value;
    } else if (arg == "--gif") {
      if (value.empty()) return Fail("--gif needs a file name");
      gif_path = value;
    } else if (arg == "--delay") {
      if (!ParseDimension(value, kMaxDelayMs, &delay_ms) || delay_ms < 10) {
        return Fail("bad --delay '" + value + "': expected milliseconds from 10 to 655350");
      }
    } else if (arg == "--size") {
      if (!ParseSize(value, &width, &height)) {
        return Fail("bad --size '" + value + "': expected WxH, 1 to 8192 each");
      }
    } else if (!ParseScale(value, &scale)) {
      return Fail("bad --scale '" + value + "': expected a number from 1 to 8");
    }
  }
  const bool have_frames = !frames_dir.empty(), have_gif = !gif_path.empty();
  const bool have_picture = have_png || have_frames || have_gif;

  std::string error;
  auto script = tarsel::ParseScript(script_text, &error);
  if (!script) return Fail(error);

  std::FILE* log = nullptr;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned_log(nullptr, std::fclose);
  if (have_log) {
    if (log_path == "-") {
      log = stdout;
    } else {
      owned_log.reset(std::fopen(log_path.c_str(), "w"));
      if (!owned_log) {
        return Fail("cannot write log '" + log_path + "': " + std::strerror(errno));
      }
      log = owned_log.get();
    }
    static char buffer[1 << 16];
    std::setvbuf(log, buffer, _IOFBF, sizeof buffer);
  }
  if (have_png) {
    // Find out now, before the run, whether the picture can be written at all.
    std::FILE* probe = std::fopen(png_path.c_str(), "ab");
    if (!probe) return Fail("cannot write '" + png_path + "': " + std::strerror(errno));
    std::fclose(probe);
  }

  if (have_picture && std::max(std::ceil(width * scale), std::ceil(height * scale)) > kMaxSide) {
    return Fail("picture too large: " + std::to_string(width) + "x" + std::to_string(height) +
                " at scale " + value_of_scale(scale) + " is more than " + std::to_string(kMaxSide) +
                " device pixels a side");
  }
  std::optional<tarsel::Canvas> canvas;
  if (have_picture) {
    try {
      canvas.emplace(tarsel::Size{width, height}, scale);
    } catch (const std::bad_alloc&) {
      return Fail("not enough memory for the picture");
    }
  }

  tarsel::PngFrames frames;
  if (have_frames && !(error = frames.Open(frames_dir, force)).empty()) return Fail(error);
  tarsel::GifFrames gif;
  if (have_gif) {
    // The colours the program draws with: they stay exact in every GIF frame.
    namespace c = tarsel::colour;
    const std::vector<QRgb> keep = {0xFFFFFF,
                                    Rgb(c::kAxis),
                                    Rgb(c::kGreen),
                                    Rgb(c::kRed),
                                    Rgb(c::kBlue),
                                    Rgb(c::kOlive),
                                    Rgb(c::kOrange),
                                    Rgb(c::kMagenta),
                                    Rgb(c::kLightBlue),
                                    Rgb(c::kTeal),
                                    Rgb(tarsel::piston::kColour)};
    if (!(error = gif.Open(gif_path, QSize(canvas->image().width, canvas->image().height), delay_ms,
                           keep))
             .empty()) {
      return Fail(error);
    }
  }

  tarsel::Replay replay(std::move(*script), log, canvas ? &*canvas : nullptr);
  if (have_frames || have_gif) {
    replay.OnWait([&] {
      const QImage picture = tarsel::ImageView(canvas->image());
      if (have_frames) error = frames.Add(canvas->image());
      if (error.empty() && have_gif) error = gif.Add(picture);
      return error.empty();
    });
  }
  replay.Run();
  if (replay.aborted()) return Fail(error);

  if (log && (std::fflush(log) != 0 || std::ferror(log))) {
    return Fail("writing the log failed: " + std::string(std::strerror(errno)));
  }
  if (have_frames && !(error = frames.Finish()).empty()) return Fail(error);
  if (have_gif) {
    // A run that ends before its first wait still gives a valid GIF: the picture at its end.
    if (gif.count() == 0 && !(error = gif.Add(tarsel::ImageView(canvas->image()))).empty())
      return Fail(error);
    if (!(error = gif.Finish()).empty()) return Fail(error);
  }
  if (have_png && !(error = tarsel::WritePng(canvas->image(), png_path)).empty()) {
    return Fail(error);
  }
  return 0;
}
