// The action bar's Revert and Defaults on a block. Revert reads the saved
// listing (~/.vorellshm) with the restorer's own reader and applies each
// setting it finds as the restorer's vorellctl2 command would; Defaults
// stores every shown setting's fresh-block value through the
// parameter client's clamping and store.
#pragma once

#include <cstdio>
#include <string>

// Applies the settings a saved listing gives; returns how many it gave (0:
// nothing was changed).
int apply_saved_listing(void *block, FILE *saved);

struct RevertOutcome {
    bool changed;      // false: the block was left as it was
    std::string text;  // what happened, in words for the window
};

// Re-applies HOME/.vorellshm to the block. A file that is missing, cannot
// be read through to its end, is not a plain file or holds no setting
// changes nothing, and the outcome says which.
RevertOutcome revert_to_saved(void *block, const char *home);

// Every shown setting back to the value a fresh block starts with. The
// words that describe the driver's block (its version and record layout)
// are not settings and stay.
void put_back_defaults(void *block);
