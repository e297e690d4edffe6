// The recorder the other end-to-end tests trust: it owns the focused window
// with the given title, and every key and button that reaches the server is
// printed at once, also when no other client listens for it.
#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {

TEST(Recorder, OwnsTheFocusedWindowAndSeesEveryClickAndKey)
{
    Xvfb x;
    RunOptions opt;
    opt.env.push_back(x.env());
    Background recorder({bin_path("xrecord"), "--title", "Handbook - Adobe Reader"}, opt);
    ASSERT_TRUE(recorder.wait_for_output("ready\n", 20)) << recorder.err();

    RunResult focus = run_program({"xdotool", "getwindowfocus", "getwindowname"}, opt);
    EXPECT_EQ(focus.out, "Handbook - Adobe Reader\n");

    std::vector<std::string> clicks{"xte"};
    for (int i = 0; i < 30; ++i)
        clicks.push_back("mouseclick 5");
    clicks.push_back("keydown Alt_L");
    clicks.push_back("key Tab");
    clicks.push_back("keyup Alt_L");
    ASSERT_EQ(run_program(clicks, opt).status, 0);

    ASSERT_TRUE(recorder.wait_for_output("KeyRelease Alt_L\n", 10)) << recorder.out();
    const std::string out = recorder.out();
    EXPECT_EQ(count_of(out, " ButtonPress 5\n"), 30);
    EXPECT_EQ(count_of(out, " ButtonRelease 5\n"), 30);
    EXPECT_NE(out.find(" KeyPress Alt_L\n"), std::string::npos);
    EXPECT_NE(out.find(" KeyPress Tab\n"), std::string::npos);
    EXPECT_LT(out.find(" KeyPress Alt_L\n"), out.find(" KeyPress Tab\n"));
}

}  // namespace
