#include "restore_settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "touchpad_block.h"

namespace {

// A double is restored as a float, every other field as an int.
constexpr RestoreKind restore_kind(BlockFieldKind kind)
{
    return kind == kBlockDouble ? RestoreKind::kFloat : RestoreKind::kInt;
}

// The delays are ints, written with the delay commands' own spacing.
constexpr RestoreKind delay_kind(BlockFieldKind) { return RestoreKind::kDelay; }

}  // namespace

// Each row names a block field (a name that is not one does not compile), in
// the order the commands run.
#define RESTORED(field)                               \
    {                                                 \
#field, restore_kind(block_field_kind::field) \
    }
#define RESTORED_DELAY(field)                       \
    {                                               \
#field, delay_kind(block_field_kind::field) \
    }

const RestoreSetting kRestoreSettings[kRestoreSettingCount] = {
    RESTORED(TouchpadOff),
    RESTORED(MaxSpeed),
    RESTORED(ButtonCheckBox),
    RESTORED(ButtonLeftComboBox),
    RESTORED(ButtonMiddleComboBox),
    RESTORED(ButtonRightComboBox),
    RESTORED(TappingCheckBox),
    RESTORED(TwoFTComboBox),
    RESTORED(ThreeFTComboBox),
    RESTORED(DisableWhenKeyCheckBox),
    RESTORED_DELAY(TappingDelayComboBox),
    RESTORED_DELAY(CursorDelayComboBox),
    RESTORED_DELAY(GestureDelayComboBox),
    RESTORED_DELAY(CoverDelayComboBox),
    RESTORED_DELAY(PalmtrackDelayComboBox),
    RESTORED(VerticalScrollingCheckBox),
    RESTORED(HorizontalScrollingCheckBox),
    RESTORED(ScrollingSpeedSlider),
    RESTORED(AutoScrollCheckBox),
    RESTORED(ZoomCheckBox),
    RESTORED(ZoomOutComboBox),
    RESTORED(ZoomInComboBox),
    RESTORED(ZoomSlider),
    RESTORED(RotationCheckBox),
    RESTORED(ClockwiseComboBox),
    RESTORED(CounterclosewiseComboBox),
    RESTORED(RotationSlider),
    RESTORED(DragCheckBox),
    RESTORED(LiftReleaseRadioButton),
    RESTORED(TapAgainRadioButton),
    RESTORED(TapReleaseRadioButton),
    RESTORED(DragSlider),
    RESTORED(SwipePageCheckBox),
    RESTORED(FastKeyCheckBox),
    RESTORED(MyHomeFileCheckBox),
    RESTORED(SwitchWindowsCheckBox),
    RESTORED(CovergestureCheckBox),
    RESTORED(CovergestureSlider),
    RESTORED(CovergestureComboBox),
    RESTORED(PalmtrackingCheckBox),
    RESTORED(PalmTrackingSlider),
};

#undef RESTORED
#undef RESTORED_DELAY

namespace {

// A joined line of the intermediate file holds three saved words.
constexpr size_t kParameterWordMax = 3 * kSavedWordMax;
// Stands in for an over-long word in the intermediate file: it keeps the
// three-word grouping of the lines that follow, and no search key can
// contain it.
constexpr char kOverlongMark = '?';

struct Word {
    char text[kParameterWordMax + 1];
    size_t length;
    bool too_long;
};

// The blank characters of the C locale, as the %s conversion skips them.
bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads the next run of non-blank bytes, keeping at most `limit` of them. A
// longer run is read to its end and flagged. False at the end of the file.
bool read_word(FILE *in, size_t limit, Word &w)
{
    int c;
    do {
        c = getc(in);
    } while (c != EOF && is_blank(c));
    if (c == EOF)
        return false;
    w.length = 0;
    w.too_long = false;
    for (; c != EOF && !is_blank(c); c = getc(in)) {
        if (w.length < limit)
            w.text[w.length++] = static_cast<char>(c);
        else
            w.too_long = true;
    }
    w.text[w.length] = '\0';
    return true;
}

bool word_is(const Word &w, const char *text)
{
    return !w.too_long && w.length == strlen(text) && memcmp(w.text, text, w.length) == 0;
}

// Position just after the first occurrence of key in the word, or nullptr.
const char *after_key(const Word &w, const char *key, size_t key_length)
{
    const void *hit = memmem(w.text, w.length, key, key_length);
    return hit ? static_cast<const char *>(hit) + key_length : nullptr;
}

bool parse_int(const char *text, int32_t &value)
{
    char *end;
    errno = 0;
    long v = strtol(text, &end, 10);
    if (end == text || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool parse_float(const char *text, float &value)
{
    char *end;
    float v = strtof(text, &end);
    if (end == text || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

}  // namespace

void write_parameter_file(FILE *saved, FILE *parameters)
{
    Word w;
    int written = 0;
    while (read_word(saved, kSavedWordMax, w)) {
        if (word_is(w, "Parameter") || word_is(w, "settings:"))
            continue;
        if (w.too_long)
            putc(kOverlongMark, parameters);
        else
            fwrite(w.text, 1, w.length, parameters);
        if (++written % 3 == 0)
            putc('\n', parameters);
    }
}

void read_parameter_file(FILE *parameters, RestoreValues &values)
{
    memset(&values, 0, sizeof values);
    // The search keys, "Name=", made once.
    static char keys[kRestoreSettingCount][64];
    static size_t key_lengths[kRestoreSettingCount];
    if (key_lengths[0] == 0)
        for (int i = 0; i < kRestoreSettingCount; ++i)
            key_lengths[i] =
                static_cast<size_t>(snprintf(keys[i], sizeof keys[i], "%s=", kRestoreSettings[i].name));
    Word w;
    while (read_word(parameters, kParameterWordMax, w)) {
        if (w.too_long)
            continue;
        for (int i = 0; i < kRestoreSettingCount; ++i) {
            const RestoreSetting &s = kRestoreSettings[i];
            const char *rest = after_key(w, keys[i], key_lengths[i]);
            if (!rest)
                continue;
            bool ok = s.kind == RestoreKind::kFloat ? parse_float(rest, values.float_value[i])
                                                    : parse_int(rest, values.int_value[i]);
            if (ok)
                values.present[i] = true;
        }
    }
}

bool format_restore_command(int i, const RestoreValues &values, char *buf, size_t size)
{
    if (i < 0 || i >= kRestoreSettingCount || !values.present[i])
        return false;
    const RestoreSetting &s = kRestoreSettings[i];
    int n = 0;
    switch (s.kind) {
    case RestoreKind::kInt: n = snprintf(buf, size, "vorellctl2 %s=%d ", s.name, values.int_value[i]); break;
    case RestoreKind::kFloat:
        n = snprintf(buf, size, "vorellctl2 %s=%g ", s.name, static_cast<double>(values.float_value[i]));
        break;
    case RestoreKind::kDelay:
        n = snprintf(buf, size, "vorellctl2  %s=%d", s.name, values.int_value[i]);
        break;
    }
    return n > 0 && static_cast<size_t>(n) < size;
}

namespace {

// What is wrong with a file standing at a working file's name for this run
// to read it or replace it, or nullptr. A link could send a write anywhere, a
// FIFO would block, a second hard link would carry a write to a file
// elsewhere, and another user could change a file of his (or, when it is to
// be read, one that anybody may write) while we work with it.
const char *unusable(const struct stat &st, bool to_read)
{
    if (S_ISLNK(st.st_mode))
        return "Is a symbolic link";
    if (S_ISDIR(st.st_mode))
        return "Is a directory";
    if (!S_ISREG(st.st_mode))
        return "Is not a regular file";
    if (st.st_nlink != 1)
        return "Has other hard links";
    if (st.st_uid != geteuid())
        return "Is owned by another user";
    if (to_read && (st.st_mode & S_IWOTH))
        return "Is writable by other users";
    return nullptr;
}

// Opens what stands at name in the working folder for reading, without
// following a link or waiting on a FIFO, and checks the open file itself (no
// gap between the check and the use), to read it or else to replace it. -1
// with *why, or with errno.
int open_checked(int dir, const char *name, bool to_read, const char **why)
{
    *why = nullptr;
    int fd = openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            *why = "Is a symbolic link";
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || (*why = unusable(st, to_read)) != nullptr) {
        close(fd);
        return -1;
    }
    return fd;
}

// A working file made anew for this run: what stands at its name must be a
// usable file of ours, which goes, and the new one is created exclusively
// (mode 0600), so nobody else holds it open or can swap it under us.
int create_working_file(int dir, const char *name, const char **why)
{
    *why = nullptr;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = openat(dir, name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
        int old = open_checked(dir, name, false, why);
        if (old < 0) {
            if (*why || errno != ENOENT)
                return -1;
            continue;  // gone in between
        }
        close(old);
        // Whatever stands there now is only unlinked, never written.
        if (unlinkat(dir, name, 0) != 0 && errno != ENOENT)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

const char *reason(const char *why) { return why ? why : strerror(errno); }

bool copy_all(int from, int to)
{
    char buf[8192];
    for (;;) {
        ssize_t n = read(from, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(to, buf + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

FILE *rewound(int fd, const char *mode)
{
    FILE *f = lseek(fd, 0, SEEK_SET) == 0 ? fdopen(fd, mode) : nullptr;
    if (!f)
        close(fd);
    return f;
}

// One pass of fetching the saved file: the copy of ~/.vorellshm in the
// working folder, made through descriptors (the shell's cp would follow a
// link put at the copy's name between any check and its write), or, with
// no saved file, an earlier copy left there. nullptr with *stop set when
// something refused ends the run, or without when there was nothing.
FILE *fetch_saved_copy(int dir, const char *home, bool *stop)
{
    *stop = false;
    const char *why = nullptr;
    std::string saved = std::string(home ? home : "") + "/" + kSavedCopyName;
    errno = ENOENT;  // no home folder known: no saved file either
    int from = home ? open(saved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    struct stat from_st;
    if (from >= 0 && (fstat(from, &from_st) != 0 || !S_ISREG(from_st.st_mode))) {
        close(from);
        from = -1;
        errno = EINVAL;
    }
    if (from < 0) {
        fprintf(stderr, "Can't read %s: %s\n", saved.c_str(), strerror(errno));
        int old = open_checked(dir, kSavedCopyName, true, &why);
        if (old >= 0)
            return rewound(old, "r");
        if (why || errno != ENOENT) {
            fprintf(stderr, "Can't read %s: %s\n", kSavedCopyName, reason(why));
            *stop = true;
        }
        return nullptr;
    }
    // Started in the home folder: the saved file is its own copy.
    struct stat here;
    if (fstatat(dir, kSavedCopyName, &here, AT_SYMLINK_NOFOLLOW) == 0 && here.st_dev == from_st.st_dev &&
        here.st_ino == from_st.st_ino) {
        close(from);
        int same = open_checked(dir, kSavedCopyName, true, &why);
        if (same >= 0)
            return rewound(same, "r");
        fprintf(stderr, "Can't read %s: %s\n", kSavedCopyName, reason(why));
        *stop = true;
        return nullptr;
    }
    int copy = create_working_file(dir, kSavedCopyName, &why);
    if (copy < 0) {
        fprintf(stderr, "Can't copy over %s: %s\n", kSavedCopyName, reason(why));
        close(from);
        *stop = true;
        return nullptr;
    }
    const bool copied = copy_all(from, copy);
    close(from);
    if (!copied) {
        fprintf(stderr, "Can't copy %s: %s\n", saved.c_str(), strerror(errno));
        close(copy);
        *stop = true;
        return nullptr;
    }
    return rewound(copy, "r");
}

// The folder the run works in, opened once: every working file is opened by
// name relative to it. One that others may write into without the sticky
// bit would let them replace our files at will, so it is refused.
int open_working_folder()
{
    int dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        fprintf(stderr, "Can't open the working folder: %s\n", strerror(errno));
        return -1;
    }
    struct stat st;
    if (fstat(dir, &st) != 0 || ((st.st_mode & S_IWOTH) && !(st.st_mode & S_ISVTX))) {
        fputs("Can't work in this folder: other users may replace files in it\n", stderr);
        close(dir);
        return -1;
    }
    return dir;
}

void real_run(void *, const char *command)
{
    int status = system(command);
    (void)status;  // a failed setting does not stop the others
}

}  // namespace

RestorePlatform real_restore_platform()
{
    // "~" as the shell expands it in the commands.
    const char *home = getenv("HOME");
    if (!home || !*home) {
        const struct passwd *pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return {real_run, nullptr, home};
}

int restore_settings(const RestorePlatform &platform)
{
    const int dir = open_working_folder();
    if (dir < 0)
        return 1;
    // The saved file, copied here; if there is none yet, save the current
    // settings first and copy again.
    FILE *saved = nullptr;
    bool stop = false;
    for (int pass = 0; pass < 2 && !saved && !stop; ++pass) {
        if (pass == 1)
            platform.run(platform.ctx, "vorellctl2 -l > ~/.vorellshm");
        saved = fetch_saved_copy(dir, platform.home, &stop);
    }
    if (!saved) {
        close(dir);
        return 1;
    }

    const char *why = nullptr;
    int fd = create_working_file(dir, kParameterFileName, &why);
    close(dir);
    FILE *parameters = fd >= 0 ? fdopen(fd, "w+") : nullptr;
    if (!parameters) {
        fprintf(stderr, "Can't create %s: %s\n", kParameterFileName, reason(why));
        if (fd >= 0)
            close(fd);
        fclose(saved);
        return 1;
    }
    write_parameter_file(saved, parameters);
    fclose(saved);
    // Read back through the same descriptor: the file this run wrote.
    if (fflush(parameters) != 0 || ferror(parameters) || fseek(parameters, 0, SEEK_SET) != 0) {
        fprintf(stderr, "Can't write %s: %s\n", kParameterFileName, strerror(errno));
        fclose(parameters);
        return 1;
    }
    static RestoreValues values;
    read_parameter_file(parameters, values);
    fclose(parameters);

    char command[128];
    for (int i = 0; i < kRestoreSettingCount; ++i)
        if (format_restore_command(i, values, command, sizeof command))
            platform.run(platform.ctx, command);
    return 0;
}
