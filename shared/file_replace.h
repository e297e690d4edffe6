// Writing a settings file so that it is never lost: the new text goes into a
// fresh file beside the old one, reaches the disk, and is then renamed over
// the old name. A reader sees the old file or the new one, never a part, and
// a write that fails leaves the old file as it was.
#pragma once

#include <string>

// Replaces the file at path by one holding text. A link at path is followed
// (the file it names is replaced, the link stays). The new file gets the old
// one's permissions, or 0666 less the umask when there was none. The folder
// must exist. False, with the reason in *why ("No space left on device"),
// when the file could not be written; then nothing has changed.
bool replace_file(const std::string &path, const std::string &text, std::string *why);

// Writes the whole of text to fd, going on after a signal or a short write.
// False when a write fails (errno says why).
bool write_all(int fd, const std::string &text);

// Makes the folder and the ones above it that are missing (mode 0700 for
// new ones, as for a user's configuration). False, with the reason in *why.
bool make_folders(const std::string &folder, std::string *why);
