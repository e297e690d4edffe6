// Things another user could leave at the pid file's name, for the pid file
// tests: each is made in a scratch folder, with the file it must not touch.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pid_file.h"

struct PlantedPath {
    const char *what;
    PidFileRefusal refusal;
};

inline const std::vector<PlantedPath> &planted_paths()
{
    static const std::vector<PlantedPath> kinds = {
        {"fifo", PidFileRefusal::kNotRegular},
        {"link to a file", PidFileRefusal::kSymbolicLink},
        {"dangling link", PidFileRefusal::kSymbolicLink},
        {"file of another user", PidFileRefusal::kOtherOwner},
        {"directory", PidFileRefusal::kNotRegular},
        {"hard link", PidFileRefusal::kExtraLinks},
    };
    return kinds;
}

inline void put_text(const std::string &path, const char *text)
{
    FILE *f = fopen(path.c_str(), "w");
    if (f) {
        fputs(text, f);
        fclose(f);
    }
}

// Makes `what` at dir/idle.pid and returns that name; *guarded is the file
// that a write through it would change (or create), holding "keep\n" if it
// exists, or a name that must stay free.
inline std::string plant(const std::string &what, const std::string &dir, std::string *guarded)
{
    std::string name = dir + "/idle.pid";
    *guarded = dir + "/precious";
    if (what == "fifo") {
        mkfifo(name.c_str(), 0666);  // (nothing to read back: opening it would block)
    } else if (what == "link to a file") {
        put_text(*guarded, "keep\n");
        symlink(guarded->c_str(), name.c_str());
    } else if (what == "dangling link") {
        symlink(guarded->c_str(), name.c_str());
    } else if (what == "file of another user") {
        put_text(name, "keep\n");
        chown(name.c_str(), 65534, 65534);
        *guarded = name;
    } else if (what == "directory") {
        mkdir(name.c_str(), 0777);
        *guarded = name;
    } else if (what == "hard link") {
        put_text(*guarded, "keep\n");
        link(guarded->c_str(), name.c_str());
    }
    return name;
}
