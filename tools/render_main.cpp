// tarsel-render: the animation without a window. It replays a script of key presses and
// double-clicks through the same driver and handlers as the window, and writes the draw log
// and/or a picture of the client area at the end of the run.
#include <QBuffer>
#include <QImage>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/canvas.h"
#include "tools/replay.h"

namespace {

constexpr char kUsage[] =
    "usage: tarsel-render [--script \"TOKENS\"] [--log FILE|-] [--png FILE] [--size WxH] "
    "[--scale F]\n";

// Largest picture: 16384 logical pixels a side, and at most 2^28 device pixels (1 GiB).
constexpr int kMaxSide = 16384;
constexpr double kMaxDevicePixels = 268435456.0;

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

bool ParseScale(const std::string& s, double* f) {
  char* end = nullptr;
  errno = 0;
  *f = std::strtod(s.c_str(), &end);
  return !s.empty() && errno == 0 && *end == '\0' && std::isfinite(*f) && *f >= 0.25 && *f <= 8;
}

}  // namespace

int main(int argc, char** argv) {
  std::string script_text, log_path, png_path;
  int width = tarsel::Canvas::kDesignWidth, height = tarsel::Canvas::kDesignHeight;
  double scale = 1;
  bool have_log = false, have_png = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg != "--script" && arg != "--log" && arg != "--png" && arg != "--size" &&
        arg != "--scale") {
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
    } else if (arg == "--size") {
      if (!ParseSize(value, &width, &height)) {
        return Fail("bad --size '" + value + "': expected WxH, 1 to 16384 each");
      }
    } else if (!ParseScale(value, &scale)) {
      return Fail("bad --scale '" + value + "': expected a number from 0.25 to 8");
    }
  }

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

  if (have_png && std::ceil(width * scale) * std::ceil(height * scale) > kMaxDevicePixels) {
    return Fail("picture too large: " + std::to_string(width) + "x" + std::to_string(height) +
                " at scale " + std::to_string(scale) + " exceeds 2^28 device pixels");
  }
  std::optional<tarsel::Canvas> canvas;
  if (have_png) {
    canvas.emplace(QSize(width, height), scale);
    if (canvas->image().isNull()) return Fail("not enough memory for the picture");
  }
  tarsel::Replay replay(std::move(*script), log, canvas ? &*canvas : nullptr);
  replay.Run();

  if (log && (std::fflush(log) != 0 || std::ferror(log))) {
    return Fail("writing the log failed: " + std::string(std::strerror(errno)));
  }
  if (canvas) {
    // Encode in memory and write with checked calls: a full disk must not pass for success.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!canvas->image().save(&buffer, "PNG")) return Fail("cannot encode the picture");
    std::FILE* out = std::fopen(png_path.c_str(), "wb");
    if (!out) return Fail("cannot write '" + png_path + "': " + std::strerror(errno));
    const bool written =
        std::fwrite(png.constData(), 1, png.size(), out) == static_cast<std::size_t>(png.size());
    const int write_errno = errno;
    if (std::fclose(out) != 0 || !written) {
      return Fail("writing '" + png_path +
                  "' failed: " + std::strerror(written ? errno : write_errno));
    }
  }
  return 0;
}
