// Gestures in words, as the corpus is labelled: "scroll-down", "zoom-in",
// "tap-2", "auto-scroll", ... A recording says what a user expects from it
// in a "# expect: ..." line ("nothing" for no gesture).
//
// Two ways to find what a recording gives: in this process, through the
// real translation core and the engine's real sampler and recogniser (every
// published state seen, no threads, no X), or end to end (corpus_main.cpp).
// Both speak the same words, each stepping gesture once per run of equal
// steps.
#pragma once

#include <string>
#include <vector>

#include "recording.h"

using Words = std::vector<std::string>;

// The settings the corpus is judged with, as "Name=value" assignments:
// every gesture on, each with an action of its own.
const Words &corpus_settings();

// The words of the "# expect:" line of a recording's text; false when it has
// none.
bool expected_words(const std::string &text, Words *out);
std::string join(const Words &words);
// Equal neighbours as one (the steps of a scroll, a zoom, a rotation), but
// every tap and drag on its own.
Words collapse(const Words &words);

// What the engine makes of the recording, in process. With trace, also
// one line per published state: its time, the finger state and the words
// it gave.
Words engine_words(const Recording &rec, std::vector<std::string> *trace = nullptr);
