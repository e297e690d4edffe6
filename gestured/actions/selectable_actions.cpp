#include "selectable_actions.h"

#include "platform.h"
#include "x_input.h"

int32_t left_button_held = 0;
int32_t middle_button_held = 0;
int32_t right_button_held = 0;
int32_t hold_gesture = 0;

void press_key(const EnginePlatform &platform, const char *name)
{
    platform.send(name, 0, InputKind::kKeyPress);
}
void release_key(const EnginePlatform &platform, const char *name)
{
    platform.send(name, 0, InputKind::kKeyRelease);
}
void tap_key(const EnginePlatform &platform, const char *name) { platform.send(name, 0, InputKind::kKeyTap); }
void type_text(const EnginePlatform &platform, const char *text) { platform.send(text, 0, InputKind::kText); }
void click_button(const EnginePlatform &platform, int button)
{
    platform.send(nullptr, button, InputKind::kButtonClick);
}

void key_chord(const EnginePlatform &platform, const char *first, const char *second)
{
    press_key(platform, first);
    press_key(platform, second);
    release_key(platform, second);
    release_key(platform, first);
}

void control_click(const EnginePlatform &platform, int button)
{
    press_key(platform, "Control_L");
    platform.send(nullptr, button, InputKind::kButtonPress);
    platform.send(nullptr, button, InputKind::kButtonRelease);
    release_key(platform, "Control_L");
}

namespace {

void press_button(const EnginePlatform &platform, int button, int32_t *held_flag)
{
    platform.send(nullptr, button, InputKind::kButtonPress);
    *held_flag = 1;
}

// The letter goes out as a key name (the key of that letter, no Shift).
void control_letter(const EnginePlatform &platform, char letter)
{
    key_char_buffer[0] = letter;
    key_char_buffer[1] = 0;
    key_chord(platform, "Control_L", key_char_buffer);
}

}  // namespace

void run_common_action(const EnginePlatform &platform, int32_t code)
{
    switch (code) {
    case 0:
        if (hold_gesture == 0)
            press_button(platform, 1, &left_button_held);
        break;
    case 1: press_button(platform, 3, &right_button_held); break;
    case 2: press_button(platform, 2, &middle_button_held); break;
    case 3: key_chord(platform, "Alt_L", "Right"); break;
    case 4: key_chord(platform, "Alt_L", "Left"); break;
    case 5: key_chord(platform, "Alt_L", "F10"); break;
    case 6: key_chord(platform, "Alt_L", "F9"); break;
    case 7: break;
    case 8: tap_key(platform, "Page_Down"); break;
    case 9: tap_key(platform, "Page_Up"); break;
    case 10: click_button(platform, 5); break;
    case 11: click_button(platform, 6); break;
    case 12: click_button(platform, 7); break;
    case 13: click_button(platform, 4); break;
    case 14: control_click(platform, 5); break;
    case 15: control_click(platform, 4); break;
    case 16:
        press_key(platform, "Alt_L");
        tap_key(platform, "F4");
        release_key(platform, "Alt_L");
        break;
    case 17:
        key_char_buffer[0] = 'D';
        key_char_buffer[1] = 0;
        press_key(platform, "Alt_L");
        press_key(platform, "Control_L");
        press_key(platform, key_char_buffer);
        release_key(platform, key_char_buffer);
        release_key(platform, "Control_L");
        release_key(platform, "Alt_L");
        break;
    default: break;
    }
}

void run_zoom_action(const EnginePlatform &platform, int32_t code)
{
    switch (code) {
    case 0: tap_key(platform, "Page_Up"); break;
    case 1: tap_key(platform, "Page_Down"); break;
    case 2: control_click(platform, 5); break;
    case 3: control_click(platform, 4); break;
    case 4: key_chord(platform, "Alt_L", "F9"); break;
    case 5: key_chord(platform, "Alt_L", "F10"); break;
    default: break;
    }
}

void run_rotate_action(const EnginePlatform &platform, int32_t code)
{
    switch (code) {
    case 0: tap_key(platform, "Page_Up"); break;
    case 1: tap_key(platform, "Page_Down"); break;
    case 2: control_letter(platform, 'R'); break;
    case 3: control_letter(platform, 'L'); break;
    case 4: key_chord(platform, "Alt_L", "F9"); break;
    case 5: key_chord(platform, "Alt_L", "F10"); break;
    default: break;
    }
}

void release_held_button(const EnginePlatform &platform)
{
    if (left_button_held == 1) {
        platform.send(nullptr, 1, InputKind::kButtonRelease);
        left_button_held = 0;
    } else if (middle_button_held == 1) {
        platform.send(nullptr, 2, InputKind::kButtonRelease);
        middle_button_held = 0;
    } else if (right_button_held == 1) {
        platform.send(nullptr, 3, InputKind::kButtonRelease);
        right_button_held = 0;
    }
}
