#include "session_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

bool SessionCommand::run(const std::vector<std::string> &words, Done done, std::string *why)
{
    if (running_) {
        *why = "an earlier vorell-session command is still running";
        return false;
    }
    // A pipe of an earlier start that programs it started still hold open.
    if (error_watch_.connected()) {
        error_watch_.disconnect();
        close(error_fd_);
        error_fd_ = -1;
    }
    std::vector<std::string> argv{"vorell-session"};
    argv.insert(argv.end(), words.begin(), words.end());
    Glib::Pid pid = 0;
    try {
        Glib::spawn_async_with_pipes("", argv, Glib::SPAWN_SEARCH_PATH | Glib::SPAWN_DO_NOT_REAP_CHILD,
                                     Glib::SlotSpawnChildSetup(), &pid, nullptr, nullptr, &error_fd_);
    } catch (const Glib::SpawnError &e) {
        *why = e.what();
        return false;
    }
    running_ = true;
    done_ = std::move(done);
    error_text_.clear();
    fcntl(error_fd_, F_SETFL, O_NONBLOCK);
    // The programs the command starts in the background may keep its
    // standard error open after it ends: the pipe is read until it closes.
    error_watch_ = Glib::signal_io().connect(sigc::mem_fun(*this, &SessionCommand::on_error_output),
                                             error_fd_, Glib::IO_IN | Glib::IO_HUP | Glib::IO_ERR);
    Glib::signal_child_watch().connect(sigc::mem_fun(*this, &SessionCommand::on_exit), pid);
    return true;
}

bool SessionCommand::read_error_output()
{
    char buffer[1024];
    ssize_t n;
    while ((n = read(error_fd_, buffer, sizeof buffer)) > 0) {
        // Only the end matters; keep it small.
        error_text_.append(buffer, static_cast<size_t>(n));
        if (error_text_.size() > 4096)
            error_text_.erase(0, error_text_.size() - 4096);
    }
    return n < 0 && (errno == EAGAIN || errno == EINTR);
}

bool SessionCommand::on_error_output(Glib::IOCondition)
{
    if (read_error_output())
        return true;
    close(error_fd_);
    error_fd_ = -1;
    return false;
}

void SessionCommand::on_exit(Glib::Pid pid, int wait_status)
{
    Glib::spawn_close_pid(pid);
    running_ = false;
    // What it wrote just before it ended may not have been read yet; the
    // pipe itself is closed by its watch.
    if (error_fd_ != -1)
        read_error_output();
    int status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    std::string text = error_text_;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::string last_line = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    if (done_)
        done_(status, last_line);
}
