// The long options every program of the suite understands (--help,
// --version) and the few a program adds, picked out of argv before getopt
// sees it, so that getopt's handling of the short options and its
// diagnostics for everything else stay as they are.
#pragma once

enum class EarlyOption { kRun, kHelp, kVersion };

// Walks argv as getopt would with optstring (the argument of an option that
// takes one is skipped, "--" ends the options, operands may come between
// options) and returns the first of --help and --version found.
EarlyOption find_help_or_version(int argc, char *const argv[], const char *optstring);

// find_help_or_version's answer carried out: prints the usage (print_help)
// or the version line and returns true, or returns false for a normal run.
bool answer_help_or_version(int argc, char *const argv[], const char *optstring, void (*print_help)(),
                            const char *version);

// Removes every "--name" that getopt would take for an option from argv,
// shifting the rest down (argv[argc] stays the null end); returns how many
// were removed.
int take_long_flag(int *argc, char **argv, const char *optstring, const char *name);
