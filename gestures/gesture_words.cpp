#include "gesture_words.h"

#include <strings.h>

namespace {

#define VORELL_BOUND_INFO(name, word, words, combo, catalogue, fixed, switch1, switch2) \
    {word, words, combo, ActionCatalogue::catalogue, fixed, {switch1, switch2}},
const BoundGestureInfo kInfo[kBoundGestureCount] = {VORELL_BOUND_GESTURES(VORELL_BOUND_INFO)};
#undef VORELL_BOUND_INFO

}  // namespace

const BoundGestureInfo &bound_gesture_info(BoundGesture gesture) { return kInfo[static_cast<int>(gesture)]; }

bool bound_gesture_from_word(const char *word, BoundGesture *out)
{
    for (int i = 0; i < kBoundGestureCount; ++i) {
        if (strcasecmp(kInfo[i].word, word) == 0) {
            *out = static_cast<BoundGesture>(i);
            return true;
        }
    }
    return false;
}

BoundGesture bound_gesture_at(int index) { return static_cast<BoundGesture>(index); }
