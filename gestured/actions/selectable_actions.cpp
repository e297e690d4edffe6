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
    switch (static_cast<CommonAction>(code)) {
    case CommonAction::kLeftButton:
        if (hold_gesture == 0)
            press_button(platform, 1, &left_button_held);
        break;
    case CommonAction::kRightButton: press_button(platform, 3, &right_button_held); break;
    case CommonAction::kMiddleButton: press_button(platform, 2, &middle_button_held); break;
    case CommonAction::kAltRight: key_chord(platform, "Alt_L", "Right"); break;
    case CommonAction::kAltLeft: key_chord(platform, "Alt_L", "Left"); break;
    case CommonAction::kAltF10: key_chord(platform, "Alt_L", "F10"); break;
    case CommonAction::kAltF9: key_chord(platform, "Alt_L", "F9"); break;
    case CommonAction::kNothing: break;
    case CommonAction::kPageDown: tap_key(platform, "Page_Down"); break;
    case CommonAction::kPageUp: tap_key(platform, "Page_Up"); break;
    case CommonAction::kWheelDown: click_button(platform, 5); break;
    case CommonAction::kWheelLeft: click_button(platform, 6); break;
    case CommonAction::kWheelRight: click_button(platform, 7); break;
    case CommonAction::kWheelUp: click_button(platform, 4); break;
    case CommonAction::kControlWheelDown: control_click(platform, 5); break;
    case CommonAction::kControlWheelUp: control_click(platform, 4); break;
    case CommonAction::kAltF4:
        press_key(platform, "Alt_L");
        tap_key(platform, "F4");
        release_key(platform, "Alt_L");
        break;
    case CommonAction::kAltControlD:
        key_char_buffer[0] = 'D';
        key_char_buffer[1] = 0;
        press_key(platform, "Alt_L");
        press_key(platform, "Control_L");
        press_key(platform, key_char_buffer);
        release_key(platform, key_char_buffer);
        release_key(platform, "Control_L");
        release_key(platform, "Alt_L");
        break;
    default: break;  // not in the catalogue
    }
}

void run_zoom_action(const EnginePlatform &platform, int32_t code)
{
    switch (static_cast<ZoomAction>(code)) {
    case ZoomAction::kPageUp: tap_key(platform, "Page_Up"); break;
    case ZoomAction::kPageDown: tap_key(platform, "Page_Down"); break;
    case ZoomAction::kControlWheelDown: control_click(platform, 5); break;
    case ZoomAction::kControlWheelUp: control_click(platform, 4); break;
    case ZoomAction::kAltF9: key_chord(platform, "Alt_L", "F9"); break;
    case ZoomAction::kAltF10: key_chord(platform, "Alt_L", "F10"); break;
    default: break;  // not in the catalogue
    }
}

void run_rotate_action(const EnginePlatform &platform, int32_t code)
{
    switch (static_cast<RotateAction>(code)) {
    case RotateAction::kPageUp: tap_key(platform, "Page_Up"); break;
    case RotateAction::kPageDown: tap_key(platform, "Page_Down"); break;
    case RotateAction::kControlR: control_letter(platform, 'R'); break;
    case RotateAction::kControlL: control_letter(platform, 'L'); break;
    case RotateAction::kAltF9: key_chord(platform, "Alt_L", "F9"); break;
    case RotateAction::kAltF10: key_chord(platform, "Alt_L", "F10"); break;
    default: break;  // not in the catalogue
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
