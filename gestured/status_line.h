// The last gesture the engine recognised and what it did, for the settings
// window: one line in a file of the user's private run-time folder, beside
// the engine's lock, rewritten for each gesture a binding can take (never for
// a scroll step). The words are the --debug trace's.
//
// Written like the saved parameters (write_private_file): mode 0600, through
// a fresh file renamed over the old one, no link followed. The action thread
// only hands the line over; a thread of its own writes it, so a slow disk
// never holds up a gesture; a line the writer has not taken yet is replaced
// by the newer one.
#pragma once

#include <string>

#include "platform.h"

// Removes what an earlier engine left at path, starts the writer and makes
// platform->note_binding also hand each line to it (what was there before,
// the --debug trace, still gets every line first). Call once, before the
// engine threads start. False, with nothing changed but the old file gone,
// when the writer cannot start.
bool status_line_attach(EnginePlatform *platform, const std::string &path);

// At the engine's end: the file goes and nothing writes it again, so the
// settings window never shows a gesture of an engine that is gone. Safe to
// call when the line was never attached.
void status_line_end();
