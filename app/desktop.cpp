#include "app/desktop.h"

#include <xcb/xproto.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <QWindow>

namespace tarsel {

namespace {

int AxisStart(int start, int length, int size) {
  return size <= length ? start + (length - size) / 2 : start;
}

QRect AvailableArea(const QWidget& window) {
  const QScreen* screen = window.screen();
  return screen ? screen->availableGeometry() : QRect();
}

// Places the window again at its first activation, when the window manager has framed it and
// the frame's size is known. Until then the window's minimum size is its size: some window
// managers (xfwm4) shrink a new window that is larger than the screen, and the client area
// must open at its design size. Afterwards the user may make it as small as before.
class Placer : public QObject {
 public:
  explicit Placer(QWidget& window)
      : QObject(&window), window_(window), minimum_(window.minimumSize()) {
    window.setMinimumSize(window.size());
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::WindowActivate) return false;
    window_.removeEventFilter(this);
    const QWindow* handle = window_.windowHandle();
    const QRect available = AvailableArea(window_);
    if (handle && available.isValid()) {
      const QPoint want = FramePosition(available, window_.size().grownBy(handle->frameMargins()));
      if (handle->framePosition() != want) window_.move(want);
    }
    window_.setMinimumSize(minimum_);
    deleteLater();
    return false;
  }

 private:
  QWidget& window_;
  const QSize minimum_;
};

class DestroyWatch : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit DestroyWatch(QWidget& window) : QObject(&window), window_(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~DestroyWatch() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The top bit marks an event sent by another client rather than by the server.
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (window_.internalWinId() == 0 || destroyed->window != window_.internalWinId()) {
      return false;
    }
    // Closing ends the animation at its next event-processing call, or the event loop.
    window_.close();
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

QPoint FramePosition(const QRect& available, const QSize& frame) {
  return {AxisStart(available.x(), available.width(), frame.width()),
          AxisStart(available.y(), available.height(), frame.height())};
}

void PlaceOnScreen(QWidget& window) {
  const QRect available = AvailableArea(window);
  if (available.isValid()) window.move(FramePosition(available, window.size()));
  new Placer(window);
}

QIcon ProgramIcon() {
  QIcon built_in;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    built_in.addFile(QString(":/tarsel/icons/tarsel-%1.png").arg(size), QSize(size, size));
  }
  return QIcon::fromTheme("tarsel", built_in);
}

void CloseWhenDestroyed(QWidget& window) {
  new DestroyWatch(window);
}

}  // namespace tarsel
