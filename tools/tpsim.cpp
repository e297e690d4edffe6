// tpsim: a stand-in for the touchpad driver during development and tests.
// It creates the shared block, sets its fields, puts fingers on the pad and
// replays traces recorded with the parameter client's monitor mode.
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "block_defaults.h"
#include "block_fields.h"
#include "finger_trace.h"
#include "report_signal.h"
#include "touchpad_block.h"

namespace {

const char kUsage[] =
    "Usage: tpsim COMMAND [ARGS]\n"
    "Touchpad simulator: creates and drives the shared touchpad block (key 29947).\n"
    "\n"
    "  create [--size BYTES] [--mode OCTAL]\n"
    "        create the block with default settings (556 bytes, mode 0666);\n"
    "        another size makes a block no program will accept, for testing\n"
    "  remove                       remove the block\n"
    "  set NAME=VALUE ...           set fields by name (case ignored); nothing is\n"
    "                               written unless every assignment is valid\n"
    "  get NAME ...                 print fields, one value a line\n"
    "  dump                         print every named field\n"
    "  fingers [--old|--new] [--signal] COL=VALUE ...\n"
    "        write a whole finger state; columns x y z w f l r u d m multi\n"
    "        (eight digits) x2_1 y2_1 x2_2 y2_2 x3_1 y3_1, unnamed ones are 0\n"
    "  replay [--old|--new] [--signal] FILE\n"
    "        replay a trace (the monitor's data lines, '-' for standard input)\n"
    "        keeping the gaps between its lines\n"
    "\n"
    "Fields of the finger records are named OldStructFingers.f,\n"
    "NewStructFingers.x2_1 and so on. --old/--new choose the finger record;\n"
    "by default it is the one the block's NewStruct selects. --signal signals\n"
    "each state written, as vorellpad does, while the command runs (the\n"
    "touchpad driver does not).\n";

int usage_error()
{
    fputs(kUsage, stderr);
    return 2;
}

void *attach_or_complain()
{
    int id = shmget(kTouchpadShmKey, kTouchpadShmSize, 0);
    if (id == -1) {
        fprintf(stderr, "tpsim: no touchpad block of %zu bytes (run 'tpsim create'): %s\n", kTouchpadShmSize,
                strerror(errno));
        return nullptr;
    }
    void *p = shmat(id, nullptr, 0);
    if (p == reinterpret_cast<void *>(-1)) {
        fprintf(stderr, "tpsim: cannot attach the touchpad block: %s\n", strerror(errno));
        return nullptr;
    }
    return p;
}

int cmd_create(int argc, char **argv)
{
    long size = static_cast<long>(kTouchpadShmSize);
    long mode = 0666;
    for (int i = 0; i < argc; ++i) {
        char *end = nullptr;
        if (strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = strtol(argv[++i], &end, 10);
            if (*end || size <= 0 || size > (1 << 20)) {
                fprintf(stderr, "tpsim: bad size '%s'\n", argv[i]);
                return 2;
            }
        } else if (strcmp(argv[i], "--mode") == 0 && i + 1 < argc) {
            mode = strtol(argv[++i], &end, 8);
            if (*end || mode < 0 || mode > 0777) {
                fprintf(stderr, "tpsim: bad mode '%s'\n", argv[i]);
                return 2;
            }
        } else {
            return usage_error();
        }
    }
    int id =
        shmget(kTouchpadShmKey, static_cast<size_t>(size), IPC_CREAT | IPC_EXCL | static_cast<int>(mode));
    if (id == -1) {
        if (errno == EEXIST)
            fputs("tpsim: a touchpad block exists already (run 'tpsim remove' first)\n", stderr);
        else
            fprintf(stderr, "tpsim: cannot create the touchpad block: %s\n", strerror(errno));
        return 1;
    }
    if (size == static_cast<long>(kTouchpadShmSize)) {
        void *p = shmat(id, nullptr, 0);
        if (p == reinterpret_cast<void *>(-1)) {
            fprintf(stderr, "tpsim: cannot attach the new block: %s\n", strerror(errno));
            return 1;
        }
        fill_default_block(p);
        shmdt(p);
    }
    return 0;
}

int cmd_remove(int argc, char **)
{
    if (argc)
        return usage_error();
    int id = shmget(kTouchpadShmKey, 0, 0);
    if (id == -1 || shmctl(id, IPC_RMID, nullptr) == -1) {
        fprintf(stderr, "tpsim: cannot remove the touchpad block: %s\n", strerror(errno));
        return 1;
    }
    return 0;
}

void print_field(const void *block, const BlockField *f, bool with_name)
{
    if (with_name)
        printf("%s = ", f->name);
    if (f->type == kBlockDouble)
        printf("%.17g\n", block_get_double(block, f->offset));
    else
        printf("%d\n", block_get_int(block, f->offset));
}

int cmd_get(int argc, char **argv)
{
    if (argc == 0)
        return usage_error();
    for (int i = 0; i < argc; ++i)
        if (!find_block_field(argv[i])) {
            fprintf(stderr, "tpsim: unknown field '%s'\n", argv[i]);
            return 2;
        }
    void *b = attach_or_complain();
    if (!b)
        return 1;
    for (int i = 0; i < argc; ++i)
        print_field(b, find_block_field(argv[i]), false);
    return 0;
}

int cmd_dump(int argc, char **)
{
    if (argc)
        return usage_error();
    void *b = attach_or_complain();
    if (!b)
        return 1;
    for (const BlockField *f = kBlockFields; f->name; ++f)
        print_field(b, f, true);
    return 0;
}

// Splits "NAME=VALUE" at its first '=': copies the name into name (cap
// bytes) and returns where the value starts. When there is no '=', the name
// is empty or it does not fit, says that arg is not FORM=VALUE and returns
// nullptr.
const char *split_assignment(const char *arg, const char *form, char *name, size_t cap)
{
    const char *eq = strchr(arg, '=');
    if (!eq || eq == arg || static_cast<size_t>(eq - arg) >= cap) {
        fprintf(stderr, "tpsim: '%s' is not %s=VALUE\n", arg, form);
        return nullptr;
    }
    memcpy(name, arg, static_cast<size_t>(eq - arg));
    name[eq - arg] = '\0';
    return eq + 1;
}

int cmd_set(int argc, char **argv)
{
    if (argc == 0)
        return usage_error();
    struct Pending {
        const BlockField *field;
        long ivalue;
        double dvalue;
    };
    Pending pending[64];
    if (argc > 64) {
        fputs("tpsim: at most 64 assignments at once\n", stderr);
        return 2;
    }
    for (int i = 0; i < argc; ++i) {
        char name[64];
        const char *value = split_assignment(argv[i], "NAME", name, sizeof name);
        if (!value)
            return 2;
        const BlockField *f = find_block_field(name);
        if (!f) {
            fprintf(stderr, "tpsim: unknown field '%s'\n", name);
            return 2;
        }
        char *end;
        errno = 0;
        pending[i].field = f;
        if (f->type == kBlockDouble) {
            pending[i].dvalue = strtod(value, &end);
            if (end == value || *end || !std::isfinite(pending[i].dvalue)) {
                fprintf(stderr, "tpsim: '%s' needs a finite number, not '%s'\n", f->name, value);
                return 2;
            }
        } else {
            pending[i].ivalue = strtol(value, &end, 0);
            if (end == value || *end || errno == ERANGE || pending[i].ivalue < INT32_MIN ||
                pending[i].ivalue > INT32_MAX) {
                fprintf(stderr, "tpsim: '%s' needs a 32-bit whole number, not '%s'\n", f->name, value);
                return 2;
            }
        }
    }
    void *b = attach_or_complain();
    if (!b)
        return 1;
    for (int i = 0; i < argc; ++i) {
        if (pending[i].field->type == kBlockDouble)
            block_set_double(b, pending[i].field->offset, pending[i].dvalue);
        else
            block_set_int(b, pending[i].field->offset, static_cast<int32_t>(pending[i].ivalue));
    }
    return 0;
}

// The finger commands' options in front of their arguments: --old or --new
// (record is -1 when neither was given) and --signal.
struct FingerOptions {
    int record = -1;
    bool signal = false;
};

FingerOptions take_finger_options(int *argc, char ***argv)
{
    FingerOptions o;
    for (; *argc > 0; --*argc, ++*argv) {
        const char *a = (*argv)[0];
        if (strcmp(a, "--old") == 0 || strcmp(a, "--new") == 0)
            o.record = strcmp(a, "--new") == 0;
        else if (strcmp(a, "--signal") == 0)
            o.signal = true;
        else
            break;
    }
    return o;
}

bool use_new_record(const void *block, int choice)
{
    if (choice >= 0)
        return choice == 1;
    return block_get_int(block, offsetof(TouchpadSharedBlock, NewStruct)) == 1;
}

// Finger writes are kept whole: the signals that end the simulator wait
// until the state in progress is written (and signalled).
void write_state_whole(void *block, const FingerState &st, const FingerOptions &o)
{
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    auto *b = static_cast<TouchpadSharedBlock *>(block);
    write_finger_state(b, finger_record(use_new_record(block, o.record)), st);
    if (o.signal)
        report_signal_post(b);
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

// With --signal the simulator is a publisher that signals while the
// command runs. Ended by a signal it leaves its word behind, as a publisher
// that crashes does.
void start_signalling(void *block, const FingerOptions &o)
{
    if (o.signal)
        report_signal_start(static_cast<TouchpadSharedBlock *>(block));
}

void stop_signalling(void *block, const FingerOptions &o)
{
    if (o.signal)
        report_signal_stop(static_cast<TouchpadSharedBlock *>(block));
}

int cmd_fingers(int argc, char **argv)
{
    const FingerOptions o = take_finger_options(&argc, &argv);
    FingerState st{};
    for (int i = 0; i < argc; ++i) {
        char name[16];
        const char *value = split_assignment(argv[i], "COLUMN", name, sizeof name);
        if (!value)
            return 2;
        if (!set_finger_column(&st, name, value)) {
            fprintf(stderr, "tpsim: bad finger column '%s'\n", argv[i]);
            return 2;
        }
    }
    void *b = attach_or_complain();
    if (!b)
        return 1;
    start_signalling(b, o);
    write_state_whole(b, st, o);
    stop_signalling(b, o);
    return 0;
}

int cmd_replay(int argc, char **argv)
{
    const FingerOptions o = take_finger_options(&argc, &argv);
    if (argc != 1)
        return usage_error();
    FILE *in = strcmp(argv[0], "-") == 0 ? stdin : fopen(argv[0], "r");
    if (!in) {
        fprintf(stderr, "tpsim: cannot open '%s': %s\n", argv[0], strerror(errno));
        return 1;
    }
    // The whole trace is read and checked first, so a bad line stops the
    // replay before any state of the trace reaches the block.
    TraceReading trace;
    bool no_memory = false;
    try {
        trace = read_trace(in);
    } catch (const std::bad_alloc &) {
        no_memory = true;
    }
    if (in != stdin)
        fclose(in);
    if (no_memory) {
        fputs("tpsim: out of memory\n", stderr);
        return 1;
    }
    if (trace.bad_line) {
        fprintf(stderr, "tpsim: %s:%ld: %s\n", argv[0], trace.bad_line, trace.why);
        return 2;
    }
    void *b = attach_or_complain();
    if (!b)
        return 1;
    // Each state follows the one before by the gap the trace gives, counted
    // from when that one was really written.
    const std::vector<TraceStep> &steps = trace.steps;
    start_signalling(b, o);
    struct timespec last;
    clock_gettime(CLOCK_MONOTONIC, &last);
    for (size_t i = 0; i < steps.size(); ++i) {
        double gap = i ? steps[i].time - steps[i - 1].time : 0;
        if (gap > 0)
            sleep_until_after(last, gap);
        write_state_whole(b, steps[i].state, o);
        clock_gettime(CLOCK_MONOTONIC, &last);
    }
    stop_signalling(b, o);
    return 0;
}

// The commands by name; each is given the words after its name.
struct Command {
    const char *name;
    int (*run)(int argc, char **argv);
};
const Command kCommands[] = {
    {"create", cmd_create}, {"remove", cmd_remove},   {"set", cmd_set},       {"get", cmd_get},
    {"dump", cmd_dump},     {"fingers", cmd_fingers}, {"replay", cmd_replay},
};

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage_error();
    const char *cmd = argv[1];
    for (const Command &c : kCommands)
        if (strcmp(cmd, c.name) == 0)
            return c.run(argc - 2, argv + 2);
    if (strcmp(cmd, "-h") == 0 || strcmp(cmd, "--help") == 0 || strcmp(cmd, "help") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    fprintf(stderr, "tpsim: unknown command '%s'\n", cmd);
    return usage_error();
}
