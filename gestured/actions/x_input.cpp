#include "x_input.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// The keysym tables, indexed by keysym: the level plus one (0: no key
// carries it) and the keycode. Zero stands for "not found", so that only the
// pages of keysyms the keyboard carries are ever written (Latin-1 and the
// function keys, a few KiB) instead of the whole 128 KiB.
uint8_t keysym_level_plus_one[65536];
uint8_t keysym_keycode_table[65536];
bool keysym_tables_filled = false;

}  // namespace

int keysym_level(uint32_t keysym) { return keysym <= 0xFFFF ? keysym_level_plus_one[keysym] - 1 : -1; }

KeyCode keysym_keycode(uint32_t keysym) { return keysym <= 0xFFFF ? keysym_keycode_table[keysym] : 0; }

const char *const modifier_for_level[3] = {nullptr, "Shift_L", "ISO_Level3_Shift"};
char key_char_buffer[2];
Display *hotkey_display = nullptr;
std::atomic<int> x_errors_ignored{0};

namespace {

constexpr int kTextMax = 256;

int ignore_x_error(Display *, XErrorEvent *)
{
    x_errors_ignored.fetch_add(1);
    return 0;
}

// A keycode of 0 means that no key carries the keysym: sending it would only
// earn a protocol error, so nothing is sent.
void fake_key(Display *display, KeyCode code, bool press)
{
    if (code != 0)
        XTestFakeKeyEvent(display, code, press ? True : False, 0);
}

void fake_key_by_name(Display *display, const char *name, bool press)
{
    fake_key(display, keysym_name_to_keycode(display, name), press);
}

// The window that has the input focus, or None. PointerRoot is not a
// window: it has no title, no class and no parent.
Window focused_window(Display *display)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == PointerRoot ? None : focus;
}

// A window's parent and the root above it; both None when the server cannot
// say.
struct Parent {
    Window parent = None;
    Window root = None;
};

Parent parent_of(Display *display, Window w)
{
    Window root = None, parent = None;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, w, &root, &parent, &children, &count))
        return {};
    if (children)
        XFree(children);
    return {parent, root};
}

}  // namespace

void install_x_error_handler() { XSetErrorHandler(ignore_x_error); }

char *get_focus_window_name(Display *display)
{
    if (!display)
        return nullptr;
    const Window focus = focused_window(display);
    if (focus == None)
        return nullptr;

    XTextProperty prop{};
    if (XGetWMName(display, focus, &prop) && prop.value)
        return reinterpret_cast<char *>(prop.value);

    const Window parent = parent_of(display, focus).parent;
    if (parent == None)
        return nullptr;

    XTextProperty parent_prop{};
    if (XGetWMName(display, parent, &parent_prop) && parent_prop.value)
        return reinterpret_cast<char *>(parent_prop.value);
    return nullptr;
}

namespace {

constexpr int kClassCacheMax = 256;
// How far above the focused window its class is looked for.
constexpr int kClassSearchDepth = 8;

// The class of the window that had the focus when last asked. Action thread
// only.
struct ClassCache {
    Window window = None;
    bool found = false;
    char instance[kClassCacheMax];
    char window_class[kClassCacheMax];
} class_cache;

void copy_cut(char *to, const char *from, int cap)
{
    const size_t n = from ? strnlen(from, static_cast<size_t>(cap - 1)) : 0;
    if (n)
        memcpy(to, from, n);
    to[n] = 0;
}

void look_up_class(Display *display, Window focus)
{
    class_cache.window = focus;
    class_cache.found = false;
    Window w = focus;
    for (int depth = 0; depth < kClassSearchDepth && w != None; ++depth) {
        XClassHint hint{};
        if (XGetClassHint(display, w, &hint)) {
            copy_cut(class_cache.instance, hint.res_name, kClassCacheMax);
            copy_cut(class_cache.window_class, hint.res_class, kClassCacheMax);
            if (hint.res_name)
                XFree(hint.res_name);
            if (hint.res_class)
                XFree(hint.res_class);
            class_cache.found = true;
            return;
        }
        const Parent up = parent_of(display, w);
        if (up.parent == up.root)
            return;
        w = up.parent;
    }
}

}  // namespace

bool get_focus_window_class(Display *display, char *instance, char *window_class, int cap)
{
    if (!display || cap <= 0)
        return false;
    const Window focus = focused_window(display);
    if (focus == None)
        return false;
    if (focus != class_cache.window)
        look_up_class(display, focus);
    if (!class_cache.found)
        return false;
    copy_cut(instance, class_cache.instance, cap);
    copy_cut(window_class, class_cache.window_class, cap);
    return true;
}

KeyCode keysym_name_to_keycode(Display *display, const char *name)
{
    KeySym sym = name ? XStringToKeysym(name) : NoSymbol;
    if (sym == NoSymbol) {
        fprintf(stderr, "Unable to resolve keysym for '%s'\n", name ? name : "");
        sym = XStringToKeysym("space");
    }
    return static_cast<KeyCode>(XKeysymToKeycode(display, sym) & 0xFF);
}

void send_key_tap(Display *display, const char *name)
{
    fake_key_by_name(display, name, true);
    fake_key_by_name(display, name, false);
}

void send_text(Display *display, const char *text)
{
    wchar_t wide[kTextMax + 1];
    wmemset(wide, 0, kTextMax + 1);
    if (mbstowcs(wide, text, kTextMax) == static_cast<size_t>(-1)) {
        // An invalid multibyte sequence: what was converted before it is
        // typed, the rest is dropped.
        wide[kTextMax] = 0;
    }
    if (wide[0] == 0)
        return;

    for (int i = 0; i < kTextMax && wide[i] != 0; ++i) {
        const wchar_t one[2] = {wide[i], 0};
        const uint32_t c = static_cast<char32_t>(wide[i]);
        if (c > 0xFFFF) {
            fprintf(stderr, "Special character '%ls' is currently not supported.\n", one);
            continue;
        }
        const int level = keysym_level(c);
        const KeyCode code = keysym_keycode(c);
        if (level < 0 || level > 2) {
            fprintf(stderr, "Character '%ls' is not on the keyboard map; skipped.\n", one);
            continue;
        }
        const char *modifier = modifier_for_level[level];
        if (modifier) {
            fake_key_by_name(display, modifier, true);
            fake_key(display, code, true);
            fake_key(display, code, false);
            fake_key_by_name(display, modifier, false);
        } else {
            fake_key(display, code, true);
            fake_key(display, code, false);
        }
        XFlush(display);
    }
}

void send_input(Display *display, const char *operand, int button, InputKind kind)
{
    if (!display)
        return;
    switch (kind) {
    case InputKind::kKeyTap: send_key_tap(display, operand); break;
    case InputKind::kKeyPress: fake_key_by_name(display, operand, true); break;
    case InputKind::kKeyRelease: fake_key_by_name(display, operand, false); break;
    case InputKind::kText:
        if (operand)
            send_text(display, operand);
        break;
    case InputKind::kButtonClick:
        XTestFakeButtonEvent(display, button, True, 0);
        XTestFakeButtonEvent(display, button, False, 0);
        break;
    case InputKind::kButtonPress: XTestFakeButtonEvent(display, button, True, 0); break;
    case InputKind::kButtonRelease: XTestFakeButtonEvent(display, button, False, 0); break;
    }
    XFlush(display);
}

void build_keysym_table(Display *display)
{
    int min_code = 0, max_code = 0;
    XDisplayKeycodes(display, &min_code, &max_code);
    const int count = max_code - min_code + 1;
    int per = 0;
    KeySym *map = XGetKeyboardMapping(display, static_cast<KeyCode>(min_code), count, &per);

    if (keysym_tables_filled) {
        memset(keysym_level_plus_one, 0, sizeof keysym_level_plus_one);
        memset(keysym_keycode_table, 0, sizeof keysym_keycode_table);
    }
    keysym_tables_filled = true;
    if (!map)
        return;

    const int levels = per < 3 ? per : 3;
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < levels; ++j) {
            const KeySym sym = map[i * per + j];
            if (sym == NoSymbol)
                continue;
            const char *name = XKeysymToString(sym);
            if (!name)
                continue;
            const KeySym k = XStringToKeysym(name);
            if (k != NoSymbol && k <= 0xFFFF && keysym_level_plus_one[k] == 0) {
                keysym_level_plus_one[k] = static_cast<uint8_t>(j + 1);
                keysym_keycode_table[k] = static_cast<uint8_t>(min_code + i);
            }
        }
    }
    XFree(map);
}
