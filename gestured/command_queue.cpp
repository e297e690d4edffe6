#include "command_queue.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "command_runner.h"

namespace {

constexpr size_t kMostWaiting = 16;
// The worker only spawns and waits: a small stack is plenty.
constexpr size_t kWorkerStackBytes = size_t{64} * 1024;

// Never destroyed: the worker waits on them for ever, and destroying a
// condition variable that a thread waits on blocks the process's exit.
struct CommandQueue {
    std::mutex mutex;
    std::condition_variable queued;
    std::deque<std::string> waiting;
    bool worker_started = false;
};
CommandQueue &queue = *new CommandQueue;

void *worker(void *)
{
    pthread_setname_np(pthread_self(), "gestured-cmds");
    std::unique_lock<std::mutex> lock(queue.mutex);
    for (;;) {
        queue.queued.wait(lock, [] { return !queue.waiting.empty(); });
        const std::string command = std::move(queue.waiting.front());
        queue.waiting.pop_front();
        lock.unlock();
        run_command_bounded(command.c_str());
        lock.lock();
    }
    return nullptr;
}

// Called with queue.mutex held. False when no thread could be made.
bool start_worker()
{
    if (queue.worker_started)
        return true;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kWorkerStackBytes);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    queue.worker_started = pthread_create(&thread, &attr, worker, nullptr) == 0;
    pthread_attr_destroy(&attr);
    return queue.worker_started;
}

}  // namespace

void run_command_in_order(const char *command)
{
    if (!command)
        return;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (start_worker()) {
            while (queue.waiting.size() >= kMostWaiting)
                queue.waiting.pop_front();
            queue.waiting.emplace_back(command);
            queue.queued.notify_one();
            return;
        }
    }
    run_command_bounded(command);  // no thread: run it here, as before
}
