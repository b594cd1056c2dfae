// Asks a window to close the way a window manager does when its close button is clicked: a
// WM_DELETE_WINDOW message of the WM_PROTOCOLS kind. Without a window manager on the test's
// X server, this is the only way to press "close" on the frame.
//   wm_close WINDOW
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: wm_close WINDOW\n", stderr);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fputs("wm_close: cannot open the display\n", stderr);
    return 2;
  }
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, e.xclient.window, False, NoEventMask, &e);
  XSync(display, False);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
