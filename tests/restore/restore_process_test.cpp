// restoresettings as a real process: through the real vorellctl2 into a real
// block, and through a recording stand-in for vorellctl2.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include <string>
#include <vector>

#include "kbd_helpers.h"
#include "restore_fixtures.h"
#include "support.h"

namespace {

RunResult run_in(const std::string &home, const std::string &cwd, const std::vector<std::string> &argv,
                 std::vector<std::string> extra_env = {})
{
    extra_env.push_back("HOME=" + home);
    return run_program(argv, RunOptions{"", extra_env, cwd, 60.0});
}

// vorellctl2 assignments that give every restored setting a non-default value.
std::vector<std::string> assignments_of(const std::vector<ListingRow> &rows)
{
    std::vector<std::string> argv = {"vorellctl2"};
    for (size_t i = 5; i < rows.size(); ++i)  // the five rows that are never restored come first
        argv.push_back(rows[i].first + "=" + rows[i].second);
    return argv;
}

// A vorellctl2 stand-in that logs each argument list as one line.
std::string make_recording_standin(const std::string &log)
{
    std::string dir = make_temp_dir();
    std::string script = dir + "/vorellctl2";
    write_text(script, "#!/bin/sh\nprintf '[%s]\\n' \"$*\" >> " + log + "\n");
    chmod(script.c_str(), 0755);
    return dir;
}

// restoresettings run with `what` (a link, a dangling link, a hard link or a
// fifo) standing at the working file `name`: it must end with status 1 and
// message, send no command and write nothing through what stands there.
void expect_refused_at(const char *name, const std::string &what, const std::string &message)
{
    std::string home = make_temp_dir(), work = make_temp_dir(), elsewhere = make_temp_dir();
    std::string log = elsewhere + "/calls.log";
    std::string standin = make_recording_standin(log);
    write_text(home + "/.vorellshm", listing_of(sample_rows()));
    std::string at = work + "/" + name, victim = elsewhere + "/victim";
    if (what == "link" || what == "hard link")
        write_text(victim, "keep\n");
    if (what == "fifo")
        ASSERT_EQ(mkfifo(at.c_str(), 0666), 0);
    else if (what == "hard link")
        ASSERT_EQ(link(victim.c_str(), at.c_str()), 0);
    else
        ASSERT_EQ(symlink(victim.c_str(), at.c_str()), 0);

    RunResult r = run_in(home, work, {bin_path("restoresettings")}, {"PATH=" + standin + ":/usr/bin:/bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message);
    if (what == "dangling link") {
        EXPECT_NE(access(victim.c_str(), F_OK), 0) << "the link's target was created";
    } else if (what != "fifo") {
        EXPECT_EQ(read_file(victim), "keep\n") << "written through the link";
    }
    EXPECT_EQ(read_file(log), "") << "nothing may be sent";
}

}  // namespace

TEST(RestoreProcess, SavedListingRestoresEveryValueThroughTheRealClient)
{
    enter_private_ipc();
    tpsim({"create"});
    std::string home = make_temp_dir(), work = make_temp_dir();
    ASSERT_EQ(run_in(home, work, assignments_of(sample_rows())).status, 0);
    RunResult saved = run_in(home, work, {"vorellctl2", "-l"});
    ASSERT_EQ(saved.status, 0);
    write_text(home + "/.vorellshm", saved.out);

    // Back to the defaults, then restore.
    tpsim({"remove"});
    tpsim({"create"});
    ASSERT_NE(run_in(home, work, {"vorellctl2", "-l"}).out, saved.out);
    RunResult r = run_in(home, work, {"restoresettings"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run_in(home, work, {"vorellctl2", "-l"}).out, saved.out);
    EXPECT_EQ(read_file(work + "/.vorellshm"), saved.out);
}

TEST(RestoreProcess, RecordingStandInSeesTheFortyOneAssignmentsInOrder)
{
    std::string home = make_temp_dir(), work = make_temp_dir();
    std::string log = work + "/calls.log", commands_log = work + "/system.log";
    std::string standin = make_recording_standin(log);
    write_text(home + "/.vorellshm", listing_of(sample_rows()));
    // The recorder is preloaded ahead of a sanitizer runtime, if any.
    const char *asan = getenv("ASAN_OPTIONS");
    std::string asan_options = std::string(asan ? asan : "") + ":verify_asan_link_order=0";
    RunResult r = run_in(home, work, {bin_path("restoresettings")},
                         {"PATH=" + standin + ":/usr/bin:/bin", "LD_PRELOAD=" VORELL_SYSTEM_RECORDER,
                          "VORELL_SYSTEM_LOG=" + commands_log, "ASAN_OPTIONS=" + asan_options});
    EXPECT_EQ(r.status, 0) << r.err;

    // The command strings exactly as handed to the shell.
    std::string sent;
    for (const std::string &c : sample_commands())
        sent += "[" + c + "]\n";
    EXPECT_EQ(read_file(commands_log), sent);

    // And what the stand-in received from the shell, in the same order.
    std::string expected;
    for (const std::string &c : sample_commands()) {
        // What the stand-in sees after the shell has split the command.
        std::string arg = c.substr(c.find_first_not_of(' ', 10));
        while (!arg.empty() && arg.back() == ' ')
            arg.pop_back();
        expected += "[" + arg + "]\n";
    }
    EXPECT_EQ(read_file(log), expected);
}

TEST(RestoreProcess, MissingSavedFileIsCreatedFromTheCurrentSettings)
{
    enter_private_ipc();
    tpsim({"create"});
    std::string home = make_temp_dir(), work = make_temp_dir();
    ASSERT_EQ(run_in(home, work, {"vorellctl2", "ZoomSlider=11", "DragSlider=1.5"}).status, 0);
    std::string before = run_in(home, work, {"vorellctl2", "-l"}).out;

    RunResult r = run_in(home, work, {"restoresettings"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Can't read " + home + "/.vorellshm: No such file or directory\n");
    EXPECT_EQ(read_file(home + "/.vorellshm"), before);
    EXPECT_EQ(run_in(home, work, {"vorellctl2", "-l"}).out, before);
}

TEST(RestoreProcess, UncreatableParameterFileEndsWithStatusOne)
{
    std::string home = make_temp_dir(), work = make_temp_dir();
    std::string log = work + "/calls.log";
    std::string standin = make_recording_standin(log);
    write_text(home + "/.vorellshm", listing_of(sample_rows()));
    ASSERT_EQ(mkdir((work + "/.vorellshm_parameter").c_str(), 0755), 0);
    RunResult r = run_in(home, work, {bin_path("restoresettings")}, {"PATH=" + standin + ":/usr/bin:/bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't create .vorellshm_parameter: Is a directory\n");
    EXPECT_EQ(read_file(log), "") << "nothing may be sent";
}

TEST(RestoreProcess, NothingIsWrittenThroughWhatStandsAtAWorkingFileName)
{
    // Each working file with the words its refusals begin with, and each
    // thing that can stand at its name with the reason a refusal gives.
    struct WorkingFile {
        const char *name;
        const char *refusal;
    };
    const WorkingFile files[] = {{".vorellshm", "Can't copy over"}, {".vorellshm_parameter", "Can't create"}};
    struct Obstacle {
        const char *what;
        const char *reason;
    };
    const Obstacle obstacles[] = {
        {"link", "Is a symbolic link"},
        {"dangling link", "Is a symbolic link"},
        {"hard link", "Has other hard links"},
        {"fifo", "Is not a regular file"},
    };
    for (const WorkingFile &f : files) {
        for (const Obstacle &o : obstacles) {
            SCOPED_TRACE(std::string(f.name) + " as a " + o.what);
            expect_refused_at(f.name, o.what, std::string(f.refusal) + " " + f.name + ": " + o.reason + "\n");
        }
    }
}

TEST(RestoreProcess, NoSavedFileAndNoWayToSaveOne)
{
    std::string work = make_temp_dir();
    std::string log = work + "/calls.log";
    std::string standin = make_recording_standin(log);
    RunResult r = run_in("/nonexistent/home", work, {bin_path("restoresettings")},
                         {"PATH=" + standin + ":/usr/bin:/bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read_file(log), "");
}
