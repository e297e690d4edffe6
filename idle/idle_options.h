// Command line of vorellidle.
#pragma once

struct IdleOptions {
    double idle_time = 0.5;          // seconds without a key press before switching back on
    bool daemon = false;             // -d
    const char *pid_file = nullptr;  // -p, written only in daemon mode
    bool tapping_only = false;       // -t: write 2 instead of 1
    bool ignore_modifiers = false;   // -k (also set by -K)
    bool ignore_combos = false;      // -K
};

enum class IdleCommand { kRun, kVersion, kUsage };

// Parses argv with getopt ("i:dp:tkKV?"); getopt's own diagnostics stay on.
// An idle time that is not a finite number greater than 0 asks for the usage
// text.
IdleCommand parse_idle_options(int argc, char **argv, IdleOptions &o);

void print_idle_usage();
