// restoresettings: re-applies the saved touchpad settings (~/.vorellshm)
// through vorellctl2.
#include <cstdio>

#include "long_options.h"
#include "restore_settings.h"
#include "version.h"

namespace {

void print_help()
{
    fputs(
        "Usage: restoresettings [--help] [--version]\n"
        "Re-applies the touchpad settings saved in ~/.vorellshm (the listing of\n"
        "'vorellctl2 -l') through vorellctl2. When that file is missing, the current\n"
        "settings are saved there first. Works in the current directory, where it\n"
        "leaves the files .vorellshm and .vorellshm_parameter.\n"
        "\n"
        "      --help     show this help and exit\n"
        "      --version  print the version and exit\n",
        stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    // Nothing else on the command line means anything: every other word is
    // ignored and the settings are restored.
    if (answer_help_or_version(argc, argv, "", print_help, kVersionText))
        return 0;
    return restore_settings(real_restore_platform());
}
