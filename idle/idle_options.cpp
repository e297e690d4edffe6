#include "idle_options.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

IdleCommand parse_idle_options(int argc, char **argv, IdleOptions &o)
{
    optind = 0;  // full re-initialisation, so the parser can run more than once
    int c;
    while ((c = getopt(argc, argv, "i:dp:tkKV?")) != -1) {
        switch (c) {
        case 'i': o.idle_time = strtod(optarg, nullptr); break;
        case 'd': o.daemon = true; break;
        case 'p': o.pid_file = optarg; break;
        case 't': o.tapping_only = true; break;
        case 'k': o.ignore_modifiers = true; break;
        case 'K':
            o.ignore_modifiers = true;
            o.ignore_combos = true;
            break;
        case 'V': return IdleCommand::kVersion;
        default: return IdleCommand::kUsage;
        }
    }
    // "nan" would pass a plain "<= 0" test and then never let the touchpad
    // come back on; an infinite wait has the same effect.
    if (!(o.idle_time > 0.0) || !std::isfinite(o.idle_time))
        return IdleCommand::kUsage;
    return IdleCommand::kRun;
}

void print_idle_usage()
{
    fputs(
        "Usage: vorellidle [-i idle-time] [-d] [-t] [-k]\n"
        "  -i How many seconds to wait after the last key press before\n"
        "     enabling the touchpad. (default is 2.0s)\n"
        "  -d Start as a daemon, ie in the background.\n"
        "  -p Create a pid file with the specified name.\n"
        "  -t Only disable tapping and scrolling, not mouse movements.\n"
        "  -k Ignore modifier keys when monitoring keyboard activity.\n"
        "  -K Like -k but also ignore Modifier+Key combos.\n",
        stderr);
}
