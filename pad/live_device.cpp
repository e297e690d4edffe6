#include "live_device.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "clock.h"
#include "live_wait.h"
#include "pad_translator.h"
#include "recording.h"
#include "x_properties.h"

namespace {

const char kAccessHint[] =
    "vorellpad: join the 'input' group, or install the udev rule 70-vorellpad.rules that lets "
    "the seat's user read touchpads\n";

std::string find_touchpad(udev *u)
{
    std::string found;
    udev_enumerate *en = udev_enumerate_new(u);
    udev_enumerate_add_match_subsystem(en, "input");
    udev_enumerate_add_match_property(en, "ID_INPUT_TOUCHPAD", "1");
    udev_enumerate_scan_devices(en);
    udev_list_entry *e;
    udev_list_entry_foreach(e, udev_enumerate_get_list_entry(en))
    {
        udev_device *d = udev_device_new_from_syspath(u, udev_list_entry_get_name(e));
        if (!d)
            continue;
        const char *node = udev_device_get_devnode(d);
        const char *sys = udev_device_get_sysname(d);
        if (node && sys && !strncmp(sys, "event", 5) && found.empty())
            found = node;
        udev_device_unref(d);
    }
    udev_enumerate_unref(en);
    return found;
}

PadDescription describe(libevdev *dev)
{
    PadDescription d;
    d.name = libevdev_get_name(dev) ? libevdev_get_name(dev) : "";
    d.bustype = static_cast<uint16_t>(libevdev_get_id_bustype(dev));
    d.vendor = static_cast<uint16_t>(libevdev_get_id_vendor(dev));
    d.product = static_cast<uint16_t>(libevdev_get_id_product(dev));
    d.version = static_cast<uint16_t>(libevdev_get_id_version(dev));
    d.props.assign(8, 0);
    for (int p = 0; p < INPUT_PROP_CNT; ++p)
        if (libevdev_has_property(dev, static_cast<unsigned>(p)))
            d.set_prop(p);
    for (int type = 0; type < kPadTypeCount; ++type) {
        if (!libevdev_has_event_type(dev, static_cast<unsigned>(type)))
            continue;
        d.set_code(0, type);
        const int max = libevdev_event_type_get_max(static_cast<unsigned>(type));
        for (int code = 0; code <= max && type != 0; ++code)
            if (libevdev_has_event_code(dev, static_cast<unsigned>(type), static_cast<unsigned>(code)))
                d.set_code(type, code);
    }
    for (int code = 0; code < kPadAbsCount; ++code) {
        const input_absinfo *a = libevdev_get_abs_info(dev, static_cast<unsigned>(code));
        if (!a)
            continue;
        PadAxis &x = d.abs[static_cast<size_t>(code)];
        x.present = true;
        x.minimum = a->minimum;
        x.maximum = a->maximum;
        x.fuzz = a->fuzz;
        x.flat = a->flat;
        x.resolution = a->resolution;
    }
    return d;
}

PadEvent to_pad_event(const input_event &ev)
{
    PadEvent e;
    e.time_us = static_cast<int64_t>(ev.input_event_sec) * 1000000 + ev.input_event_usec;
    e.type = ev.type;
    e.code = ev.code;
    e.value = ev.value;
    return e;
}

// One opened touchpad.
struct OpenPad {
    int fd = -1;
    libevdev *dev = nullptr;
    std::string node;
    ~OpenPad()
    {
        if (dev)
            libevdev_free(dev);
        if (fd >= 0)
            close(fd);
    }
};

// Opens node; on failure says why (once per call) and gives nullptr.
std::unique_ptr<OpenPad> open_pad(const std::string &node, bool quiet)
{
    auto pad = std::make_unique<OpenPad>();
    pad->node = node;
    pad->fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (pad->fd < 0) {
        if (!quiet) {
            fprintf(stderr, "vorellpad: cannot read %s: %s\n", node.c_str(), strerror(errno));
            if (errno == EACCES || errno == EPERM)
                fputs(kAccessHint, stderr);
        }
        return nullptr;
    }
    if (libevdev_new_from_fd(pad->fd, &pad->dev) != 0) {
        if (!quiet)
            fprintf(stderr, "vorellpad: %s is not an input device\n", node.c_str());
        return nullptr;
    }
    // Event times on the monotonic clock: the translator's waits for a
    // landing finger are measured against it between events.
    libevdev_set_clock_id(pad->dev, CLOCK_MONOTONIC);
    return pad;
}

struct Udev {
    udev *u = udev_new();
    udev_monitor *mon = nullptr;
    Udev()
    {
        if (!u)
            return;
        mon = udev_monitor_new_from_netlink(u, "udev");
        if (mon) {
            udev_monitor_filter_add_match_subsystem_devtype(mon, "input", nullptr);
            udev_monitor_enable_receiving(mon);
        }
    }
    ~Udev()
    {
        if (mon)
            udev_monitor_unref(mon);
        if (u)
            udev_unref(u);
    }
};

// The node to open now: the one named on the command line, or the first
// touchpad.
std::string wanted_node(const PadOptions &o, Udev &u)
{
    if (!o.device.empty())
        return o.device;
    return u.u ? find_touchpad(u.u) : "";
}

// Reads what the udev monitor has; true when something about input devices
// was added or removed.
bool udev_changed(Udev &u)
{
    bool changed = false;
    while (udev_device *d = udev_monitor_receive_device(u.mon)) {
        const char *action = udev_device_get_action(d);
        if (action && (!strcmp(action, "add") || !strcmp(action, "remove")))
            changed = true;
        udev_device_unref(d);
    }
    return changed;
}

PublishedBlock *g_block = nullptr;

// The X server is gone: lift every finger and end.
void lift_and_end()
{
    if (g_block)
        publish_state(g_block->block, FingerState{});
    static const char msg[] = "vorellpad: lost the X server; ending\n";
    (void)!write(2, msg, sizeof msg - 1);
}

// The touchpad the options name, or the first udev knows; says why when
// there is none or it cannot be opened.
std::unique_ptr<OpenPad> open_wanted_pad(const PadOptions &options, Udev &u)
{
    std::string node = wanted_node(options, u);
    if (node.empty()) {
        fputs(
            "vorellpad: no touchpad found (no input device with ID_INPUT_TOUCHPAD=1); name "
            "one with --device\n",
            stderr);
        return nullptr;
    }
    return open_pad(node, false);
}

}  // namespace

int run_live(const PadOptions &options, ClaimBlock claim, const std::atomic<bool> &stop)
{
    Udev u;
    std::unique_ptr<OpenPad> pad = open_wanted_pad(options, u);
    if (!pad)
        return kExitDevice;
    int status = kExitOk;
    PublishedBlock *block = claim(&status);
    if (!block)
        return status;

    g_block = block;
    XDriverGuard::on_lost = lift_and_end;
    XDriverGuard x;
    bool told_x = false;
    int64_t last_key_ms = -1;
    while (!stop.load()) {
        std::unique_ptr<PadTranslator> core;
        if (pad) {
            core = std::make_unique<PadTranslator>(describe(pad->dev));
            std::string note;
            if (!x.attach(pad->node, &note) && !told_x) {
                fputs(note.c_str(), stderr);
                told_x = true;
            }
            fprintf(stderr, "vorellpad: publishing %s (%s)\n", pad->node.c_str(),
                    libevdev_get_name(pad->dev));
        }
        bool gone = false;
        while (!stop.load() && !gone) {
            struct pollfd fds[3];
            int n = 0;
            if (pad)
                fds[n++] = {pad->fd, POLLIN, 0};
            if (u.mon)
                fds[n++] = {udev_monitor_get_fd(u.mon), POLLIN, 0};
            const int xfd = x.connection_fd();
            if (xfd >= 0)
                fds[n++] = {xfd, POLLIN, 0};
            LiveWaitFacts facts;
            facts.now_ms = monotonic_now_us() / 1000;
            facts.mirroring = pad && x.mirroring();
            facts.keys_reported = x.keys_reported();
            facts.last_key_ms = last_key_ms;
            facts.touchpad_off = block->block->TouchpadOff;
            if (core && core->next_change_us() >= 0)
                facts.next_change_ms = core->next_change_us() / 1000;
            if (poll(fds, static_cast<nfds_t>(n), live_wait_ms(facts)) < 0 && errno != EINTR)
                break;
            keep_published_block(block);
            if (xfd >= 0 && x.drain())
                last_key_ms = monotonic_now_us() / 1000;
            x.mirror_touchpad_off(block->block->TouchpadOff);
            if (u.mon && udev_changed(u) && !pad) {
                std::string again = wanted_node(options, u);
                if (!again.empty() && (pad = open_pad(again, true)))
                    break;  // set up the new device
            }
            if (!pad)
                continue;
            for (;;) {
                struct input_event ev;
                int rc = libevdev_next_event(pad->dev, LIBEVDEV_READ_FLAG_NORMAL, &ev);
                if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                    // Events were lost: libevdev hands over the device's
                    // present state as a delta ending in SYN_REPORT, so a
                    // finger lifted meanwhile is lifted here too.
                    while ((rc = libevdev_next_event(pad->dev, LIBEVDEV_READ_FLAG_SYNC, &ev)) ==
                           LIBEVDEV_READ_STATUS_SYNC)
                        if (core->feed(to_pad_event(ev)))
                            publish(block, core->state());
                    continue;
                }
                if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
                    if (core->feed(to_pad_event(ev)))
                        publish(block, core->state());
                    continue;
                }
                if (rc != -EAGAIN)
                    gone = true;
                break;
            }
            // Between frames: a finger that landed may have come to count.
            for (int64_t at; core && (at = core->next_change_us()) >= 0 && at <= monotonic_now_us();)
                if (core->tick(at))
                    publish(block, core->state());
        }
        if (core)
            publish(block, core->lift_all());
        x.restore();
        if (gone) {
            fprintf(stderr, "vorellpad: %s is gone; waiting for it to come back\n", pad->node.c_str());
            pad.reset();
            if (!u.mon)
                return kExitDevice;
        }
    }
    return kExitOk;
}

int run_record(const PadOptions &options, const std::atomic<bool> &stop)
{
    Udev u;
    std::unique_ptr<OpenPad> pad = open_wanted_pad(options, u);
    if (!pad)
        return kExitDevice;
    FILE *out = fopen(options.record.c_str(), "w");
    if (!out) {
        fprintf(stderr, "vorellpad: cannot write %s: %s\n", options.record.c_str(), strerror(errno));
        return kExitRecording;
    }
    fputs(format_header(describe(pad->dev)).c_str(), out);
    fprintf(stderr, "vorellpad: recording %s into %s; stop with Ctrl+C\n", pad->node.c_str(),
            options.record.c_str());
    int status = kExitOk;
    while (!stop.load()) {
        struct pollfd fd = {pad->fd, POLLIN, 0};
        if (poll(&fd, 1, -1) < 0 && errno != EINTR)
            break;
        struct input_event ev;
        int rc;
        while ((rc = libevdev_next_event(pad->dev, LIBEVDEV_READ_FLAG_NORMAL, &ev)) >= 0) {
            if (rc == LIBEVDEV_READ_STATUS_SYNC)
                while (libevdev_next_event(pad->dev, LIBEVDEV_READ_FLAG_SYNC, &ev) ==
                       LIBEVDEV_READ_STATUS_SYNC)
                    fputs(format_event(to_pad_event(ev)).c_str(), out);
            else
                fputs(format_event(to_pad_event(ev)).c_str(), out);
        }
        if (rc != -EAGAIN) {
            fprintf(stderr, "vorellpad: %s is gone; the recording ends here\n", pad->node.c_str());
            break;
        }
        fflush(out);
    }
    if (fclose(out) != 0)
        status = kExitRecording;
    return status;
}
