#include "kbd_helpers.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "support.h"
#include "touchpad_block.h"

// Xlib last: its macros (None, Bool, Status) must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "typed_keys.h"

KeyTypist::KeyTypist(const std::string &display_name, KeySource source)
{
    display_ = XOpenDisplay(display_name.c_str());
    if (!display_)
        throw std::runtime_error("cannot open test display " + display_name);
    if (source == KeySource::kKeyboard && !(keyboard_ = open_typing_keyboard(display_))) {
        XCloseDisplay(display_);
        throw std::runtime_error("the test display has no keyboard of its own");
    }
}

KeyTypist::~KeyTypist()
{
    for (unsigned k = 0; k < 256; ++k)
        if (held_[k])
            release(k);
    if (keyboard_)
        XCloseDevice(display_, static_cast<XDevice *>(keyboard_));
    XCloseDisplay(display_);
}

namespace {

void send_key(Display *display, XDevice *keyboard, unsigned keycode, bool down)
{
    if (keyboard) {
        type_key(display, keyboard, keycode, down);
        return;
    }
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XSync(display, False);
}

}  // namespace

void KeyTypist::press(unsigned keycode)
{
    send_key(display_, static_cast<XDevice *>(keyboard_), keycode, true);
    held_[keycode & 255] = true;
}

void KeyTypist::release(unsigned keycode)
{
    send_key(display_, static_cast<XDevice *>(keyboard_), keycode, false);
    held_[keycode & 255] = false;
}

void KeyTypist::tap(unsigned keycode, int hold_ms)
{
    press(keycode);
    sleep_ms(hold_ms);
    release(keycode);
}

TouchpadSharedBlock *create_test_block()
{
    tpsim({"create"});
    TouchpadSharedBlock *block = attach_shared_block();
    if (!block)
        throw std::runtime_error("cannot attach the test block");
    return block;
}

int32_t block_field(const TouchpadSharedBlock *block, int offset)
{
    return *reinterpret_cast<const volatile int32_t *>(reinterpret_cast<const char *>(block) + offset);
}

void set_block_field(TouchpadSharedBlock *block, int offset, int32_t value)
{
    *reinterpret_cast<volatile int32_t *>(reinterpret_cast<char *>(block) + offset) = value;
}
