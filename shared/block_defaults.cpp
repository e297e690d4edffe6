#include "block_defaults.h"

#include <cstring>

#include "touchpad_block.h"

void fill_default_block(void *mem)
{
    memset(mem, 0, kTouchpadShmSize);
    TouchpadSharedBlock b{};
    b.TP_Version = 1;
    b.NewStruct = 1;
    // driver tuning
    b.MaxTapTime = 180;
    b.MaxTapMove = 220;
    b.SingleTapTimeout = 180;
    b.MaxDoubleTapTime = 180;
    b.ClickTime = 100;
    b.EmulateMidButtonTime = 75;
    b.VertScrollDelta = 100;
    b.HorizScrollDelta = 100;
    b.MinSpeed = 0.4;
    b.MaxSpeed = 0.7;
    b.AccelFactor = 0.0015;
    b.UpDownScrolling = 1;
    b.LeftRightScrolling = 1;
    b.UpDownScrollRepeat = 1;
    b.LeftRightScrollRepeat = 1;
    b.ScrollButtonRepeat = 100;
    b.LockedDragTimeout = 5000;
    b.TapButton1 = 1;
    b.GrabEventDevice = 1;
    // settings panel
    b.TappingCheckBox = 1;
    b.TwoFTComboBox = 1;    // right click
    b.ThreeFTComboBox = 2;  // middle click
    b.TappingDelayComboBox = 5;
    b.CursorDelayComboBox = 5;
    b.GestureDelayComboBox = 5;
    b.CoverDelayComboBox = 5;
    b.PalmtrackDelayComboBox = 5;
    b.VerticalScrollingCheckBox = 1;
    b.HorizontalScrollingCheckBox = 1;
    b.ScrollingSpeedSlider = 8;
    b.ZoomCheckBox = 1;
    b.ZoomOutComboBox = 2;  // control + wheel down
    b.ZoomInComboBox = 3;   // control + wheel up
    b.ZoomSlider = 8;
    b.RotationCheckBox = 1;
    b.ClockwiseComboBox = 2;
    b.CounterclosewiseComboBox = 3;
    b.RotationSlider = 8;
    b.DragCheckBox = 1;
    b.LiftReleaseRadioButton = 1;
    b.DragSlider = 2.0;
    b.SwipePageCheckBox = 1;
    b.MyHomeFileCheckBox = 1;
    b.SwitchWindowsCheckBox = 1;
    b.CovergestureSlider = 12;
    b.CovergestureComboBox = 16;  // close window
    b.PalmTrackingSlider = 4;
    memcpy(mem, &b, sizeof b);
}
