// A key press delivered through the X server, as a user's would be (kept
// apart from test code: the X headers define macros that clash with it).
#pragma once

class Fl_Window;

// Gives the window the input focus and sends it a press of the key whose
// keysym is given (a character for letters and digits).
void SendKeyPress(Fl_Window* window, unsigned long keysym);
