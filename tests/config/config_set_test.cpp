// vorell-session set and show on a real block and a real gestures file: a
// gesture's binding written into the file with the person's lines kept, a
// parameter by its number or its choice's name, and nothing changed at all
// when one assignment is bad.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "support.h"

namespace {

class ConfigSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        enter_private_ipc();
        tpsim({"create"});
        ASSERT_EQ(mkdir((config_ + "/vorell").c_str(), 0700), 0);
        std::ofstream(file_) << "# mine\n[gestures]\ncover = none   ; never\n";
    }

    RunResult session(const std::vector<std::string> &args)
    {
        RunOptions opt;
        opt.env = {"XDG_CONFIG_HOME=" + config_, "VORELL_SESSION_NO_SYSTEMD=1"};
        std::vector<std::string> argv{"vorell-session"};
        argv.insert(argv.end(), args.begin(), args.end());
        return run_program(argv, opt);
    }
    std::string field(const std::string &name) { return run_program({"tpsim", "get", name}).out; }

    std::string config_ = make_temp_dir();
    std::string file_ = config_ + "/vorell/gestures.conf";
};

TEST_F(ConfigSet, GesturesGoToTheFileParametersToTheBlock)
{
    RunResult set =
        session({"set", "two-finger-tap=keys Control+w", "TwoFTComboBox=middle button", "zoomslider=3"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(read_file(file_),
              "# mine\n[gestures]\ncover = none   ; never\ntwo-finger-tap = keys Control+w\n");
    EXPECT_EQ(field("TwoFTComboBox"), "2\n");
    EXPECT_EQ(field("ZoomSlider"), "3\n");

    ASSERT_EQ(session({"set", "--app", "firefox", "swipe-left=keys Alt+Left"}).status, 0);
    RunResult show = session({"show"});
    EXPECT_EQ(show.status, 0) << show.err;
    for (const char *line :
         {"  two-finger tap: keys Control+w (line 4)\n", "  Zoom sensitivity: 3 (ZoomSlider 3)\n",
          "[app firefox]\n  swipe left: keys Alt+Left (line 7)\n"})
        EXPECT_NE(show.out.find(line), std::string::npos) << line << show.out;
}

TEST_F(ConfigSet, ABadAssignmentChangesNothing)
{
    const std::string before = read_file(file_);
    const struct {
        std::vector<std::string> args;
        const char *said;
    } cases[] = {
        {{"set", "ZoomSlider=3", "pinch-in=keys Contrl+q"}, "no key is called 'Contrl'"},
        {{"set", "pinch-in=none", "Zoomslidr=3"}, "no setting or gesture is called 'Zoomslidr'"},
        {{"set", "pinch-in"}, "write NAME=VALUE"},
    };
    for (const auto &c : cases) {
        RunResult set = session(c.args);
        EXPECT_NE(set.status, 0);
        EXPECT_NE(set.err.find(c.said), std::string::npos) << set.err;
        EXPECT_EQ(read_file(file_), before);
        EXPECT_EQ(field("ZoomSlider"), "8\n");
    }
}

}  // namespace
