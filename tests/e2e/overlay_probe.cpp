// The names over the picture (app/plot_overlay.h) on a real X server, for overlay.sh: the
// program's window in this process, on the display DISPLAY names, moved, sized and typed into
// through xdotool as any other X client does it, its pixels read back from the X server.
//   overlay_probe WxH ...
// For each client area size (logical pixels) in turn, with the panel open (F2): the window
// grown or shrunk to it and the next frame drawn ("a"); then, with the names on and again off
// (F3), what the X server shows. Checked at each size:
//   - the overlay lies over the client area and holds PlotLabels of the frame at that size;
//   - each name's text is on the screen where its label says: across its middle at x (its
//     start or end at x for the names beside a curve), its middle row at y; a tick's number
//     under the tick the screen shows, TDC and BDC under their lines;
//   - switching the names off changes the screen only inside their boxes and on the checking
//     lift's row; with them off the client area is the canvas's pixels (but for the probe's
//     marker), and the canvas's own pixels are the same with them on and off.
// Prints one line per check that fails and one per size; exits 1 when a check failed.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/panel.h"
#include "app/plot_overlay.h"
#include "render/canvas.h"
#include "render/plot_labels.h"
#include "tests/support/colours.h"

namespace tarsel {
namespace {

int failures = 0;

void Fail(const std::string& what) {
  std::printf("FAIL: %s\n", what.c_str());
  std::fflush(stdout);
  ++failures;
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

bool Xdotool(const QStringList& args) {
  return QProcess::execute("xdotool", args) == 0;
}

// Device pixels of a logical rectangle, one more on every side for the rounding of its edges.
Rect DeviceBox(const QRectF& box, double dpr) {
  return {static_cast<int>(std::floor(box.left() * dpr)) - 1,
          static_cast<int>(std::floor(box.top() * dpr)) - 1,
          static_cast<int>(std::ceil(box.right() * dpr)),
          static_cast<int>(std::ceil(box.bottom() * dpr))};
}

std::uint32_t At(const QImage& image, int x, int y) {
  return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x] & 0xFFFFFF;
}

// What one size's check has seen: the window's pixels with the names on and off, the canvas's
// pixels at both, and where each name stands.
struct Seen {
  QImage on, off;
  Image canvas_on, canvas_off;
};

class Probe {
 public:
  Probe(Form1& form, std::vector<Size> sizes) : form_(form), sizes_(std::move(sizes)) {}

  // Runs the window's animation with the checks driven from a timer inside its event
  // processing; false when a state was not reached in time.
  bool Run();

 private:
  struct Stage {
    std::string name;
    std::function<void()> act;
    std::function<bool()> done;  // polled until true; may set why_ to say what is missing
  };
  void Stages();
  double Dpr() const { return form_.canvas().devicePixelRatio(); }
  Size Client() const { return {form_.width() - Panel::kWidth, form_.height()}; }
  QImage Grab() const {
    return QGuiApplication::primaryScreen()
        ->grabWindow(form_.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  // The checking lift's rows, where its line is drawn over the picture.
  bool OnLiftRow(int y) const;
  bool OnMarker(int x) const;
  // The pixels of the client area on the screen that differ from the canvas's, outside the
  // names' boxes (when `names`), the checking lift's rows and the probe's marker.
  long Differing(const QImage& screen, bool names) const;
  bool NamesShown(const QImage& screen);
  void CheckPlaces(const Seen& seen);

  Form1& form_;
  std::vector<Size> sizes_;
  std::vector<Stage> stages_;
  std::size_t stage_ = 0;
  bool acted_ = false;
  int ticks_ = 0;
  std::string why_;
  long waits_ = 0;
  std::vector<Rect> boxes_;  // device pixels
  Seen seen_;
  std::string win_;
};

bool Probe::OnLiftRow(int y) const {
  return std::abs(y - static_cast<int>(std::floor(ThresholdRow(form_.threshold()) * Dpr()))) <= 1;
}

bool Probe::OnMarker(int x) const {
  const double dpr = Dpr();
  const int column = static_cast<int>(std::floor(Canvas::ToPixel(form_.probe_x(), 0).x * dpr));
  return std::abs(x - column) <= static_cast<int>(dpr) + 1;
}

long Probe::Differing(const QImage& screen, bool names) const {
  const Image& canvas = form_.canvas().image();
  const int width = Canvas::DeviceSide(Client().width, Dpr()),
            height = Canvas::DeviceSide(Client().height, Dpr());
  if (screen.height() != height || screen.width() < width || canvas.width < width ||
      canvas.height < height) {
    return -1;
  }
  long count = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (At(screen, x, y) ==
          (canvas.pixels[static_cast<std::size_t>(y) * canvas.width + x] & 0xFFFFFF)) {
        continue;
      }
      if (OnMarker(x) || (names && OnLiftRow(y))) continue;
      if (names && std::any_of(boxes_.begin(), boxes_.end(),
                               [&](const Rect& b) { return b.contains(x, y); })) {
        continue;
      }
      ++count;
    }
  }
  return count;
}

// The names are on the screen: the overlay over the client area with the labels of the frame
// at this size, and the screen the canvas's pixels outside their boxes.
bool Probe::NamesShown(const QImage& screen) {
  const Size client = Client();
  const auto& labels = form_.overlay()->labels();
  if (!form_.overlay()->isVisible()) {
    why_ = "the overlay is hidden";
    return false;
  }
  if (form_.overlay()->geometry() != QRect(0, 0, client.width, client.height)) {
    why_ = "the overlay does not cover the client area";
    return false;
  }
  if (labels != PlotLabels(form_.state(), form_.curves(), form_.threshold(), client)) {
    why_ = "the overlay's labels are not PlotLabels of the frame at this size";
    return false;
  }
  boxes_.clear();
  for (const PlotLabel& l : labels) boxes_.push_back(DeviceBox(form_.overlay()->Box(l), Dpr()));
  const long differing = Differing(screen, true);
  if (differing != 0) {
    why_ = std::to_string(differing) + " pixels of the screen outside the names' boxes differ" +
           " from the canvas's";
    return false;
  }
  return true;
}

// Where each name's text is on the screen: the dark pixels (the text's colour, not the light box
// under it) that the names put there, box by box.
void Probe::CheckPlaces(const Seen& seen) {
  const double dpr = Dpr();
  const Size client = Client();
  const std::string size = std::to_string(client.width) + "x" + std::to_string(client.height);
  const int width = Canvas::DeviceSide(client.width, dpr),
            height = Canvas::DeviceSide(client.height, dpr);
  // Switching the names off changed the screen inside their boxes and on the lift's row only.
  long outside = 0, on_row = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (At(seen.on, x, y) == At(seen.off, x, y)) continue;
      if (OnLiftRow(y)) {
        ++on_row;
      } else if (std::none_of(boxes_.begin(), boxes_.end(),
                              [&](const Rect& b) { return b.contains(x, y); })) {
        ++outside;
      }
    }
  }
  if (outside)
    Fail(size + ": the names changed " + std::to_string(outside) + " pixels outside their boxes");
  if (on_row < width / 4) Fail(size + ": no checking lift's line across the client area");
  if (!(seen.canvas_on == seen.canvas_off)) {
    Fail(size + ": the canvas's pixels differ with the names on and off");
  }
  const auto ink = [&](int x, int y) {
    const std::uint32_t c = At(seen.on, x, y);
    return c != At(seen.off, x, y) && RgbRed(c) < 128 && RgbGreen(c) < 128 && RgbBlue(c) < 128;
  };
  // The axis's colour at row y within 4 logical pixels of x: the middle of those columns.
  const auto line_at = [&](double x, double y) {
    const int row = static_cast<int>(std::floor(y * dpr));
    int first = -1, last = -1;
    for (int c = static_cast<int>(std::floor((x - 4) * dpr));
         c <= static_cast<int>(std::ceil((x + 4) * dpr)); ++c) {
      if (c < 0 || c >= width || At(seen.off, c, row) != testing::Rgb(testing::kAxis)) continue;
      if (first < 0) first = c;
      last = c;
    }
    return first < 0 ? -1.0 : (first + last + 1) / 2.0;
  };
  // A name stands within a logical pixel of its place, and a device pixel for rounding.
  const double tolerance = dpr + 1;
  double worst = 0;
  int named_lines = 0;
  for (std::size_t i = 0; i < form_.overlay()->labels().size(); ++i) {
    const PlotLabel& l = form_.overlay()->labels()[i];
    const Rect box = boxes_[i] & Rect::Sized(0, 0, width, height);
    Rect text;
    for (int y = box.top; y <= box.bottom; ++y) {
      for (int x = box.left; x <= box.right; ++x) {
        if (ink(x, y)) text |= Rect{x, y, x, y};
      }
    }
    const std::string what = size + ": " + l.key + " '" + l.text + "'";
    if (text.empty()) {
      Fail(what + ": not on the screen");
      continue;
    }
    // Across: the text's middle, or its start or end inside the box's margin of 3.
    const double middle = (text.left + text.right + 1) / 2.0;
    double across = middle - l.x * dpr;
    if (l.anchor == PlotLabel::Anchor::kStart) across = text.left - (l.x + 3) * dpr;
    if (l.anchor == PlotLabel::Anchor::kEnd) across = (text.right + 1) - (l.x - 3) * dpr;
    // Down: the middle of the text's pixels at the label's row, within the few pixels by which
    // a face's ascent and descent leave its letters off the middle of its line.
    const double down = (text.top + text.bottom + 1) / 2.0 - l.y * dpr;
    worst = std::max(worst, std::abs(across));
    // A start or an end is where the first or last glyph's ink begins, which its side bearing
    // (an arrow's most) leaves up to two logical pixels in.
    const double slack = l.anchor == PlotLabel::Anchor::kCentre ? tolerance : tolerance + 2 * dpr;
    if (std::abs(across) > slack)
      Fail(what + ": " + Num(across) + " device pixels across from its place");
    if (std::abs(down) > 3 * dpr)
      Fail(what + ": " + Num(down) + " device pixels down from its row");
    const bool tick = l.key.starts_with("tick-");
    if (!tick && l.key != "tdc" && l.key != "bdc") continue;
    // The tick or line it names, as the screen shows it right above the name.
    const double above = tick ? Canvas::ToPixel(0, -0.1).y : Canvas::ToPixel(0, -1.9).y;
    const double line = line_at(l.x, above);
    if (line < 0) {
      Fail(what + ": no line on the screen above it");
      continue;
    }
    ++named_lines;
    worst = std::max(worst, std::abs(middle - line));
    if (std::abs(middle - line) > tolerance) {
      Fail(what + ": its middle " + Num(middle - line) + " device pixels across from its line");
    }
    // Its ink from just under the line to 25 logical pixels below it, and the device row the
    // glyphs' antialiasing reaches past.
    if (!(text.top > above * dpr && text.bottom <= (above + 25) * dpr + 1)) {
      Fail(what + ": not right under its line (its ink from row " + Num(text.top) + " to " +
           Num(text.bottom) + ", the line at " + Num(above * dpr) + ")");
    }
  }
  // Every tick in the client area from x = 0 (a tick every 22.5 units from -97.5) is named.
  // A client area too short for the plot's foot names none of them.
  int want = 0;
  if (Canvas::ToPixel(0, -0.1).y + 9 <= client.height) {
    for (double t = -97.5; Canvas::ToPixel(t, 0).x < client.width; t += 22.5) {
      want += Canvas::ToPixel(t, 0).x >= 0;
    }
  }
  if (Canvas::ToPixel(0, -1.9).y + 9 <= client.height) want += 2;
  if (named_lines != want) {
    Fail(size + ": " + std::to_string(named_lines) + " ticks and lines named, expected " +
         std::to_string(want));
  }
  std::printf(
      "%s at ratio %g: %zu names, %d of them under their ticks and lines, at most %.1f "
      "device pixels from their places\n",
      size.c_str(), dpr, form_.overlay()->labels().size(), named_lines, worst);
  std::fflush(stdout);
}

void Probe::Stages() {
  const auto key = [](const char* k) { Xdotool({"key", k}); };
  stages_.push_back({"the first frame", [] {}, [this] { return form_.waits_begun() >= 1; }});
  stages_.push_back({"the panel open with the names on",
                     [this, key] {
                       win_ = QString::number(form_.winId()).toStdString();
                       const QString w = QString::fromStdString(win_);
                       // At the screen's corner, so that the whole window stays on it (an X
                       // server keeps no pixels of a part outside), the pointer away from it.
                       Xdotool({"windowmove", "--sync", w, "0", "0"});
                       const QSize screen = QGuiApplication::primaryScreen()->size() *
                                            QGuiApplication::primaryScreen()->devicePixelRatio();
                       Xdotool({"mousemove", QString::number(screen.width() - 1),
                                QString::number(screen.height() - 1)});
                       Xdotool({"windowfocus", "--sync", w});
                       key("F2");
                     },
                     [this] { return form_.panel_open() && form_.overlay()->isVisible(); }});
  for (const Size size : sizes_) {
    const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
    stages_.push_back(
        {name + ": the window sized, the next frame drawn",
         [this, key, size] {
           const double dpr = Dpr();
           if (Client().width != size.width || Client().height != size.height) {
             Xdotool({"windowsize", "--sync", QString::fromStdString(win_),
                      QString::number(Canvas::DeviceSide(size.width + Panel::kWidth, dpr)),
                      QString::number(Canvas::DeviceSide(size.height, dpr))});
           }
           waits_ = form_.waits_begun();
           key("a");
         },
         [this, size] {
           return form_.waits_begun() > waits_ && Client().width == size.width &&
                  Client().height == size.height;
         }});
    stages_.push_back({name + ": the names on the screen", [] {},
                       [this] {
                         const QImage screen = Grab();
                         if (!NamesShown(screen)) return false;
                         seen_.on = screen;
                         seen_.canvas_on = form_.canvas().image();
                         return true;
                       }});
    stages_.push_back({name + ": the names off (F3), the canvas's pixels on the screen",
                       [key] { key("F3"); },
                       [this] {
                         if (form_.overlay_shown() || form_.overlay()->isVisible()) return false;
                         const QImage screen = Grab();
                         const long differing = Differing(screen, false);
                         if (differing != 0) {
                           why_ = std::to_string(differing) + " pixels differ from the canvas's";
                           return false;
                         }
                         seen_.off = screen;
                         seen_.canvas_off = form_.canvas().image();
                         CheckPlaces(seen_);
                         return true;
                       }});
    stages_.push_back({name + ": the names on again (F3)", [key] { key("F3"); },
                       [this] {
                         if (!form_.overlay()->isVisible()) return false;
                         if (!(form_.canvas().image() == seen_.canvas_off)) {
                           Fail("the canvas's pixels changed when the names came on again");
                         }
                         return true;
                       }});
  }
  stages_.push_back({"Escape ends the program", [key] { key("Escape"); }, [] { return false; }});
}

bool Probe::Run() {
  Stages();
  bool stuck = false;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (stage_ >= stages_.size()) return;
    Stage& s = stages_[stage_];
    if (!acted_) {
      acted_ = true;
      ticks_ = 0;
      why_.clear();
      s.act();
      return;
    }
    if (s.done()) {
      ++stage_;
      acted_ = false;
      return;
    }
    // A state not reached within 15 s (750 polls) is a failure, not a hang.
    if (++ticks_ > 750 && stage_ + 1 < stages_.size()) {
      Fail(s.name + ": not reached in 15 s" + (why_.empty() ? "" : ": " + why_));
      stuck = true;
      stage_ = stages_.size() - 1;
      acted_ = false;
    }
  });
  // Should the program not end, the window is closed after two minutes: a failure, not a hang.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    Fail("the checks did not end within 120 s");
    stuck = true;
    form_.close();
    QCoreApplication::exit(99);
  });
  watchdog.start(120000);
  timer.start();
  form_.show();
  const int code = QCoreApplication::exec();
  if (code != 0) Fail("the program ended with " + std::to_string(code));
  return !stuck;
}

}  // namespace
}  // namespace tarsel

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  std::vector<tarsel::Size> sizes;
  for (int i = 1; i < argc; ++i) {
    int w = 0, h = 0;
    if (std::sscanf(argv[i], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
      std::fprintf(stderr, "overlay_probe: '%s' is no size WxH\n", argv[i]);
      return 2;
    }
    sizes.push_back({w, h});
  }
  if (sizes.empty()) {
    std::fputs("usage: overlay_probe WxH ...\n", stderr);
    return 2;
  }
  tarsel::Form1 form;
  tarsel::Probe probe(form, sizes);
  probe.Run();
  return tarsel::failures == 0 ? 0 : 1;
}
