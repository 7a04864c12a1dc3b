#include "XKeyPress.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>

void SendKeyPress(Fl_Window* window, unsigned long keysym) {
  Window xw = fl_xid(window);
  XSetInputFocus(fl_display, xw, RevertToParent, CurrentTime);
  XKeyEvent e{};
  e.type = KeyPress;
  e.display = fl_display;
  e.window = xw;
  e.root = DefaultRootWindow(fl_display);
  e.same_screen = True;
  e.keycode = XKeysymToKeycode(fl_display, keysym);
  XSendEvent(fl_display, xw, True, KeyPressMask, reinterpret_cast<XEvent*>(&e));
  XFlush(fl_display);
}
