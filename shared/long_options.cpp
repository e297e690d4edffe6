#include "long_options.h"

#include <cstdio>
#include <cstring>

namespace {

bool takes_argument(const char *optstring, char c)
{
    const char *p = c == ':' ? nullptr : strchr(optstring, c);
    return p && p[1] == ':';
}

// Index of the next argument getopt would read as an option word, starting
// at i; argc when there is none left.
int next_option_word(int argc, char *const argv[], int i)
{
    for (; i < argc; ++i) {
        const char *a = argv[i];
        if (strcmp(a, "--") == 0)
            return argc;
        if (a[0] == '-' && a[1] != 0)
            return i;
    }
    return argc;
}

// The index after option word i: skips an option argument given as the
// next word.
int after_word(const char *optstring, char *const argv[], int i)
{
    const char *a = argv[i];
    if (a[1] == '-')
        return i + 1;
    for (int j = 1; a[j]; ++j) {
        if (takes_argument(optstring, a[j]))
            return a[j + 1] ? i + 1 : i + 2;
    }
    return i + 1;
}

}  // namespace

EarlyOption find_help_or_version(int argc, char *const argv[], const char *optstring)
{
    for (int i = next_option_word(argc, argv, 1); i < argc;
         i = next_option_word(argc, argv, after_word(optstring, argv, i))) {
        if (strcmp(argv[i], "--help") == 0)
            return EarlyOption::kHelp;
        if (strcmp(argv[i], "--version") == 0)
            return EarlyOption::kVersion;
    }
    return EarlyOption::kRun;
}

bool answer_help_or_version(int argc, char *const argv[], const char *optstring, void (*print_help)(),
                            const char *version)
{
    switch (find_help_or_version(argc, argv, optstring)) {
    case EarlyOption::kHelp: print_help(); return true;
    case EarlyOption::kVersion: printf("%s\n", version); return true;
    case EarlyOption::kRun: break;
    }
    return false;
}

int take_long_flag(int *argc, char **argv, const char *optstring, const char *name)
{
    int removed = 0;
    int i = next_option_word(*argc, argv, 1);
    while (i < *argc) {
        if (strncmp(argv[i], "--", 2) == 0 && strcmp(argv[i] + 2, name) == 0) {
            memmove(&argv[i], &argv[i + 1], sizeof(char *) * static_cast<size_t>(*argc - i));
            --*argc;
            ++removed;
            i = next_option_word(*argc, argv, i);
        } else {
            i = next_option_word(*argc, argv, after_word(optstring, argv, i));
        }
    }
    return removed;
}
