// End to end: the gestures file binds gestures to keys, buttons and commands,
// per application, and the running gestured follows every change of it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "desk.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kControlW{"KeyPress Control_L", "KeyPress w", "KeyRelease w", "KeyRelease Control_L"};

// The engine's gestures file in a configuration folder of the test's own,
// whose vorell folder does not exist until the first write.
struct GesturesFile {
    std::string config = make_temp_dir();
    std::string path = config + "/vorell/gestures.conf";

    // Writes as an editor that replaces the file does: a new file renamed
    // over the old one.
    void write(const std::string &text) const
    {
        mkdir((config + "/vorell").c_str(), 0700);
        const std::string temp = path + ".new";
        std::ofstream(temp) << text;
        ASSERT_EQ(rename(temp.c_str(), path.c_str()), 0);
    }
    std::string env() const { return "XDG_CONFIG_HOME=" + config; }
};

// Waits until the engine reports a reading of the file that found `bindings`
// bindings; prints how long that took from `since`.
void wait_for_reading(Desk &desk, const GesturesFile &file, const std::string &bindings,
                      std::chrono::steady_clock::time_point since)
{
    const std::string said = file.path + ": " + bindings + "\n";
    ASSERT_TRUE(wait_until([&] { return desk.engine().err().find(said) != std::string::npos; }, 10))
        << desk.engine().err();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
    printf("the engine read the changed file within %.0f ms\n", ms);
}

// A second top-level window with its own WM_CLASS, which takes the focus.
class FocusedWindow {
public:
    FocusedWindow(const Xvfb &x, const char *window_class)
    {
        display_ = XOpenDisplay(x.display().c_str());
        if (!display_)
            return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
        XClassHint hint{const_cast<char *>(window_class), const_cast<char *>(window_class)};
        XSetClassHint(display_, window_, &hint);
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapRaised(display_, window_);
        for (XEvent e; XNextEvent(display_, &e) == 0;)
            if (e.type == MapNotify)
                break;
        XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
    }
    ~FocusedWindow()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool open() const { return display_ != nullptr; }

private:
    Display *display_ = nullptr;
    Window window_ = 0;
};

TEST(Bindings, TheFileBindsATapAndAChangeAppliesWithoutARestart)
{
    GesturesFile file;
    // The file and its folder come after the engine's start.
    Desk desk({}, "", {"--debug"}, {"", {file.env()}});
    // Said with --debug only: most people have no file.
    const std::string none = "gestured: no " + file.path + ": every gesture does what the settings say\n";
    EXPECT_TRUE(wait_until([&] { return desk.engine().err().find(none) != std::string::npos; }, 10))
        << desk.engine().err();
    auto written = std::chrono::steady_clock::now();
    file.write(
        "# my gestures\n"
        "[gestures]\n"
        "   two-finger-tap = keys Control+w   ; close the tab\n"
        "three-finger-tap = keys Contrl+q\n");
    wait_for_reading(desk, file, "1 binding", written);
    EXPECT_NE(desk.engine().err().find(file.path + ":4: no key is called 'Contrl'"), std::string::npos)
        << desk.engine().err();

    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("KeyRelease Control_L"));
    desk.settle();
    EXPECT_EQ(desk.lines(), kControlW);
    EXPECT_NE(desk.engine().err().find("binding two-finger-tap = keys Control+w (" + file.path + ":3)"),
              std::string::npos)
        << desk.engine().err();

    const std::string made = file.config + "/tapped";
    written = std::chrono::steady_clock::now();
    file.write("[gestures]\ntwo-finger-tap = command touch " + made + "\nthree-finger-tap = none\n");
    wait_for_reading(desk, file, "2 bindings", written);
    desk.replay("tap_two");
    EXPECT_TRUE(wait_until([&] { return access(made.c_str(), F_OK) == 0; }, 10)) << desk.engine().err();
    desk.settle();
    EXPECT_EQ(desk.lines(), kControlW) << "the command sent no input";
}

TEST(Bindings, AnApplicationsSectionWinsInItsOwnWindowsOnly)
{
    GesturesFile file;
    Desk desk({}, "", {}, {"firefox", {file.env()}});
    const auto written = std::chrono::steady_clock::now();
    file.write(
        "[gestures]\n"
        "two-finger-tap = button 2\n"
        "[app Firefox]   # the window's class, in any letter case\n"
        "two-finger-tap = keys Control+w\n");
    wait_for_reading(desk, file, "2 bindings", written);

    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("KeyRelease Control_L"));
    FocusedWindow other(desk.x(), "xterm");
    ASSERT_TRUE(other.open());
    desk.replay("tap_two");
    ASSERT_TRUE(desk.wait_for("ButtonRelease 2"));
    desk.settle();
    Lines expected = kControlW;
    expected.insert(expected.end(), {"ButtonPress 2", "ButtonRelease 2"});
    EXPECT_EQ(desk.lines(), expected);
}

}  // namespace
