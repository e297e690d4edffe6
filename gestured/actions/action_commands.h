// The command lines that the gesture actions and auto-scroll run through the
// shell. The spacing is part of each line: two blanks after xte in the key
// and Control-wheel commands, one in auto-scroll's wheel clicks, and a blank
// after the quote that closes the Control_L key-up.
//
// Where the tools are is decided once, at the engine's start: xte at
// /usr/local/bin/xte where it is there (those lines byte for byte), else the
// xte found on the search path with the same words; the home gesture runs
// /usr/bin/nautilus where it is there, else xdg-open on the home folder.
#pragma once

#include <array>
#include <string>

#define VORELL_CURSOR_DIR "/usr/share/vorelltouchpad_data/cursor_image/"
#define VORELL_CURSOR_COMMAND(image) \
    "/usr/bin/xsetroot -cursor " VORELL_CURSOR_DIR image " " VORELL_CURSOR_DIR image

// clang-format off
//  line,            blanks after xte, words
#define VORELL_XTE_LINES(X)                         \
    X(kKeyEscape,      "  ", "'key Escape'")        \
    X(kKeydownLeft,    "  ", "'keydown Left'")      \
    X(kKeyupLeft,      "  ", "'keyup Left'")        \
    X(kKeydownRight,   "  ", "'keydown Right'")     \
    X(kKeyupRight,     "  ", "'keyup Right'")       \
    X(kKeydownControl, "  ", "'keydown Control_L'") \
    X(kKeyupControl,   "  ", "'keyup Control_L' ")  \
    X(kWheel5,         "  ", "'mouseclick 5'")      \
    X(kWheel4,         "  ", "'mouseclick 4'")      \
    X(kScrollUp,       " ",  "'mouseclick 4'")      \
    X(kScrollDown,     " ",  "'mouseclick 5'")      \
    X(kScrollLeft,     " ",  "'mouseclick 6'")      \
    X(kScrollRight,    " ",  "'mouseclick 7'")
// clang-format on

// kScrollUp to kScrollRight are auto-scroll's repetitions.
#define VORELL_XTE_ENUMERATOR(name, blanks, words) name,
enum class XteLine { VORELL_XTE_LINES(VORELL_XTE_ENUMERATOR) };
#undef VORELL_XTE_ENUMERATOR
#define VORELL_XTE_COUNT(...) +1  // NOLINT(bugprone-macro-parentheses)
constexpr int kXteLineCount = 0 VORELL_XTE_LINES(VORELL_XTE_COUNT);
#undef VORELL_XTE_COUNT

constexpr char kClassicXte[] = "/usr/local/bin/xte";
constexpr char kFileManager[] = "/usr/bin/nautilus";
constexpr char kClassicHomeCommand[] = "/usr/bin/nautilus &";
constexpr char kXdgOpenHomeCommand[] = "xdg-open \"$HOME\" &";
constexpr char kTapOffCommand[] = "vorellctl TapButton1=0";
constexpr char kTapOnCommand[] = "vorellctl TapButton1=1";

struct ActionCommands {
    std::array<std::string, kXteLineCount> xte;
    std::string home;
    const char *line(XteLine l) const { return xte[static_cast<int>(l)].c_str(); }
};

// The lines with that xte program and home command.
ActionCommands make_action_commands(const std::string &xte_program, const std::string &home_command);

// The lines of a system with /usr/local/bin/xte and /usr/bin/nautilus.
const ActionCommands &classic_action_commands();

// How the start looks for the tools: whether a path is a program that may
// be run, and the search path ($PATH).
struct ToolSearch {
    bool (*executable)(void *ctx, const char *path);
    void *ctx;
    const char *search_path;
};

// The lines for the tools found; *note gets a line to say when no xte is
// found at all ("" otherwise).
ActionCommands choose_action_commands(const ToolSearch &search, std::string *note);

// The production test: a file that this process may execute.
bool executable_file(void *ctx, const char *path);
