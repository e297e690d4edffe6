// Realistic touchpad recordings made from a description of a hand: pads of
// several sizes, resolutions, slot counts and axes; fingers that land and
// lift one after the other, settle as they land and roll off as they lift,
// tremble, drift and press; what the kernel sends for them (only changed
// values, the lowest free slot, new tracking IDs, the single-touch and
// BTN_TOOL_* emulation), written as evemu text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PadModel {
    std::string name;
    int32_t width = 0, height = 0;  // units, from 0
    int32_t res_x = 0, res_y = 0;   // units per mm reported; 0 for none
    double mm_x = 0, mm_y = 0;      // the pad's real size
    int slots = 2;
    enum Axes { kPositionsOnly, kPressure, kTouchMajor, kMajorMinorWidth } axes = kPositionsOnly;
    bool clickpad = false;
    double hz = 125;           // reports per second
    double tremble_mm = 0.08;  // position noise per report
};

// The pads the corpus is made on.
const std::vector<PadModel> &corpus_pads();
const PadModel &corpus_pad(const std::string &name);

// A point on the pad, millimetres from its top left corner.
struct Mm {
    double x = 0, y = 0;
};

// One finger's way: where it is at given moments (seconds from the start
// of the recording), moving between them with the smooth speed profile of a
// hand (slow, fast, slow).
struct Way {
    struct Key {
        double t;
        Mm at;
    };
    std::vector<Key> keys;
    // Straight at constant speed between keys instead: for keys that
    // already trace the hand's speed.
    bool linear = false;
    Way &at(double t, Mm p);
    Mm where(double t) const;
};

struct Finger {
    Way way;
    double down = 0, up = 0;   // seconds
    double size_mm = 9;        // contact length once it has landed
    double pressure = 0.25;    // share of the pressure axis once landed
    double drift_mm_s = 0.15;  // slow wandering of a resting finger
    // Times at which the pad loses the finger and finds it again under a
    // new tracking ID (in the same report, or one report later with gap).
    std::vector<double> id_splits;
    bool split_gap = false;
    // Lands exactly where its slot's last contact was: the kernel then sends
    // the new tracking ID without any position.
    bool lands_in_place = false;
};

struct Take {
    std::string name;  // without the pad's name
    std::string pad;
    std::vector<Finger> fingers;
    std::vector<std::pair<double, double>> clicks;  // button held, seconds
    std::string expect;                             // the gestures a user expects, "" for none
    uint32_t seed = 1;
};

// The recording of a take: evemu text, "# expect: ..." in its header.
std::string record_take(const Take &take);
