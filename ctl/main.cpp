// vorellctl / vorellctl2: list and set the touchpad block's parameters by
// name, and watch the live finger state. One source, built twice: with
// VORELLCTL2 defined it carries the settings-panel table and watches the new
// finger record, otherwise the driver-tuning table and the old record.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "long_options.h"
#include "monitor.h"
#include "parameter_access.h"
#include "touchpad_block.h"
#include "version.h"

namespace {

#ifdef VORELLCTL2
const ParameterDescriptor *const kTable = kCtl2Parameters;
constexpr bool kWatchNewRecord = true;
const char kProgram[] = "vorellctl2";
const char kTableKind[] = "the settings panel's";
#else
const ParameterDescriptor *const kTable = kCtlParameters;
constexpr bool kWatchNewRecord = false;
const char kProgram[] = "vorellctl";
const char kTableKind[] = "the driver's tuning";
#endif

const char kOptions[] = "m:hlV";

void print_help()
{
    printf(
        "Usage: %s [-m interval] [-l] [-V] [name=value ...]\n"
        "Lists and sets %s parameters in the touchpad block by name,\n"
        "and watches the live finger state.\n"
        "\n"
        "  -m interval  after the other work, print the finger state whenever it\n"
        "               changes, polling every interval milliseconds\n"
        "  -l           list the parameters (after the assignments)\n"
        "  -V, --version  print the version and exit\n"
        "  -h, -?       print the short usage text (exit status 1)\n"
        "      --help   show this help and exit\n"
        "  name=value   set a parameter (name in any letter case); values are\n"
        "               clamped to the parameter's range\n",
        kProgram, kTableKind);
}

[[noreturn]] void usage()
{
    fputs("Usage: vorellctl [-m interval] [-h] [-l] [-V] [-?] [var1=value1 [var2=value2] ...]\n", stderr);
    fputs(
        "  -m monitor changes to the touchpad state.\n"
        "     interval specifies how often (in ms) to poll the touchpad state\n",
        stderr);
    fputs("  -h Show detected hardware properties\n", stderr);
    fputs("  -l List current user settings\n", stderr);
    fputs("  -V Print vorellctl version string and exit\n", stderr);
    fputs("  -? Show this help message\n", stderr);
    fputs("  var=value  Set user parameter 'var' to 'value'.\n", stderr);
    exit(1);
}

}  // namespace

int main(int argc, char **argv)
{
    bool list = false;
    bool monitor = false;
    long interval_ms = -1;
    if (answer_help_or_version(argc, argv, kOptions, print_help, kVersionText))
        return 0;
    int c;
    while ((c = getopt(argc, argv, kOptions)) != -1) {
        switch (c) {
        case 'm':
            monitor = true;
            interval_ms = strtol(optarg, nullptr, 10);
            if (interval_ms < 0)
                usage();
            break;
        case 'l': list = true; break;
        case 'V': printf("%s\n", kVersionText); exit(0);
        default:  // -h, -? and anything getopt rejects
            usage();
        }
    }
    if (!list && !monitor && optind >= argc)
        usage();

    TouchpadSharedBlock *block = attach_shared_block();
    if (!block)
        exit(1);
    for (int i = optind; i < argc; ++i)
        apply_assignment(block, kTable, argv[i], stdout);
    if (list)
        print_listing(block, kTable, stdout);
    if (!monitor)
        return 0;
    fflush(stdout);
    run_monitor(block, interval_ms, kWatchNewRecord);
}
