// The keyboard as the X server reports it in one keymap query: 32 bytes,
// bit b of byte i set while keycode 8 * i + b is down. The typing monitor and
// the key-activity watchers both decide from it.
#pragma once

constexpr int kKeyVectorBytes = 32;
