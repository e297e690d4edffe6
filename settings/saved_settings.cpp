#include "saved_settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "block_defaults.h"
#include "parameter_access.h"
#include "parameter_table.h"
#include "plain_file.h"
#include "restore_settings.h"
#include "setting_values.h"
#include "touchpad_block.h"

namespace {

// Applies the words after the program's name of a restore command, as the
// shell hands them to vorellctl2.
void apply_command(void *block, char *command)
{
    const char *blanks = " \t";
    char *save = nullptr;
    char *word = strtok_r(command, blanks, &save);  // "vorellctl2"
    while (word && (word = strtok_r(nullptr, blanks, &save)) != nullptr)
        apply_assignment(block, kCtl2Parameters, word, stderr);
}

}  // namespace

int apply_saved_listing(void *block, FILE *saved)
{
    // The restorer's two steps, its working file kept in memory.
    char *joined = nullptr;
    size_t size = 0;
    FILE *parameters = open_memstream(&joined, &size);
    if (!parameters)
        return 0;
    write_parameter_file(saved, parameters);
    fclose(parameters);
    RestoreValues values{};
    if (size > 0) {
        FILE *in = fmemopen(joined, size, "r");
        if (in) {
            read_parameter_file(in, values);
            fclose(in);
        }
    }
    free(joined);

    int applied = 0;
    char command[128];
    for (int i = 0; i < kRestoreSettingCount; ++i)
        if (format_restore_command(i, values, command, sizeof command)) {
            apply_command(block, command);
            ++applied;
        }
    return applied;
}

RevertOutcome revert_to_saved(void *block, const char *home)
{
    const std::string shown = std::string("~/") + kSavedCopyName;
    const std::string unchanged = " Nothing was changed.";
    if (!home || !*home)
        return {false, "No home folder is known, so there are no saved settings." + unchanged};
    std::string text, why;
    int error = 0;
    if (!read_plain_file(std::string(home) + "/" + kSavedCopyName, &text, &error, &why)) {
        if (error == ENOENT)
            return {false, "No saved settings: " + shown + " does not exist (Save makes it)." + unchanged};
        return {false, "Cannot read " + shown + ": " + why + "." + unchanged};
    }
    FILE *saved = text.empty() ? nullptr : fmemopen(text.data(), text.size(), "r");
    const int applied = saved ? apply_saved_listing(block, saved) : 0;
    if (saved)
        fclose(saved);
    if (applied == 0)
        return {false, shown + " holds no settings." + unchanged};
    return {true, "The settings saved in " + shown + " are back."};
}

void put_back_defaults(void *block)
{
    alignas(TouchpadSharedBlock) unsigned char fresh[sizeof(TouchpadSharedBlock)];
    fill_default_block(fresh);
    for (int i = 0; i < kSettingEntryCount; ++i) {
        const ParameterDescriptor &row = setting_row(kSettingEntries[i]);
        store_parameter_value(block, row, clamp_parameter_value(row, stored_value(fresh, row)));
    }
}
