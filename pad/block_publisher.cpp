#include "block_publisher.h"

#include <dirent.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "block_defaults.h"

namespace {

bool process_alive(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

std::string read_link(const std::string &path)
{
    char buf[256];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0)
        return "";
    buf[n] = 0;
    return buf;
}

std::string first_line(const std::string &path)
{
    std::ifstream in(path);
    std::string s;
    std::getline(in, s);
    return s;
}

// Mode 0600 and the desktop user as owner, so no other local user can attach
// the block and inject gestures.
bool restrict_block(int id, const BlockOwner &owner, std::string *message)
{
    struct shmid_ds ds;
    if (shmctl(id, IPC_STAT, &ds) != 0)
        return false;
    ds.shm_perm.mode = 0600;
    if (owner.set) {
        ds.shm_perm.uid = owner.uid;
        ds.shm_perm.gid = owner.gid;
    }
    if (shmctl(id, IPC_SET, &ds) != 0) {
        *message += std::string("vorellpad: cannot restrict the touchpad block to its user: ") +
                    strerror(errno) + "\n";
        return false;
    }
    return true;
}

// The pid of another running vorellpad attached to the segment id, or 0.
pid_t other_publisher(int shmid)
{
    const std::string my_ns = read_link("/proc/self/ns/ipc");
    const std::string wanted = std::to_string(shmid);
    char key_name[32];
    snprintf(key_name, sizeof key_name, "/SYSV%08x", static_cast<unsigned>(kTouchpadShmKey));
    DIR *dir = opendir("/proc");
    if (!dir)
        return 0;
    pid_t found = 0;
    while (struct dirent *e = readdir(dir)) {
        const pid_t pid = static_cast<pid_t>(atoi(e->d_name));
        if (pid <= 0 || pid == getpid())
            continue;
        const std::string base = std::string("/proc/") + e->d_name;
        if (first_line(base + "/comm") != "vorellpad")
            continue;
        if (read_link(base + "/ns/ipc") != my_ns)
            continue;
        std::ifstream maps(base + "/maps");
        std::string line;
        while (std::getline(maps, line)) {
            if (line.find(key_name) == std::string::npos)
                continue;
            // address perms offset dev inode path: the inode of a System V
            // mapping is its segment id.
            std::istringstream words(line);
            std::string a, p, o, d, inode;
            words >> a >> p >> o >> d >> inode;
            if (inode == wanted)
                found = pid;
        }
        if (found)
            break;
    }
    closedir(dir);
    return found;
}

}  // namespace

BlockClaim claim_block(const BlockOwner &owner, TouchpadSharedBlock **block, std::string *message)
{
    message->clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
        int id = shmget(kTouchpadShmKey, kTouchpadShmSize, IPC_CREAT | IPC_EXCL | 0600);
        bool created = id >= 0;
        if (!created) {
            if (errno != EEXIST) {
                *message =
                    std::string("vorellpad: cannot create the touchpad block: ") + strerror(errno) + "\n";
                return BlockClaim::kFailed;
            }
            id = shmget(kTouchpadShmKey, 0, 0);
            if (id < 0) {
                if (errno == ENOENT)
                    continue;  // removed in between: try to create it again
                *message =
                    std::string("vorellpad: cannot open the touchpad block: ") + strerror(errno) + "\n";
                return BlockClaim::kFailed;
            }
            struct shmid_ds ds;
            if (shmctl(id, IPC_STAT, &ds) != 0) {
                *message =
                    std::string("vorellpad: cannot inspect the touchpad block: ") + strerror(errno) + "\n";
                return BlockClaim::kFailed;
            }
            if (ds.shm_segsz != kTouchpadShmSize) {
                *message =
                    "vorellpad: a touchpad block of another size exists; another driver "
                    "owns it\n";
                return BlockClaim::kFailed;
            }
            if (process_alive(ds.shm_cpid) && ds.shm_cpid != getpid()) {
                const std::string pid = std::to_string(ds.shm_cpid);
                if (first_line("/proc/" + pid + "/comm") == "vorellpad")
                    *message = "vorellpad: another vorellpad (process " + pid +
                               ") is publishing the touchpad block\n";
                else
                    *message =
                        "vorellpad: the touchpad block belongs to another running program "
                        "(process " +
                        pid + "), probably the touchpad driver; not writing beside it\n";
                return BlockClaim::kHeldByOther;
            }
            if (pid_t other = other_publisher(id)) {
                *message = "vorellpad: another vorellpad (process " + std::to_string(other) +
                           ") is publishing the touchpad block\n";
                return BlockClaim::kHeldByOther;
            }
        }
        void *p = shmat(id, nullptr, 0);
        if (p == reinterpret_cast<void *>(-1)) {
            *message = std::string("vorellpad: cannot attach the touchpad block: ") + strerror(errno) + "\n";
            return BlockClaim::kFailed;
        }
        if (created)
            fill_default_block(p);
        restrict_block(id, owner, message);
        *block = static_cast<TouchpadSharedBlock *>(p);
        if (created) {
            *message += "vorellpad: created the touchpad block\n";
            return BlockClaim::kCreated;
        }
        *message += "vorellpad: took over the touchpad block left by an earlier run\n";
        return BlockClaim::kTakenOver;
    }
    *message = "vorellpad: the touchpad block keeps appearing and vanishing\n";
    return BlockClaim::kFailed;
}

void publish_state(TouchpadSharedBlock *block, const FingerState &s)
{
    write_finger_state(block, &TouchpadSharedBlock::NewStructFingers, s);
}
