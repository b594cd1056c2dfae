// Screenshots of a real X window for the end-to-end tests.
//   shot grab WINDOW OUT.png
//   shot match WINDOW EXPECTED.png TIMEOUT_MS OUT.png
//       grabs the window until its pixels equal EXPECTED.png (exit 0) or the time is up
//       (exit 1, the last grab saved as OUT.png and the number of differing pixels printed).
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

// Pixels that differ, or -1 for pictures of different sizes.
long Differences(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  using tarsel::testing::PixelsOf;
  return tarsel::testing::CountDifferences(PixelsOf(a), PixelsOf(b)).total();
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
  std::fputs("usage: shot grab WINDOW OUT.png | shot match WINDOW EXPECTED.png MS OUT.png\n",
             stderr);
  return 2;
}
