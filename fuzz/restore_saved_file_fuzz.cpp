// The settings restorer's reading of a saved file: the input is the saved
// file, turned into the intermediate form and read back as the restorer
// does, then every command is formatted. Each command goes through the shell,
// so it must be exactly "vorellctl2", one or two blanks, the setting's name,
// "=", a number and the kind's ending: nothing the shell could read as more.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "restore_settings.h"

namespace {

[[noreturn]] void fail(const char *what, const char *command)
{
    fprintf(stderr, "restore command %s: [%s]\n", what, command);
    abort();
}

void check_command(int i, const char *command)
{
    const RestoreSetting &s = kRestoreSettings[i];
    std::string prefix = s.kind == RestoreKind::kDelay ? "vorellctl2  " : "vorellctl2 ";
    prefix += s.name;
    prefix += "=";
    if (strncmp(command, prefix.c_str(), prefix.size()) != 0)
        fail("does not start with its setting", command);
    const char *value = command + prefix.size();
    size_t n = strlen(value);
    if (s.kind != RestoreKind::kDelay) {
        if (n == 0 || value[n - 1] != ' ')
            fail("lacks its trailing blank", command);
        --n;
    }
    if (n == 0)
        fail("has no value", command);
    const char *allowed = s.kind == RestoreKind::kFloat ? "0123456789.-+e" : "0123456789-";
    for (size_t k = 0; k < n; ++k)
        if (!strchr(allowed, value[k]))
            fail("has more than a number", command);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *saved = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!saved)
        return 0;  // an empty input
    char *buffer = nullptr;
    size_t length = 0;
    FILE *parameters = open_memstream(&buffer, &length);
    write_parameter_file(saved, parameters);
    fclose(saved);
    fclose(parameters);

    FILE *reread = fmemopen(buffer, length, "r");
    static RestoreValues values;
    if (reread) {
        read_parameter_file(reread, values);
        fclose(reread);
    } else {
        memset(&values, 0, sizeof values);
    }
    free(buffer);

    char command[128];
    for (int i = 0; i < kRestoreSettingCount; ++i)
        if (format_restore_command(i, values, command, sizeof command))
            check_command(i, command);
    return 0;
}
