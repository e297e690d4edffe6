// The command lines that the gesture actions and auto-scroll run through the
// shell. The spacing is part of each line: two blanks after xte in the key
// and Control-wheel commands, one in auto-scroll's wheel clicks, and a blank
// after the quote that closes the Control_L key-up.
#pragma once

#define VORELL_XTE "/usr/local/bin/xte  "
#define VORELL_CURSOR_DIR "/usr/share/vorelltouchpad_data/cursor_image/"
#define VORELL_CURSOR_COMMAND(image) \
    "/usr/bin/xsetroot -cursor " VORELL_CURSOR_DIR image " " VORELL_CURSOR_DIR image

constexpr const char kXteKeyEscape[] = VORELL_XTE "'key Escape'";
constexpr const char kXteKeydownLeft[] = VORELL_XTE "'keydown Left'";
constexpr const char kXteKeyupLeft[] = VORELL_XTE "'keyup Left'";
constexpr const char kXteKeydownRight[] = VORELL_XTE "'keydown Right'";
constexpr const char kXteKeyupRight[] = VORELL_XTE "'keyup Right'";
constexpr const char kXteKeydownControl[] = VORELL_XTE "'keydown Control_L'";
constexpr const char kXteKeyupControl[] = VORELL_XTE "'keyup Control_L' ";
constexpr const char kXteWheel5[] = VORELL_XTE "'mouseclick 5'";
constexpr const char kXteWheel4[] = VORELL_XTE "'mouseclick 4'";

// Auto-scroll's repetitions: buttons 4 to 7, one blank after xte.
#define VORELL_XTE_ONE_BLANK "/usr/local/bin/xte "
constexpr const char kXteScrollUp[] = VORELL_XTE_ONE_BLANK "'mouseclick 4'";
constexpr const char kXteScrollDown[] = VORELL_XTE_ONE_BLANK "'mouseclick 5'";
constexpr const char kXteScrollLeft[] = VORELL_XTE_ONE_BLANK "'mouseclick 6'";
constexpr const char kXteScrollRight[] = VORELL_XTE_ONE_BLANK "'mouseclick 7'";

constexpr const char kHomeCommand[] = "/usr/bin/nautilus &";
constexpr const char kTapOffCommand[] = "vorellctl TapButton1=0";
constexpr const char kTapOnCommand[] = "vorellctl TapButton1=1";
