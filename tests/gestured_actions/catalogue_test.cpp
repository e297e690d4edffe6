// The three selectable-action catalogues and the release of a held button,
// through the recorder: every code, the exact input in order, nothing else.
#include <gtest/gtest.h>

#include "action_recorder.h"
#include "selectable_actions.h"

namespace {

using Events = std::vector<std::string>;

struct CatalogueCase {
    int32_t code;
    Events expected;
};

const Events kControlClick5 = {"key+ Control_L", "button+ 5", "button- 5", "key- Control_L"};
const Events kControlClick4 = {"key+ Control_L", "button+ 4", "button- 4", "key- Control_L"};
const Events kAltF9 = {"key+ Alt_L", "key+ F9", "key- F9", "key- Alt_L"};
const Events kAltF10 = {"key+ Alt_L", "key+ F10", "key- F10", "key- Alt_L"};

const CatalogueCase kCommon[] = {
    {0, {"button+ 1"}},
    {1, {"button+ 3"}},
    {2, {"button+ 2"}},
    {3, {"key+ Alt_L", "key+ Right", "key- Right", "key- Alt_L"}},
    {4, {"key+ Alt_L", "key+ Left", "key- Left", "key- Alt_L"}},
    {5, kAltF10},
    {6, kAltF9},
    {7, {}},
    {8, {"tap Page_Down"}},
    {9, {"tap Page_Up"}},
    {10, {"click 5"}},
    {11, {"click 6"}},
    {12, {"click 7"}},
    {13, {"click 4"}},
    {14, kControlClick5},
    {15, kControlClick4},
    {16, {"key+ Alt_L", "tap F4", "key- Alt_L"}},
    {17, {"key+ Alt_L", "key+ Control_L", "key+ D", "key- D", "key- Control_L", "key- Alt_L"}},
    {18, {}},
    {-1, {}},
    {1000, {}},
};

const CatalogueCase kZoom[] = {
    {0, {"tap Page_Up"}},
    {1, {"tap Page_Down"}},
    {2, kControlClick5},
    {3, kControlClick4},
    {4, kAltF9},
    {5, kAltF10},
    {6, {}},
    {-1, {}},
};

const CatalogueCase kRotate[] = {
    {0, {"tap Page_Up"}},
    {1, {"tap Page_Down"}},
    {2, {"key+ Control_L", "key+ R", "key- R", "key- Control_L"}},
    {3, {"key+ Control_L", "key+ L", "key- L", "key- Control_L"}},
    {4, kAltF9},
    {5, kAltF10},
    {6, {}},
    {-1, {}},
};

void check_catalogue(const CatalogueCase *cases, size_t n, void (*run)(const EnginePlatform &, int32_t),
                     const char *name)
{
    for (size_t i = 0; i < n; ++i) {
        use_recorder();
        run(recorder_platform, cases[i].code);
        EXPECT_EQ(recorded, cases[i].expected) << name << " code " << cases[i].code;
    }
}

}  // namespace

TEST(SelectableActions, CommonCatalogueSendsEachCodesInputInOrder)
{
    check_catalogue(kCommon, std::size(kCommon), run_common_action, "common");
}

TEST(SelectableActions, ZoomCatalogueSendsEachCodesInputInOrder)
{
    check_catalogue(kZoom, std::size(kZoom), run_zoom_action, "zoom");
}

TEST(SelectableActions, RotateCatalogueSendsEachCodesInputInOrder)
{
    check_catalogue(kRotate, std::size(kRotate), run_rotate_action, "rotate");
}

TEST(SelectableActions, LeftPressIsSkippedForAPhysicalButtonEntry)
{
    use_recorder();
    hold_gesture = 1;
    run_common_action(recorder_platform, 0);
    EXPECT_TRUE(recorded.empty());
    EXPECT_EQ(left_button_held, 0);
}

TEST(SelectableActions, HeldButtonsAreReleasedOneAtATimeLeftMiddleRight)
{
    use_recorder();
    run_common_action(recorder_platform, 1);  // right (3)
    run_common_action(recorder_platform, 2);  // middle (2)
    run_common_action(recorder_platform, 0);  // left (1)
    EXPECT_EQ(left_button_held + middle_button_held + right_button_held, 3);
    recorded.clear();

    release_held_button(recorder_platform);
    release_held_button(recorder_platform);
    release_held_button(recorder_platform);
    release_held_button(recorder_platform);  // nothing left
    EXPECT_EQ(recorded, (Events{"button- 1", "button- 2", "button- 3"}));
    EXPECT_EQ(left_button_held + middle_button_held + right_button_held, 0);
}
