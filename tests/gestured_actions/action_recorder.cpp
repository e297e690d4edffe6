#include "action_recorder.h"

#include <cstring>

#include "engine_state.h"
#include "gesture_actions.h"
#include "platform.h"
#include "selectable_actions.h"

std::vector<std::string> recorded;
bool recorder_has_title = false;
std::string recorder_title;
int64_t recorder_now_ms = 0;

namespace {

int64_t fake_now(void *) { return recorder_now_ms; }
void fake_sleep(void *, int ms) { recorder_now_ms += ms; }
void record_command(void *, const char *command) { recorded.push_back(std::string("run ") + command); }

void record_input(void *, const char *operand, int button, InputKind kind)
{
    const std::string op = operand ? operand : "";
    const std::string b = std::to_string(button);
    switch (kind) {
    case InputKind::kKeyTap: recorded.push_back("tap " + op); break;
    case InputKind::kKeyPress: recorded.push_back("key+ " + op); break;
    case InputKind::kKeyRelease: recorded.push_back("key- " + op); break;
    case InputKind::kText: recorded.push_back("text " + op); break;
    case InputKind::kButtonClick: recorded.push_back("click " + b); break;
    case InputKind::kButtonPress: recorded.push_back("button+ " + b); break;
    case InputKind::kButtonRelease: recorded.push_back("button- " + b); break;
    default: recorded.push_back("input? " + std::to_string(static_cast<int>(kind))); break;
    }
}

int fake_title(void *, char *buf, int cap)
{
    if (!recorder_has_title)
        return -1;
    int n = static_cast<int>(recorder_title.size());
    if (n > cap - 1)
        n = cap - 1;
    memcpy(buf, recorder_title.data(), static_cast<size_t>(n));
    buf[n] = 0;
    return n;
}

}  // namespace

const EnginePlatform recorder_platform = {fake_now,     fake_sleep, record_command,
                                          record_input, fake_title, nullptr};

EngineShared engine;

void use_recorder()
{
    recorded.clear();
    recorder_has_title = false;
    recorder_title.clear();
    recorder_now_ms = 100000;
    engine.reset();
    hotkey_clear_latches(engine);
    hotkey_clear_scroll_and_zoom(engine, recorder_now_ms);
    hold_gesture = 0;
}
