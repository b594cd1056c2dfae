// What the desktop tests need from the X server beyond xdotool and xprop.
//   desktop_probe panels TOP BOTTOM
//       maps a dock panel TOP pixels high along the top of the screen and one BOTTOM pixels
//       high along the bottom, reserving that space as panels do, and keeps them until killed
//   desktop_probe icon WINDOW
//       prints the sizes of the images in the window's _NET_WM_ICON, e.g. "16x16 32x32"
//   desktop_probe icon WINDOW EXPECTED.png
//       exit 0 when one of those images shows EXPECTED.png (colours within 2 of 255 on
//       pixels that are not transparent: the icon went through premultiplied pixels)
// Qt's headers first: Xlib defines macros (Status, None, ...) that clash with them.
#include <QImage>
#include <QString>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void SetCardinals(Display* d, Window w, const char* name, const std::vector<long>& values) {
  XChangeProperty(d, w, XInternAtom(d, name, False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()),
                  static_cast<int>(values.size()));
}

void Panel(Display* d, int y, int width, int height, bool top) {
  const Window root = DefaultRootWindow(d);
  const Window w = XCreateSimpleWindow(d, root, 0, y, width, height, 0, 0, 0x404040);
  Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&dock), 1);
  // left, right, top, bottom, then the start and end of each along its edge.
  std::vector<long> strut(12, 0);
  if (top) {
    strut[2] = height;
    strut[9] = width - 1;
  } else {
    strut[3] = height;
    strut[11] = width - 1;
  }
  SetCardinals(d, w, "_NET_WM_STRUT_PARTIAL", strut);
  SetCardinals(d, w, "_NET_WM_STRUT", std::vector<long>(strut.begin(), strut.begin() + 4));
  XMapWindow(d, w);
}

// The images of _NET_WM_ICON: width, height, then width * height ARGB values, repeated.
std::vector<QImage> Icons(Display* d, Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<QImage> icons;
  if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 24, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
      !data) {
    return icons;
  }
  const auto* v = reinterpret_cast<const unsigned long*>(data);  // format 32: longs
  for (unsigned long i = 0; i + 2 <= count;) {
    const int width = static_cast<int>(v[i]), height = static_cast<int>(v[i + 1]);
    i += 2;
    if (width <= 0 || height <= 0 || i + static_cast<unsigned long>(width) * height > count) break;
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < width; ++x) line[x] = static_cast<QRgb>(v[i++]);
    }
    icons.push_back(image);
  }
  XFree(data);
  return icons;
}

bool Shows(const QImage& got, const QImage& expected) {
  if (got.size() != expected.size()) return false;
  for (int y = 0; y < got.height(); ++y) {
    for (int x = 0; x < got.width(); ++x) {
      const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
      if (std::abs(qAlpha(a) - qAlpha(b)) > 2) return false;
      if (qAlpha(b) < 16) continue;  // colour of a nearly transparent pixel is noise
      if (std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2 ||
          std::abs(qBlue(a) - qBlue(b)) > 2) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fputs("desktop_probe: cannot open the display\n", stderr);
    return 2;
  }
  if (argc == 4 && std::strcmp(argv[1], "panels") == 0) {
    const int top = std::atoi(argv[2]), bottom = std::atoi(argv[3]);
    const int width = DisplayWidth(d, DefaultScreen(d)),
              height = DisplayHeight(d, DefaultScreen(d));
    if (top > 0) Panel(d, 0, width, top, true);
    if (bottom > 0) Panel(d, height - bottom, width, bottom, false);
    XSync(d, False);
    for (;;) pause();
  }
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "icon") == 0) {
    const std::vector<QImage> icons = Icons(d, std::strtoul(argv[2], nullptr, 0));
    if (argc == 3) {
      QString sizes;
      for (const QImage& i : icons) sizes += QString("%1x%2 ").arg(i.width()).arg(i.height());
      std::printf("%s\n", sizes.trimmed().toLocal8Bit().constData());
      return icons.empty() ? 1 : 0;
    }
    const QImage expected = QImage(argv[3]).convertToFormat(QImage::Format_ARGB32);
    if (expected.isNull()) return 2;
    for (const QImage& i : icons) {
      if (Shows(i, expected)) return 0;
    }
    return 1;
  }
  std::fputs("usage: desktop_probe panels TOP BOTTOM | icon WINDOW [EXPECTED.png]\n", stderr);
  return 2;
}
