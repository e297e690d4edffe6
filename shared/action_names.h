// The names of the actions that a combo-box parameter picks by number: the
// common catalogue (remapped buttons, two- and three-finger taps, the cover
// gesture), the zoom catalogue and the rotation catalogue. The engine carries
// the actions out (gestured/actions/selectable_actions.cpp); these are the
// words people read for each number, in the settings window and the README.
#pragma once

enum class ActionCatalogue { kCommon, kZoom, kRotation };

// How many codes the catalogue names; they run from 0 up.
int action_count(ActionCatalogue catalogue);

// The name of code in the catalogue, or nullptr for a code that the
// catalogue does not hold (the engine does nothing for those).
const char *action_name(ActionCatalogue catalogue, int code);
