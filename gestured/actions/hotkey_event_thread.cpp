#include <malloc.h>

#include <X11/Xlib.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "engine_state.h"
#include "gesture_actions.h"
#include "platform.h"
#include "x_input.h"

void *hotkey_event_thread(void *arg)
{
    const EngineThreadArgs &args = *static_cast<const EngineThreadArgs *>(arg);
    EngineShared &engine = *args.shared;
    const EnginePlatform &platform = *args.platform;
    const SessionHooks no_hooks{};
    const SessionHooks &hooks = args.hooks ? *args.hooks : no_hooks;
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        if (hooks.display_gone)
            hooks.display_gone();
        // Without a display every gesture would be lost; say so and stop.
        fprintf(stderr, "Can't open display.\n");
        exit(1);
    }
    install_x_error_handler();
    hotkey_display = display;

    hotkey_clear_latches(engine);
    setlocale(LC_ALL, "");
    build_keysym_table(display);
    // The start-up is over (the keyboard mapping read, the start-up
    // commands run): the heap pages it freed go back to the system.
    malloc_trim(0);
    hotkey_clear_scroll_and_zoom(engine, platform.now());

    for (;;)
        carry_out_next_action(platform, engine, hooks.trace_action);
    return nullptr;
}
