#include "action_commands.h"

#include <sys/stat.h>
#include <unistd.h>

ActionCommands make_action_commands(const std::string &xte_program, const std::string &home_command)
{
    ActionCommands c;
#define VORELL_XTE_MAKE(name, blanks, words) \
    c.xte[static_cast<int>(XteLine::name)] = xte_program + (blanks) + (words);
    VORELL_XTE_LINES(VORELL_XTE_MAKE)
#undef VORELL_XTE_MAKE
    c.home = home_command;
    return c;
}

const ActionCommands &classic_action_commands()
{
    static const ActionCommands classic = make_action_commands(kClassicXte, kClassicHomeCommand);
    return classic;
}

ActionCommands choose_action_commands(const ToolSearch &search, std::string *note)
{
    note->clear();
    std::string xte = kClassicXte;
    if (!search.executable(search.ctx, kClassicXte)) {
        bool found = false;
        const std::string path = search.search_path ? search.search_path : "";
        size_t from = 0;
        while (!found && from <= path.size()) {
            size_t colon = path.find(':', from);
            if (colon == std::string::npos)
                colon = path.size();
            const std::string dir = path.substr(from, colon - from);
            from = colon + 1;
            // Only absolute folders: the engine's working folder says nothing.
            if (dir.empty() || dir[0] != '/')
                continue;
            const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + "xte";
            if (search.executable(search.ctx, candidate.c_str())) {
                xte = candidate;
                found = true;
            }
        }
        if (!found)
            *note =
                "gestured: xte is neither at /usr/local/bin/xte nor on the search path: auto-scroll and "
                "the PDF viewer's keys do nothing (install xautomation)";
    }
    const bool file_manager = search.executable(search.ctx, kFileManager);
    return make_action_commands(xte, file_manager ? kClassicHomeCommand : kXdgOpenHomeCommand);
}

bool executable_file(void *, const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}
