#include "corpus_run.h"

#include <set>

#include "desk.h"

namespace {

// After the replay, the engine's queue has long been carried out by then:
// any wheel click later than this is auto-scrolling.
constexpr int kQueueDrainMs = 300;
constexpr int kAutoScrollLookMs = 500;

bool is_wheel(const std::string &line)
{
    return line == "ButtonPress 4" || line == "ButtonPress 5" || line == "ButtonPress 6" ||
           line == "ButtonPress 7";
}

}  // namespace

Words words_of_x_lines(const std::vector<std::string> &lines)
{
    Words out;
    std::set<std::string> held;
    bool switching = false;
    for (const std::string &line : lines) {
        const size_t space = line.find(' ');
        const std::string type = line.substr(0, space), what = line.substr(space + 1);
        if (type == "KeyRelease") {
            held.erase(what);
            if (what == "Alt_L")
                switching = false;
            continue;
        }
        if (type == "ButtonRelease")
            continue;
        const bool control = held.count("Control_L") > 0, alt = held.count("Alt_L") > 0;
        if (type == "KeyPress" && (what == "Control_L" || what == "Alt_L" || what == "Shift_L")) {
            held.insert(what);
            continue;
        }
        std::string word;
        if (type == "ButtonPress") {
            static const char *const kButtons[8] = {
                "", "drag", "tap-3", "tap-2", "scroll-up", "scroll-down", "scroll-left", "scroll-right"};
            const int b = std::atoi(what.c_str());
            if (control && (b == 4 || b == 5))
                word = b == 4 ? "zoom-in" : "zoom-out";
            else if (b >= 1 && b <= 7)
                word = kButtons[b];
            else
                word = "button-" + what;
        } else if (control && (what == "r" || what == "l")) {
            word = what == "r" ? "rotate-cw" : "rotate-ccw";
        } else if (alt && (what == "Left" || what == "Right")) {
            word = what == "Left" ? "swipe-left" : "swipe-right";
        } else if (alt && what == "Tab") {
            word = !switching ? "switch-windows" : held.count("Shift_L") ? "switch-previous" : "switch-next";
            switching = true;
        } else if (alt && what == "F4") {
            word = "cover";
        } else {
            word = "key-" + what;
        }
        out.push_back(word);
    }
    return collapse(out);
}

Words corpus_run(const std::string &recording_path)
{
    Desk desk(corpus_settings());
    RunOptions opt;
    opt.env.push_back(desk.x().env());
    opt.timeout_s = 120;
    RunResult r = run_program({bin_path("vorellpad"), "--replay", recording_path}, opt);
    if (r.status != 0)
        return {"vorellpad-failed"};
    sleep_ms(kQueueDrainMs);
    const size_t replayed = desk.lines().size();
    sleep_ms(kAutoScrollLookMs);
    std::vector<std::string> late = desk.lines();
    late.erase(late.begin(), late.begin() + static_cast<long>(replayed));
    bool auto_scroll = false;
    for (const std::string &line : late)
        auto_scroll = auto_scroll || is_wheel(line);
    if (auto_scroll)
        desk.set({"AutoScrollCheckBox=0"});  // it ends the auto-scroll
    desk.settle(600);
    std::vector<std::string> all = desk.lines();
    late.assign(all.begin() + static_cast<long>(replayed), all.end());
    all.resize(replayed);
    Words words = words_of_x_lines(all);
    if (auto_scroll)
        words.push_back("auto-scroll");
    // Whatever else came after the replay (the wheel clicks there are the
    // auto-scroll's).
    for (const std::string &w : words_of_x_lines(late))
        if (w.rfind("scroll-", 0) != 0)
            words.push_back(w);
    return collapse(words);
}
