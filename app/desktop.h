#pragma once

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// How the one window behaves among the others of a desktop: where it opens, its icon, and
// what happens when another program destroys it.
namespace tarsel {

// The top-left corner of a window frame of size `frame` on the screen area `available` (the
// screen less its panels): centred on each axis where the frame fits, else at the start of
// that axis, so that the title bar and its buttons stay on the screen.
QPoint FramePosition(const QRect& available, const QSize& frame);

// Opens `window` where FramePosition puts its frame. The frame is known only once a window
// manager has framed the window, so the window is placed once before it is shown (as if it
// had no frame) and once more at its first activation. Never changes its size.
void PlaceOnScreen(QWidget& window);

// The program's icon: the installed theme icon "tarsel", else the copy built into the
// program (a run from the build tree, or a desktop without the hicolor theme).
QIcon ProgramIcon();

// On X11, another client can destroy the window outright (xdotool windowclose does), which
// no close event reports. The program then ends as when the window is closed from its frame.
void CloseWhenDestroyed(QWidget& window);

}  // namespace tarsel
