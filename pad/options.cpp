#include "options.h"

#include <cstring>

const char kPadUsage[] =
    "Usage: vorellpad [--device PATH] [--user NAME]\n"
    "       vorellpad --record FILE [--device PATH]\n"
    "       vorellpad --replay FILE [--user NAME]\n"
    "       vorellpad --help | --version\n"
    "Publishes the touchpad's fingers into the touchpad block (key 29947) that the\n"
    "gesture suite reads, and keeps the X server's own driver from doing the same\n"
    "gestures a second time while it runs.\n"
    "  --device PATH  read this event device (/dev/input/eventN) instead of the\n"
    "                 first touchpad udev knows; follows it being unplugged\n"
    "  --user NAME    when run as root: give the block to this desktop user\n"
    "  --record FILE  write the touchpad's events to FILE in the evemu format\n"
    "                 until interrupted (for a bug report); publishes nothing\n"
    "  --replay FILE  publish a recording at its recorded timing, then lift all\n"
    "                 fingers and exit\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 done (or ended by a signal); 1 usage error; 2 recording\n"
    "unreadable, malformed or not writable; 3 the touchpad block belongs to another\n"
    "program or cannot be made; 4 no touchpad found or the device is not readable.\n";

bool parse_options(int argc, char **argv, PadOptions *out, std::string *error)
{
    PadOptions o;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        std::string *target = nullptr;
        if (!strcmp(a, "--device"))
            target = &o.device;
        else if (!strcmp(a, "--record"))
            target = &o.record;
        else if (!strcmp(a, "--replay"))
            target = &o.replay;
        else if (!strcmp(a, "--user"))
            target = &o.user;
        if (!target) {
            *error = std::string("vorellpad: unknown argument '") + a + "'\n";
            return false;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            *error = std::string("vorellpad: ") + a + " needs a value\n";
            return false;
        }
        *target = argv[++i];
    }
    if (!o.record.empty() && !o.replay.empty()) {
        *error = "vorellpad: --record and --replay exclude each other\n";
        return false;
    }
    if (!o.replay.empty() && !o.device.empty()) {
        *error = "vorellpad: --replay reads a file, not a device\n";
        return false;
    }
    *out = o;
    return true;
}
