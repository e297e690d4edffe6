// The tools' command lines as the engine's start finds them: the classic
// lines byte for byte where /usr/local/bin/xte and /usr/bin/nautilus are
// there, the same words with the xte on the search path and xdg-open where
// they are not, through the PDF viewer's keys, auto-scroll and the home
// gesture.
#include <gtest/gtest.h>

#include <set>

#include "action_commands.h"
#include "action_recorder.h"
#include "gesture_actions.h"

namespace {

using Events = std::vector<std::string>;

bool on_this_system(void *ctx, const char *path)
{
    const auto *present = static_cast<const std::set<std::string> *>(ctx);
    return present->count(path) > 0;
}

TEST(ToolCommands, DecidedOnceFromWhatTheSystemHas)
{
    const struct {
        std::set<std::string> present;
        const char *search_path;
        const char *escape;  // the first line of PDF Left
        const char *home;
        bool note;
    } cases[] = {
        {{"/usr/local/bin/xte", "/usr/bin/xte", "/usr/bin/nautilus"},
         "/usr/bin",
         "/usr/local/bin/xte  'key Escape'",
         "/usr/bin/nautilus &",
         false},
        {{"/usr/bin/xte"},
         "relative:/opt/none:/usr/bin/",
         "/usr/bin/xte  'key Escape'",
         "xdg-open \"$HOME\" &",
         false},
        {{"/opt/x/xte", "/usr/bin/nautilus"},
         "/usr/bin:/opt/x",
         "/opt/x/xte  'key Escape'",
         "/usr/bin/nautilus &",
         false},
        {{}, "/usr/bin", "/usr/local/bin/xte  'key Escape'", "xdg-open \"$HOME\" &", true},
    };
    for (const auto &c : cases) {
        std::string note;
        const ActionCommands commands = choose_action_commands(
            ToolSearch{on_this_system, const_cast<std::set<std::string> *>(&c.present), c.search_path},
            &note);
        EXPECT_EQ(commands.line(XteLine::kKeyEscape), std::string(c.escape)) << c.search_path;
        EXPECT_EQ(commands.home, c.home);
        EXPECT_EQ(!note.empty(), c.note) << note;

        // Through the engine: the PDF viewer's keys, auto-scroll's clicks and
        // the home gesture with those tools.
        use_recorder();
        EnginePlatform platform = recorder_platform;
        platform.commands = &commands;
        recorder_has_title = true;
        recorder_title = "x.pdf - Adobe Reader";
        carry_out_action(platform, engine, Gesture::kScrollXDec, 0);
        recorder_has_title = false;
        carry_out_action(platform, engine, Gesture::kMyHome, 0);
        const std::string xte = std::string(c.escape).substr(0, std::string(c.escape).find(' '));
        const Events expected{"run " + xte + "  'key Escape'", "run " + xte + "  'keydown Left'",
                              "run " + xte + "  'keyup Left'", std::string("run ") + c.home};
        EXPECT_EQ(Events(recorded.begin() + 1, recorded.end()), expected);
        EXPECT_EQ(commands.line(XteLine::kScrollDown), xte + " 'mouseclick 5'");
        EXPECT_EQ(commands.line(XteLine::kKeyupControl), xte + "  'keyup Control_L' ");
    }
    EXPECT_EQ(classic_action_commands().line(XteLine::kScrollUp),
              std::string("/usr/local/bin/xte 'mouseclick 4'"));
}

}  // namespace
