// Saved-settings listings and the commands they must give, shared by the
// restorer's tests.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// One line of a listing: name and value text, as `vorellctl2 -l` prints it.
using ListingRow = std::pair<std::string, std::string>;

// Every row of the vorellctl2 table with a distinct value per restored setting.
inline std::vector<ListingRow> sample_rows()
{
    return {
        {"TP_Version", "1"},
        {"NewStruct", "1"},
        {"MinSpeed", "0.4"},
        {"AccelFactor", "0.0015"},
        {"ByteMode", "0"},
        {"TouchpadOff", "2"},
        {"MaxSpeed", "0.7"},
        {"ButtonCheckBox", "1"},
        {"ButtonLeftComboBox", "3"},
        {"ButtonMiddleComboBox", "4"},
        {"ButtonRightComboBox", "5"},
        {"TappingCheckBox", "0"},
        {"TwoFTComboBox", "6"},
        {"ThreeFTComboBox", "7"},
        {"DisableWhenKeyCheckBox", "1"},
        {"TappingDelayComboBox", "8"},
        {"CursorDelayComboBox", "9"},
        {"GestureDelayComboBox", "10"},
        {"CoverDelayComboBox", "11"},
        {"PalmtrackDelayComboBox", "12"},
        {"VerticalScrollingCheckBox", "0"},
        {"HorizontalScrollingCheckBox", "1"},
        {"ScrollingSpeedSlider", "13"},
        {"AutoScrollCheckBox", "1"},
        {"ZoomCheckBox", "0"},
        {"ZoomOutComboBox", "14"},
        {"ZoomInComboBox", "4"},
        {"ZoomSlider", "2"},
        {"RotationCheckBox", "0"},
        {"ClockwiseComboBox", "1"},
        {"CounterclosewiseComboBox", "5"},
        {"RotationSlider", "3"},
        {"DragCheckBox", "0"},
        {"LiftReleaseRadioButton", "0"},
        {"TapAgainRadioButton", "1"},
        {"TapReleaseRadioButton", "1"},
        {"DragSlider", "2.5"},
        {"SwipePageCheckBox", "0"},
        {"FastKeyCheckBox", "1"},
        {"MyHomeFileCheckBox", "0"},
        {"SwitchWindowsCheckBox", "0"},
        {"CovergestureCheckBox", "1"},
        {"CovergestureSlider", "9"},
        {"CovergestureComboBox", "17"},
        {"PalmtrackingCheckBox", "1"},
        {"PalmTrackingSlider", "6"},
    };
}

// The exact 41 commands for sample_rows(), in the fixed order.
inline std::vector<std::string> sample_commands()
{
    return {
        "vorellctl2 TouchpadOff=2 ",
        "vorellctl2 MaxSpeed=0.7 ",
        "vorellctl2 ButtonCheckBox=1 ",
        "vorellctl2 ButtonLeftComboBox=3 ",
        "vorellctl2 ButtonMiddleComboBox=4 ",
        "vorellctl2 ButtonRightComboBox=5 ",
        "vorellctl2 TappingCheckBox=0 ",
        "vorellctl2 TwoFTComboBox=6 ",
        "vorellctl2 ThreeFTComboBox=7 ",
        "vorellctl2 DisableWhenKeyCheckBox=1 ",
        "vorellctl2  TappingDelayComboBox=8",
        "vorellctl2  CursorDelayComboBox=9",
        "vorellctl2  GestureDelayComboBox=10",
        "vorellctl2  CoverDelayComboBox=11",
        "vorellctl2  PalmtrackDelayComboBox=12",
        "vorellctl2 VerticalScrollingCheckBox=0 ",
        "vorellctl2 HorizontalScrollingCheckBox=1 ",
        "vorellctl2 ScrollingSpeedSlider=13 ",
        "vorellctl2 AutoScrollCheckBox=1 ",
        "vorellctl2 ZoomCheckBox=0 ",
        "vorellctl2 ZoomOutComboBox=14 ",
        "vorellctl2 ZoomInComboBox=4 ",
        "vorellctl2 ZoomSlider=2 ",
        "vorellctl2 RotationCheckBox=0 ",
        "vorellctl2 ClockwiseComboBox=1 ",
        "vorellctl2 CounterclosewiseComboBox=5 ",
        "vorellctl2 RotationSlider=3 ",
        "vorellctl2 DragCheckBox=0 ",
        "vorellctl2 LiftReleaseRadioButton=0 ",
        "vorellctl2 TapAgainRadioButton=1 ",
        "vorellctl2 TapReleaseRadioButton=1 ",
        "vorellctl2 DragSlider=2.5 ",
        "vorellctl2 SwipePageCheckBox=0 ",
        "vorellctl2 FastKeyCheckBox=1 ",
        "vorellctl2 MyHomeFileCheckBox=0 ",
        "vorellctl2 SwitchWindowsCheckBox=0 ",
        "vorellctl2 CovergestureCheckBox=1 ",
        "vorellctl2 CovergestureSlider=9 ",
        "vorellctl2 CovergestureComboBox=17 ",
        "vorellctl2 PalmtrackingCheckBox=1 ",
        "vorellctl2 PalmTrackingSlider=6 ",
    };
}

// The listing in the client's own layout.
inline std::string listing_of(const std::vector<ListingRow> &rows)
{
    std::string text = "Parameter settings:\n";
    char line[1024];
    for (const ListingRow &r : rows) {
        snprintf(line, sizeof line, "    %-23s = %s\n", r.first.c_str(), r.second.c_str());
        text += line;
    }
    return text;
}

inline void write_text(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}
