#include "selectable_actions.h"

#include "platform.h"
#include "x_input.h"

int32_t left_button_held = 0;
int32_t middle_button_held = 0;
int32_t right_button_held = 0;
int32_t hold_gesture = 0;

void press_key(const char *name) { engine_platform.send_input(name, 0, InputKind::kKeyPress); }
void release_key(const char *name) { engine_platform.send_input(name, 0, InputKind::kKeyRelease); }
void tap_key(const char *name) { engine_platform.send_input(name, 0, InputKind::kKeyTap); }
void type_text(const char *text) { engine_platform.send_input(text, 0, InputKind::kText); }
void click_button(int button) { engine_platform.send_input(nullptr, button, InputKind::kButtonClick); }

void key_chord(const char *first, const char *second)
{
    press_key(first);
    press_key(second);
    release_key(second);
    release_key(first);
}

void control_click(int button)
{
    press_key("Control_L");
    engine_platform.send_input(nullptr, button, InputKind::kButtonPress);
    engine_platform.send_input(nullptr, button, InputKind::kButtonRelease);
    release_key("Control_L");
}

namespace {

void press_button(int button, int32_t *held_flag)
{
    engine_platform.send_input(nullptr, button, InputKind::kButtonPress);
    *held_flag = 1;
}

// The letter goes out as a key name (the key of that letter, no Shift).
void control_letter(char letter)
{
    key_char_buffer[0] = letter;
    key_char_buffer[1] = 0;
    key_chord("Control_L", key_char_buffer);
}

}  // namespace

void run_common_action(int32_t code)
{
    switch (code) {
    case 0:
        if (hold_gesture == 0)
            press_button(1, &left_button_held);
        break;
    case 1: press_button(3, &right_button_held); break;
    case 2: press_button(2, &middle_button_held); break;
    case 3: key_chord("Alt_L", "Right"); break;
    case 4: key_chord("Alt_L", "Left"); break;
    case 5: key_chord("Alt_L", "F10"); break;
    case 6: key_chord("Alt_L", "F9"); break;
    case 7: break;
    case 8: tap_key("Page_Down"); break;
    case 9: tap_key("Page_Up"); break;
    case 10: click_button(5); break;
    case 11: click_button(6); break;
    case 12: click_button(7); break;
    case 13: click_button(4); break;
    case 14: control_click(5); break;
    case 15: control_click(4); break;
    case 16:
        press_key("Alt_L");
        tap_key("F4");
        release_key("Alt_L");
        break;
    case 17:
        key_char_buffer[0] = 'D';
        key_char_buffer[1] = 0;
        press_key("Alt_L");
        press_key("Control_L");
        press_key(key_char_buffer);
        release_key(key_char_buffer);
        release_key("Control_L");
        release_key("Alt_L");
        break;
    default:
        break;
    }
}

void run_zoom_action(int32_t code)
{
    switch (code) {
    case 0: tap_key("Page_Up"); break;
    case 1: tap_key("Page_Down"); break;
    case 2: control_click(5); break;
    case 3: control_click(4); break;
    case 4: key_chord("Alt_L", "F9"); break;
    case 5: key_chord("Alt_L", "F10"); break;
    default: break;
    }
}

void run_rotate_action(int32_t code)
{
    switch (code) {
    case 0: tap_key("Page_Up"); break;
    case 1: tap_key("Page_Down"); break;
    case 2: control_letter('R'); break;
    case 3: control_letter('L'); break;
    case 4: key_chord("Alt_L", "F9"); break;
    case 5: key_chord("Alt_L", "F10"); break;
    default: break;
    }
}

void release_held_button()
{
    if (left_button_held == 1) {
        engine_platform.send_input(nullptr, 1, InputKind::kButtonRelease);
        left_button_held = 0;
    } else if (middle_button_held == 1) {
        engine_platform.send_input(nullptr, 2, InputKind::kButtonRelease);
        middle_button_held = 0;
    } else if (right_button_held == 1) {
        engine_platform.send_input(nullptr, 3, InputKind::kButtonRelease);
        right_button_held = 0;
    }
}
