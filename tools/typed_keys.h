// Key presses as a person's keyboard makes them, for the tests and benches:
// through the X server's own keyboard device (Xvfb has one), not through
// XTEST's device, whose keys the typing monitor does not take for typing.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

// The server's first keyboard that is not one of XTEST's, opened for
// XTestFakeDeviceKeyEvent; nullptr when it has none.
XDevice *open_typing_keyboard(Display *display);

// Presses or releases keycode on that keyboard and waits for the server to
// have taken it.
void type_key(Display *display, XDevice *keyboard, unsigned keycode, bool down);
