/* Asks a window to close as a window manager's close box does: the
 * WM_DELETE_WINDOW message of the window-manager protocol. The GUI checks
 * use it where no window manager runs.
 * usage: wm-close WINDOW_ID */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: wm-close WINDOW_ID\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "wm-close: cannot open the display\n");
    return 1;
  }
  XEvent ev = {0};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = (Window)strtoul(argv[1], NULL, 0);
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, ev.xclient.window, False, NoEventMask, &ev);
  XCloseDisplay(d);
  return 0;
}
