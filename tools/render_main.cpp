// tarsel-render: the animation without a window. It replays a script of key presses and
// double-clicks through the same driver and handlers as the window, and writes the draw log
// and/or a picture of the client area at the end of the run.
#include <QImage>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/canvas.h"
#include "tools/replay.h"

namespace {

constexpr char kUsage[] =
    "usage: tarsel-render [--script \"TOKENS\"] [--log FILE|-] [--png FILE] [--size WxH] "
    "[--scale F]\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarsel-render: %s\n", message.c_str());
  return 2;
}

bool ParseSize(const std::string& s, int* w, int* h) {
  int n = 0;
  char x = 0;
  if (std::sscanf(s.c_str(), "%d%c%d%n", w, &x, h, &n) != 3 || x != 'x' ||
      n != static_cast<int>(s.size())) {
    return false;
  }
  return *w >= 1 && *h >= 1 && *w <= 16384 && *h <= 16384;
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

  std::optional<tarsel::Canvas> canvas;
  if (have_png) canvas.emplace(QSize(width, height), scale);
  tarsel::Replay replay(std::move(*script), log, canvas ? &*canvas : nullptr);
  replay.Run();

  if (log && (std::fflush(log) != 0 || std::ferror(log))) {
    return Fail("writing the log failed: " + std::string(std::strerror(errno)));
  }
  if (canvas && !canvas->image().save(QString::fromLocal8Bit(png_path.c_str()), "PNG")) {
    return Fail("cannot write '" + png_path + "'");
  }
  return 0;
}
