#include "xvfb_launch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

std::string launch_xvfb(pid_t *pid, const std::vector<std::string> &extra_args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    *pid = fork();
    if (*pid == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args = {"Xvfb",     "-displayfd", fd,  "-nolisten",  "tcp",
                                         "-noreset", "-screen",    "0", "1024x768x24"};
        args.insert(args.end(), extra_args.begin(), extra_args.end());
        std::vector<char *> argv;
        argv.reserve(args.size() + 1);
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number and a newline once it accepts
    // connections.
    std::string number;
    char c;
    struct pollfd p = {fds[0], POLLIN, 0};
    while (*pid > 0 && poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        if (*pid > 0) {
            kill(*pid, SIGKILL);
            waitpid(*pid, nullptr, 0);
        }
        *pid = -1;
        return "";
    }
    return ":" + number;
}
