// vorell-config: lists every setting and every binding with the names people
// read (show), and sets block parameters by name and gestures in the
// gestures file by their words (set). vorell-session show and set run it.
#include <getopt.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "file_replace.h"
#include "gestures_edit.h"
#include "gestures_file.h"
#include "long_options.h"
#include "named_listing.h"
#include "parameter_access.h"
#include "parameter_table.h"
#include "setting_values.h"
#include "touchpad_block.h"
#include "version.h"

namespace {

const char kOptions[] = "+a:";

void print_help()
{
    printf(
        "Usage: vorell-config show\n"
        "       vorell-config set [--app NAME] NAME=VALUE ...\n"
        "Lists and sets the touchpad settings and your own gestures by name.\n"
        "\n"
        "  show        every setting of the touchpad block and what each gesture does,\n"
        "              with the names a person reads\n"
        "  set         NAME is a parameter of the block (as vorellctl2 lists it; a\n"
        "              drop-down also takes the name of its choice) or a gesture of\n"
        "              the gestures file (two-finger-tap, pinch-in, ...), whose VALUE\n"
        "              is an action: keys A+B, button N, command TEXT, none, default\n"
        "  --app NAME  set the gestures in the file's [app NAME] section\n"
        "\n"
        "The gestures file is $XDG_CONFIG_HOME/vorell/gestures.conf; set keeps its\n"
        "comments and other lines. Nothing is changed unless every NAME=VALUE is good.\n"
        "See vorell-gestures(5).\n");
}

TouchpadSharedBlock *block_if_there()
{
    BlockSeen seen;
    return look_at_block(&seen) == BlockLook::kMissing ? nullptr : attach_shared_block();
}

int show()
{
    const std::string path = users_gestures_file_path();
    const GesturesFileReading reading = read_gestures_file(path);
    for (const std::string &p : reading.bindings.problems)
        fprintf(stderr, "%s\n", p.c_str());
    if (reading.state == GesturesFileState::kUnreadable)
        fprintf(stderr, "vorell-config: cannot read %s (%s)\n", path.c_str(), reading.why.c_str());
    TouchpadSharedBlock *block = block_if_there();
    if (block)
        fputs(settings_listing(block).c_str(), stdout);
    const bool read = reading.state == GesturesFileState::kRead;
    fputs(gestures_listing(read ? &reading.bindings : nullptr, path, block).c_str(), stdout);
    if (!block)
        fputs("vorell-config: no touchpad block: the settings are not shown\n", stderr);
    return block ? 0 : 1;
}

// The table (vorellctl2's, else vorellctl's) that has the parameter, or
// nullptr.
const ParameterDescriptor *table_of(const std::string &name)
{
    for (const ParameterDescriptor *table : {kCtl2Parameters, kCtlParameters})
        for (const ParameterDescriptor *row = table; row->name; ++row)
            if (strcasecmp(row->name, name.c_str()) == 0)
                return table;
    return nullptr;
}

// A drop-down's value given by its choice's name: the code as text.
std::string value_of_choice(const std::string &name, const std::string &value)
{
    const SettingEntry *e = find_setting(name.c_str());
    if (!e || e->kind != ControlKind::kChoice)
        return value;
    for (int code = 0; code < choice_count(e->choices); ++code) {
        const char *words = choice_name(e->choices, code);
        if (words && strcasecmp(words, value.c_str()) == 0)
            return std::to_string(code);
    }
    return value;
}

int set(int argc, char **argv, const std::string &app)
{
    if (argc == 0) {
        fputs("vorell-config: set needs NAME=VALUE\n", stderr);
        return 2;
    }
    std::vector<std::pair<const ParameterDescriptor *, std::string>> block_assignments;
    std::vector<std::pair<BoundGesture, std::string>> bindings;
    bool good = true;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t equals = arg.find('=');
        const std::string name = equals == std::string::npos ? arg : arg.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : arg.substr(equals + 1);
        BoundGesture gesture;
        BoundAction action;
        std::string why;
        if (equals == std::string::npos) {
            fprintf(stderr, "vorell-config: %s: write NAME=VALUE\n", arg.c_str());
            good = false;
        } else if (bound_gesture_from_word(name.c_str(), &gesture)) {
            if (parse_bound_action(value, &action, &why))
                bindings.emplace_back(gesture, action.text);
            else
                fprintf(stderr, "vorell-config: %s: %s\n", arg.c_str(), why.c_str());
            good = good && why.empty();
        } else if (const ParameterDescriptor *table = table_of(name)) {
            block_assignments.emplace_back(table, name + "=" + value_of_choice(name, value));
        } else {
            fprintf(stderr, "vorell-config: %s: no setting or gesture is called '%s'\n", arg.c_str(),
                    name.c_str());
            good = false;
        }
    }
    if (!good)
        return 1;

    TouchpadSharedBlock *block = nullptr;
    if (!block_assignments.empty() && !(block = attach_shared_block()))
        return 1;
    if (!bindings.empty()) {
        const std::string path = users_gestures_file_path();
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        std::string changed = text.str();
        for (const auto &[gesture, action] : bindings)
            changed = text_with_binding(changed, app, gesture, action);
        std::string why;
        if (!make_folders(path.substr(0, path.rfind('/')), &why) || !replace_file(path, changed, &why)) {
            fprintf(stderr, "vorell-config: cannot write %s (%s)\n", path.c_str(), why.c_str());
            return 1;
        }
    }
    for (const auto &[table, assignment] : block_assignments)
        apply_assignment(block, table, assignment.c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (answer_help_or_version(argc, argv, kOptions, print_help, kVersionText))
        return 0;
    if (argc < 2 || (strcmp(argv[1], "show") != 0 && strcmp(argv[1], "set") != 0)) {
        fputs("Usage: vorell-config show | set [--app NAME] NAME=VALUE ...\n", stderr);
        return 2;
    }
    if (strcmp(argv[1], "show") == 0)
        return argc == 2 ? show() : 2;
    std::string app;
    int first = 2;
    if (argc > 3 && strcmp(argv[2], "--app") == 0) {
        app = argv[3];
        first = 4;
    }
    return set(argc - first, argv + first, app);
}
