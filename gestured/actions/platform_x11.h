// The engine's platform in production: the monotonic clock, sleeping, the
// bounded shell runner that notes what a command holds down and which driver
// parameters it sets, and XTEST and the focus title over the display
// connection of hotkey_event_thread.
#pragma once

#include "platform.h"

// The production record: the real functions below, no ctx; main adds the
// command lines of the tools it found and the bindings in force.
EnginePlatform engine_platform_production();

// The production functions, for tests that wrap them.
int64_t real_now_ms(void *ctx);
void real_sleep_ms(void *ctx, int ms);
void real_run_command(void *ctx, const char *command);
// Hands the line to run_command_in_order.
void real_run_aside(void *ctx, const char *command);
void real_send_input(void *ctx, const char *operand, int button, InputKind kind);
// Makes real_send_input send nothing from now on, after any send under way
// has finished (the signal path, before it releases what is held).
void stop_synthetic_input();
int real_focus_title(void *ctx, char *buf, int cap);
bool real_focus_class(void *ctx, char *instance, char *window_class, int cap);
