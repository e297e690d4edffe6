// The settings restorer: turns the saved listing of `vorellctl2 -l` into one
// vorellctl2 assignment per restored setting. The working files live in the
// working directory; each is made anew through a descriptor opened there
// without following links and checked on the open file (a file of another
// user, a link, a FIFO or a second hard link is refused), and read back
// through the same descriptor. Commands go through a platform record so that
// tests can record them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum class RestoreKind {
    kInt,    // "vorellctl2 Name=%d "
    kFloat,  // "vorellctl2 Name=%g ", the value read as a float
    kDelay,  // "vorellctl2  Name=%d" (two blanks, none after)
};

struct RestoreSetting {
    const char *name;
    RestoreKind kind;
};

constexpr int kRestoreSettingCount = 41;
extern const RestoreSetting kRestoreSettings[kRestoreSettingCount];

// Longest word of the saved file that can be a setting's part; longer ones
// are read past and count as no setting.
constexpr size_t kSavedWordMax = 127;

struct RestoreValues {
    bool present[kRestoreSettingCount];
    int32_t int_value[kRestoreSettingCount];
    float float_value[kRestoreSettingCount];
};

// Copies the saved listing into the intermediate form: the words of the
// listing's title dropped, every three words joined into one line.
void write_parameter_file(FILE *saved, FILE *parameters);

// Finds each setting's search key ("Name=") in the intermediate file's words;
// a later word overrides an earlier one. A key followed by no number (or by
// one out of range) leaves the setting as it was.
void read_parameter_file(FILE *parameters, RestoreValues &values);

// The command for setting i, or false when the file gave it no value.
bool format_restore_command(int i, const RestoreValues &values, char *buf, size_t size);

struct RestorePlatform {
    void (*run)(void *ctx, const char *command);  // through the shell, waited for
    void *ctx;
    const char *home;  // where "~" of the commands is: the saved file's folder
};

// Runs the commands with system(); a failed one does not stop the others.
// The home folder is $HOME, or the user's from the password database.
RestorePlatform real_restore_platform();

constexpr char kSavedCopyName[] = ".vorellshm";
constexpr char kParameterFileName[] = ".vorellshm_parameter";

// The whole run in the working directory; returns the exit status. The
// saved file is copied by the restorer itself (no cp): a copy through a
// path can be sent elsewhere by a link put there after any check.
int restore_settings(const RestorePlatform &platform);
