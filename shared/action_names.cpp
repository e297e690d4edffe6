#include "action_names.h"

#include <iterator>

namespace {

#define VORELL_ACTION_WORDS(name, words) words,
const char *const kCommonNames[] = {VORELL_COMMON_ACTIONS(VORELL_ACTION_WORDS)};
const char *const kZoomNames[] = {VORELL_ZOOM_ACTIONS(VORELL_ACTION_WORDS)};
const char *const kRotationNames[] = {VORELL_ROTATE_ACTIONS(VORELL_ACTION_WORDS)};
#undef VORELL_ACTION_WORDS

struct Names {
    const char *const *names;
    int count;
};

Names names_of(ActionCatalogue catalogue)
{
    switch (catalogue) {
    case ActionCatalogue::kCommon: return {kCommonNames, static_cast<int>(std::size(kCommonNames))};
    case ActionCatalogue::kZoom: return {kZoomNames, static_cast<int>(std::size(kZoomNames))};
    case ActionCatalogue::kRotation: return {kRotationNames, static_cast<int>(std::size(kRotationNames))};
    }
    return {nullptr, 0};
}

}  // namespace

int action_count(ActionCatalogue catalogue) { return names_of(catalogue).count; }

const char *action_name(ActionCatalogue catalogue, int code)
{
    Names n = names_of(catalogue);
    return code >= 0 && code < n.count ? n.names[code] : nullptr;
}
