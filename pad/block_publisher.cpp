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
#include "block_trust.h"
#include "report_signal.h"

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

std::string user_text(uid_t uid)
{
    char who[300];
    describe_user(uid, who, sizeof who);
    return who;
}

// Gives the block to the desktop user (when running as root for one), mode
// 0600, so that no other local user can attach it and inject gestures.
// Failing to is an error: the block is not used.
bool give_block(int id, const BlockOwner &owner, std::string *message)
{
    struct shmid_ds ds;
    if (shmctl(id, IPC_STAT, &ds) != 0) {
        *message += std::string("vorellpad: cannot inspect the touchpad block: ") + strerror(errno) + "\n";
        return false;
    }
    if (!owner.set || (ds.shm_perm.uid == owner.uid && ds.shm_perm.gid == owner.gid))
        return true;
    ds.shm_perm.uid = owner.uid;
    ds.shm_perm.gid = owner.gid;
    ds.shm_perm.mode = 0600;
    if (shmctl(id, IPC_SET, &ds) != 0) {
        *message += "vorellpad: cannot give the touchpad block to " + user_text(owner.uid) + ": " +
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

namespace {

BlockClaim create_block(int id, const BlockOwner &owner, TouchpadSharedBlock **block, std::string *message,
                        int *id_out)
{
    void *p = shmat(id, nullptr, 0);
    if (p == reinterpret_cast<void *>(-1)) {
        *message = std::string("vorellpad: cannot attach the touchpad block: ") + strerror(errno) + "\n";
        shmctl(id, IPC_RMID, nullptr);
        return BlockClaim::kFailed;
    }
    fill_default_block(p);
    if (!give_block(id, owner, message)) {
        shmdt(p);
        shmctl(id, IPC_RMID, nullptr);
        return BlockClaim::kFailed;
    }
    *block = static_cast<TouchpadSharedBlock *>(p);
    if (id_out)
        *id_out = id;
    *message += "vorellpad: created the touchpad block\n";
    return BlockClaim::kCreated;
}

BlockClaim take_over(int id, const BlockOwner &owner, TouchpadSharedBlock **block, std::string *message,
                     int *id_out)
{
    if (!give_block(id, owner, message))
        return BlockClaim::kFailed;
    void *p = shmat(id, nullptr, 0);
    if (p == reinterpret_cast<void *>(-1)) {
        *message = std::string("vorellpad: cannot attach the touchpad block: ") + strerror(errno) + "\n";
        return BlockClaim::kFailed;
    }
    *block = static_cast<TouchpadSharedBlock *>(p);
    if (id_out)
        *id_out = id;
    *message += "vorellpad: took over the touchpad block left by an earlier run\n";
    return BlockClaim::kTakenOver;
}

std::string held_message(pid_t pid)
{
    const std::string text = std::to_string(pid);
    if (first_line("/proc/" + text + "/comm") == "vorellpad")
        return "vorellpad: another vorellpad (process " + text + ") is publishing the touchpad block\n";
    return "vorellpad: the touchpad block belongs to another running program (process " + text +
           "), probably the touchpad driver; not writing beside it\n";
}

// A block of another user, or one that others may have attached writable:
// what is wrong with it, for the messages.
std::string unusable_what(const struct shmid_ds &ds, uid_t served)
{
    if (!block_trusted(ds.shm_perm, served)) {
        const uid_t stranger = block_stranger(ds.shm_perm, served);
        return (stranger == ds.shm_perm.cuid ? "made by user " : "belonging to user ") + user_text(stranger);
    }
    char mode[8];
    snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(ds.shm_perm.mode & 0777));
    return std::string("open to other users (mode ") + mode + ")";
}

}  // namespace

BlockClaim claim_block(const BlockOwner &owner, TouchpadSharedBlock **block, std::string *message,
                       int *id_out)
{
    message->clear();
    const uid_t served = owner.set ? owner.uid : kNoServedUser;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int id = shmget(kTouchpadShmKey, kTouchpadShmSize, IPC_CREAT | IPC_EXCL | 0600);
        if (id >= 0)
            return create_block(id, owner, block, message, id_out);
        if (errno != EEXIST) {
            *message = std::string("vorellpad: cannot create the touchpad block: ") + strerror(errno) + "\n";
            return BlockClaim::kFailed;
        }
        id = shmget(kTouchpadShmKey, 0, 0);
        if (id < 0) {
            if (errno == ENOENT)
                continue;  // removed in between: try to create it again
            *message = std::string("vorellpad: cannot open the touchpad block: ") + strerror(errno) + "\n";
            return BlockClaim::kFailed;
        }
        struct shmid_ds ds;
        if (shmctl(id, IPC_STAT, &ds) != 0) {
            *message = std::string("vorellpad: cannot inspect the touchpad block: ") + strerror(errno) + "\n";
            if (errno == EACCES)
                *message +=
                    "vorellpad: it is another user's; that user must end the program that made it, or root "
                    "must remove it with 'ipcrm -M 29947'\n";
            return BlockClaim::kForeign;
        }
        if (ds.shm_segsz != kTouchpadShmSize) {
            *message =
                "vorellpad: a touchpad block of another size exists; another driver "
                "owns it\n";
            return BlockClaim::kFailed;
        }
        const bool trusted = block_trusted(ds.shm_perm, served);
        const bool creator_alive = process_alive(ds.shm_cpid) && ds.shm_cpid != getpid();
        if (trusted && creator_alive) {
            *message = held_message(ds.shm_cpid);
            return BlockClaim::kHeldByOther;
        }
        const pid_t other = other_publisher(id);
        if (trusted && other) {
            *message = held_message(other);
            return BlockClaim::kHeldByOther;
        }
        if (trusted && block_closed_to_others(ds.shm_perm))
            return take_over(id, owner, block, message, id_out);

        // Another user's block, or one that others may have attached
        // writable: whoever holds a mapping keeps it through any later
        // change of owner or mode, so it is never used, only replaced.
        const std::string what = unusable_what(ds, served);
        if (creator_alive || other) {
            *message = "vorellpad: the touchpad block is " + what + ", and its program (process " +
                       std::to_string(creator_alive ? ds.shm_cpid : other) +
                       ") still runs; not using it. That user must end that program, or root must remove "
                       "the block with 'ipcrm -M 29947'.\n";
            return BlockClaim::kForeign;
        }
        const uid_t me = geteuid();
        if (me != 0 && me != ds.shm_perm.uid && me != ds.shm_perm.cuid) {
            *message = "vorellpad: the touchpad block is " + what +
                       "; not using it. Its user or root must remove it with 'ipcrm -M 29947'.\n";
            return BlockClaim::kForeign;
        }
        if (shmctl(id, IPC_RMID, nullptr) != 0) {
            *message = "vorellpad: cannot remove the touchpad block " + what + ": " + strerror(errno) + "\n";
            return BlockClaim::kFailed;
        }
        *message += "vorellpad: removed a touchpad block " + what + "\n";
    }
    *message += "vorellpad: the touchpad block keeps appearing and vanishing\n";
    return BlockClaim::kFailed;
}

void publish_state(TouchpadSharedBlock *block, const FingerState &s)
{
    write_finger_state(block, &TouchpadSharedBlock::NewStructFingers, s);
    report_signal_post(block);
}
