#include "kbd_helpers.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "support.h"
#include "touchpad_block.h"

// Xlib last: its macros (None, Bool, Status) must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

KeyTypist::KeyTypist(const std::string &display_name)
{
    display_ = XOpenDisplay(display_name.c_str());
    if (!display_)
        throw std::runtime_error("cannot open test display " + display_name);
}

KeyTypist::~KeyTypist()
{
    for (unsigned k = 0; k < 256; ++k)
        if (held_[k])
            release(k);
    XCloseDisplay(display_);
}

void KeyTypist::press(unsigned keycode)
{
    XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
    XSync(display_, False);
    held_[keycode & 255] = true;
}

void KeyTypist::release(unsigned keycode)
{
    XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
    XSync(display_, False);
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
