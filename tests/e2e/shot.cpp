// Screenshots of a real X window for the end-to-end tests.
//   shot grab WINDOW OUT.png
//   shot match WINDOW EXPECTED.png TIMEOUT_MS OUT.png
//       grabs the window until its pixels equal EXPECTED.png (exit 0) or the time is up
//       (exit 1, the last grab saved as OUT.png and the number of differing pixels printed).
//   shot match-client WINDOW EXPECTED.png TIMEOUT_MS OUT.png FROM TO
//       the same for the client area beside the panel: the window's top-left part of the
//       expected size, columns FROM to TO (the probe's marker) left out; those must differ
//       somewhere, so that the marker is seen to be there.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "tests/support/qt_pixels.h"

namespace {

QImage Grab(WId window) {
  return QGuiApplication::primaryScreen()->grabWindow(window).toImage().convertToFormat(
      QImage::Format_RGB32);
}

// Pixels that differ, columns from..to left out; *skipped_differ counts those that differ there.
long Differences(const QImage& a, const QImage& b, int from = -1, int to = -2,
                 long* skipped_differ = nullptr) {
  if (a.size() != b.size()) return -1;
  using tarsel::testing::PixelsOf;
  const auto d = tarsel::testing::CountDifferences(PixelsOf(a), PixelsOf(b),
                                                   tarsel::Rect{from, 0, to, a.height() - 1});
  if (skipped_differ) *skipped_differ = d.inside;
  return d.outside;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 4 && args[1] == "grab") {
    return Grab(args[2].toULongLong(nullptr, 0)).save(args[3]) ? 0 : 2;
  }
  if (args.size() == 6 && args[1] == "match") {
    const WId window = args[2].toULongLong(nullptr, 0);
    const QImage expected = QImage(args[3]).convertToFormat(QImage::Format_RGB32);
    if (expected.isNull()) return 2;
    QElapsedTimer timer;
    timer.start();
    QImage got;
    long diff = -1;
    do {
      got = Grab(window);
      diff = Differences(got, expected);
      if (diff == 0) return 0;
      QThread::msleep(100);
    } while (timer.elapsed() < args[4].toLong());
    got.save(args[5]);
    std::printf("window %dx%d, expected %dx%d, %ld pixels differ\n", got.width(), got.height(),
                expected.width(), expected.height(), diff);
    return 1;
  }
  if (args.size() == 8 && args[1] == "match-client") {
    const WId window = args[2].toULongLong(nullptr, 0);
    const QImage expected = QImage(args[3]).convertToFormat(QImage::Format_RGB32);
    const int from = args[6].toInt(), to = args[7].toInt();
    if (expected.isNull()) return 2;
    QElapsedTimer timer;
    timer.start();
    QImage got;
    long diff = -1, marker = 0;
    do {
      got = Grab(window);
      if (got.width() > expected.width()) {
        diff = Differences(got.copy(0, 0, expected.width(), expected.height()), expected, from, to,
                           &marker);
        if (diff == 0 && marker > 0) return 0;
      }
      QThread::msleep(100);
    } while (timer.elapsed() < args[4].toLong());
    got.save(args[5]);
    std::printf("window %dx%d, client %dx%d: %ld pixels differ, %ld under the marker\n",
                got.width(), got.height(), expected.width(), expected.height(), diff, marker);
    return 1;
  }
  std::fputs(
      "usage: shot grab WINDOW OUT.png | shot match WINDOW EXPECTED.png MS OUT.png\n"
      "       shot match-client WINDOW EXPECTED.png MS OUT.png FROM TO\n",
      stderr);
  return 2;
}
