#include "held_input.h"

#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kMaxButton = 32;

std::mutex held_mutex;
char held_keys[kHeldKeySlots][kHeldKeyNameMax];  // "" = free slot
bool held_buttons[kMaxButton + 1];

bool valid_key_name(const char *name)
{
    return name && name[0] && strlen(name) < static_cast<size_t>(kHeldKeyNameMax);
}

int find_key(const char *name)
{
    for (int i = 0; i < kHeldKeySlots; ++i)
        if (strcmp(held_keys[i], name) == 0)
            return i;
    return -1;
}

// Copies the word after "prefix" (up to the closing quote or a blank) into
// out; returns the position after the word, or nullptr when prefix is absent.
const char *next_word(const char *from, const char *prefix, char *out, int cap)
{
    const char *p = strstr(from, prefix);
    if (!p)
        return nullptr;
    p += strlen(prefix);
    int n = 0;
    while (*p && *p != '\'' && *p != ' ' && *p != '"') {
        if (n < cap - 1)
            out[n++] = *p;
        ++p;
    }
    out[n] = 0;
    return p;
}

template <typename F>
void for_each_word(const char *command, const char *prefix, F f)
{
    char word[kHeldKeyNameMax];
    const char *p = command;
    while (p && (p = next_word(p, prefix, word, sizeof word)) != nullptr)
        if (word[0])
            f(word);
}

}  // namespace

void held_key_down(const char *name)
{
    if (!valid_key_name(name))
        return;
    std::lock_guard<std::mutex> lock(held_mutex);
    if (find_key(name) >= 0)
        return;
    int free_slot = find_key("");
    if (free_slot >= 0)
        strcpy(held_keys[free_slot], name);
}

void held_key_up(const char *name)
{
    if (!valid_key_name(name))
        return;
    std::lock_guard<std::mutex> lock(held_mutex);
    int slot = find_key(name);
    if (slot >= 0)
        held_keys[slot][0] = 0;
}

void held_button_down(int button)
{
    if (button < 1 || button > kMaxButton)
        return;
    std::lock_guard<std::mutex> lock(held_mutex);
    held_buttons[button] = true;
}

void held_button_up(int button)
{
    if (button < 1 || button > kMaxButton)
        return;
    std::lock_guard<std::mutex> lock(held_mutex);
    held_buttons[button] = false;
}

void note_command_downs(const char *command)
{
    if (!command)
        return;
    for_each_word(command, "keydown ", [](const char *w) { held_key_down(w); });
    for_each_word(command, "mousedown ", [](const char *w) { held_button_down(atoi(w)); });
}

void note_command_ups(const char *command)
{
    if (!command)
        return;
    for_each_word(command, "keyup ", [](const char *w) { held_key_up(w); });
    for_each_word(command, "mouseup ", [](const char *w) { held_button_up(atoi(w)); });
}

int held_input_count()
{
    std::lock_guard<std::mutex> lock(held_mutex);
    int n = 0;
    for (int i = 0; i < kHeldKeySlots; ++i)
        n += held_keys[i][0] != 0;
    for (int b = 1; b <= kMaxButton; ++b)
        n += held_buttons[b];
    return n;
}

bool held_key_is_down(const char *name)
{
    if (!valid_key_name(name))
        return false;
    std::lock_guard<std::mutex> lock(held_mutex);
    return find_key(name) >= 0;
}

bool held_button_is_down(int button)
{
    if (button < 1 || button > kMaxButton)
        return false;
    std::lock_guard<std::mutex> lock(held_mutex);
    return held_buttons[button];
}

void release_held_inputs(Display *display)
{
    std::lock_guard<std::mutex> lock(held_mutex);
    for (int b = 1; b <= kMaxButton; ++b) {
        if (held_buttons[b] && display)
            XTestFakeButtonEvent(display, b, False, 0);
        held_buttons[b] = false;
    }
    for (int i = 0; i < kHeldKeySlots; ++i) {
        if (held_keys[i][0] && display) {
            KeySym sym = XStringToKeysym(held_keys[i]);
            KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
            if (code != 0)
                XTestFakeKeyEvent(display, code, False, 0);
        }
        held_keys[i][0] = 0;
    }
    if (display)
        XSync(display, False);
}
