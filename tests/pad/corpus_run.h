// One recording end to end: a private desk (Xvfb, the recorder, the real
// gestured with the corpus settings), vorellpad --replay of the recording
// into its block, and what reached the X server in gesture words. Wheel
// clicks that keep coming after the replay has ended are "auto-scroll".
#pragma once

#include <memory>
#include <string>

#include "gesture_words.h"

class Desk;

// The words of X lines ("ButtonPress 5", "KeyPress Control_L", ...), each
// chord once, equal neighbours as one.
Words words_of_x_lines(const std::vector<std::string> &lines);

Words corpus_run(const std::string &recording_path);
