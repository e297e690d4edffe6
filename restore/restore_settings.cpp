#include "restore_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// What is wrong with a file at a working file's name for us to write it, or
// nullptr when it is a plain file. A link could send the write anywhere, a
// FIFO would block, and a second hard link would carry the write to a file
// elsewhere.
const char *unwritable(const struct stat &st)
{
    if (S_ISLNK(st.st_mode))
        return "Is a symbolic link";
    if (!S_ISREG(st.st_mode))
        return "Is not a regular file";
    if (st.st_nlink != 1)
        return "Has other hard links";
    return nullptr;
}

// Opens a working file without following a link or waiting on a FIFO, and
// only if it is a plain file. On failure *why says why (nullptr: see errno).
FILE *open_working_file(const char *name, int flags, const char *mode, const char **why)
{
    *why = nullptr;
    int fd = open(name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == ELOOP)
            *why = "Is a symbolic link";
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || (*why = unwritable(st)) != nullptr) {
        close(fd);
        return nullptr;
    }
    if ((flags & O_ACCMODE) != O_RDONLY && ftruncate(fd, 0) != 0) {
        close(fd);
        return nullptr;
    }
    FILE *f = fdopen(fd, mode);
    if (!f)
        close(fd);
    return f;
}

const char *reason(const char *why) { return why ? why : strerror(errno); }

void real_run(void *, const char *command)
{
    int status = system(command);
    (void)status;  // a failed setting does not stop the others
}

}  // namespace

RestorePlatform real_restore_platform() { return {real_run, nullptr}; }

int restore_settings(const RestorePlatform &platform)
{
    // The saved file, copied here; if there is none yet, save the current
    // settings first and copy again. cp would write through whatever stands
    // at the copy's name, so anything there but a plain file stops the run
    // before a copy is made.
    FILE *saved = nullptr;
    for (int pass = 0; pass < 2 && !saved; ++pass) {
        if (pass == 1)
            platform.run(platform.ctx, "vorellctl2 -l > ~/.vorellshm");
        struct stat st;
        const char *why = nullptr;
        if (lstat(kSavedCopyName, &st) == 0 && (why = unwritable(st)) != nullptr) {
            fprintf(stderr, "Can't copy over %s: %s\n", kSavedCopyName, why);
            return 1;
        }
        platform.run(platform.ctx, "cp ~/.vorellshm ./");
        saved = open_working_file(kSavedCopyName, O_RDONLY, "r", &why);
    }
    if (!saved)
        return 1;

    const char *why = nullptr;
    FILE *parameters = open_working_file(kParameterFileName, O_RDWR | O_CREAT, "w+", &why);
    if (!parameters) {
        fprintf(stderr, "Can't create %s: %s\n", kParameterFileName, reason(why));
        fclose(saved);
        return 1;
    }
    write_parameter_file(saved, parameters);
    fclose(saved);
    if (fclose(parameters) != 0) {
        fprintf(stderr, "Can't write %s: %s\n", kParameterFileName, strerror(errno));
        return 1;
    }

    parameters = open_working_file(kParameterFileName, O_RDONLY, "r", &why);
    if (!parameters) {
        fprintf(stderr, "Can't read %s: %s\n", kParameterFileName, reason(why));
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
