// The labelled corpus: hands doing what users do on pads of every kind
// (scrolls in each direction, flicks, slow and fast pinches and spreads,
// rotations, two- and three-finger taps of real lengths, long rests, a
// finger resting while another points, thumbs and palms), each with the
// gestures a user expects from it. The same seed gives the same corpus.
#pragma once

#include <string>
#include <vector>

#include "hand_model.h"

std::vector<Take> corpus_takes();

// The file name of a take: "<pad>.<name>.evemu".
std::string take_file_name(const Take &take);
