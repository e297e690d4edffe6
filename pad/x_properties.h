// The X server's own touchpad driver, seen through XInput device properties:
// while vorellpad publishes, the driver's two-finger scrolling and tapping
// are off (the engine does those) and the block's TouchpadOff is mirrored
// onto the device; everything is put back as it was found at the end.
#pragma once

#include <string>

#include "x_key_events.h"

class XDriverGuard {
public:
    // Called when the connection to the X server is lost (the session is
    // over; nothing is left to restore there). It must not return: Xlib ends
    // the process after it.
    static void (*on_lost)();

    XDriverGuard() = default;
    ~XDriverGuard();
    XDriverGuard(const XDriverGuard &) = delete;
    XDriverGuard &operator=(const XDriverGuard &) = delete;

    // Opens the display (once) and takes over the X device whose "Device
    // Node" property is node. False, with a note in message, when there is
    // no display or no such device.
    bool attach(const std::string &node, std::string *message);
    // Mirrors TouchpadOff: 0 on, 1 device disabled, 2 tapping and scrolling
    // off (they are off while vorellpad runs anyway).
    void mirror_touchpad_off(int value);
    // Puts every property back and lets go of the device.
    void restore();
    // The display's connection, for poll(); -1 without one.
    int connection_fd() const;
    // Reads what the server sent; true when a key was pressed or released
    // (from the keyboard or through XTEST alike: either may be the user's).
    bool drain();
    // A device takes TouchpadOff, and whether the server reports keys.
    bool mirroring() const { return device_ >= 0 && saved_; }
    bool keys_reported() const { return keys_reported_; }

private:
    struct Saved;
    Display *display_ = nullptr;
    int device_ = -1;
    KeyEventListener keys_;
    bool keys_reported_ = false;
    int touchpad_off_ = 0;
    Saved *saved_ = nullptr;
};
