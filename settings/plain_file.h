// Reading a small settings file whole, before anything is done with it: a
// read that fails half way must not leave half a change behind.
#pragma once

#include <string>

// Larger than any settings file the window reads; a bigger file is not one.
constexpr size_t kPlainFileMax = 1 << 20;

// The whole file in *text. Opened without blocking, so that a FIFO put at
// the name cannot hang the window, and only a plain file is read. False
// with the errno in *error (ENOENT: no such file) and the reason in words
// in *why.
bool read_plain_file(const std::string &path, std::string *text, int *error, std::string *why);
