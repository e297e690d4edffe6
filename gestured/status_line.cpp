#include "status_line.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "saved_parameters.h"

namespace {

// The hand-over between the action thread and the writer. The mutex is held
// only to put a line in or take it out, never while writing: the action
// thread never waits for the disk. Made once and never destroyed: the
// writer waits on it to the end of the process, and destroying a condition
// a thread waits on (at exit) would hang.
struct Handover {
    std::mutex mutex;
    std::condition_variable wake;
    std::string pending;
    bool posted = false;
    std::string path;
    // Held while the file is written or removed, so that the end's removal
    // cannot be followed by a write already under way.
    std::mutex file;
    bool ended = false;
    void (*told_before)(void *ctx, const char *text) = nullptr;
};
// Set before the engine threads start, but after the signal thread, whose
// clean-up reads it: hence atomic.
std::atomic<Handover *> handover{nullptr};

void note(void *ctx, const char *text)
{
    Handover &h = *handover.load(std::memory_order_acquire);
    if (h.told_before)
        h.told_before(ctx, text);
    {
        std::lock_guard<std::mutex> lock(h.mutex);
        h.pending = text;
        h.posted = true;
    }
    h.wake.notify_one();
}

void *writer_thread(void *)
{
    Handover &h = *handover.load(std::memory_order_acquire);
    std::string line;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(h.mutex);
            h.wake.wait(lock, [&h] { return h.posted; });
            line.swap(h.pending);
            h.posted = false;
        }
        std::lock_guard<std::mutex> lock(h.file);
        if (!h.ended)
            write_private_file(h.path, line + "\n");
    }
    return nullptr;
}

}  // namespace

bool status_line_attach(EnginePlatform *platform, const std::string &path)
{
    unlink(path.c_str());
    auto *h = new Handover;
    h->path = path;
    h->told_before = platform->note_binding;
    handover.store(h, std::memory_order_release);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, writer_thread, nullptr) != 0)
        return false;
    pthread_detach(thread);
    platform->note_binding = note;
    return true;
}

void status_line_end()
{
    Handover *h = handover.load(std::memory_order_acquire);
    if (!h)
        return;
    std::lock_guard<std::mutex> lock(h->file);
    h->ended = true;
    unlink(h->path.c_str());
}
