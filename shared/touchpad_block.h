// The touchpad's shared block: the one record the driver publishes and every
// program of the suite attaches. Native i386 layout: int32 fields, doubles on
// 4-byte boundaries, 556 bytes in all.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kTouchpadShmKey = 29947;
constexpr std::size_t kTouchpadShmSize = 556;

#pragma pack(push, 4)

// Finger record (80 bytes); the block holds it twice and NewStruct says which
// copy is current.
struct FingerRecord {
    int32_t x2_1;
    int32_t y2_1;
    int32_t x2_2;
    int32_t y2_2;
    int32_t x3_1;
    int32_t y3_1;
    int32_t f;
    int32_t l;
    int32_t r;
    int32_t u;
    int32_t d;
    int32_t multi[8];
    int32_t m;
};

struct TouchpadSharedBlock {
    // header
    int32_t TP_Version;
    int32_t ByteMode;
    int32_t NewStruct;
    // single contact
    int32_t x;
    int32_t y;
    int32_t z;
    int32_t w;
    FingerRecord OldStructFingers;
    FingerRecord NewStructFingers;
    // user parameters and detection flags
    int32_t MaxTapTime;
    int32_t MaxTapMove;
    int32_t SingleTapTimeout;
    int32_t MaxDoubleTapTime;
    int32_t ClickTime;
    int32_t FastTaps;
    int32_t EmulateMidButtonTime;
    int32_t VertScrollDelta;
    int32_t HorizScrollDelta;
    int32_t VertTwoFingerScroll;
    int32_t HorizTwoFingerScroll;
    double MinSpeed;
    double MaxSpeed;
    double AccelFactor;
    int32_t UpDownScrolling;
    int32_t LeftRightScrolling;
    int32_t UpDownScrollRepeat;
    int32_t LeftRightScrollRepeat;
    int32_t ScrollButtonRepeat;
    int32_t TouchpadOff;
    int32_t LockedDrags;
    int32_t LockedDragTimeout;
    int32_t RTCornerButton;
    int32_t RBCornerButton;
    int32_t LTCornerButton;
    int32_t LBCornerButton;
    int32_t TapButton1;
    int32_t TapButton2;
    int32_t TapButton3;
    int32_t reserved_316;
    int32_t reserved_320;
    int32_t GrabEventDevice;
    int32_t reserved_328;
    int32_t reserved_332;
    int32_t reserved_336;
    int32_t reserved_340;
    int32_t reserved_344;
    int32_t ZoomIn;
    int32_t ZoomOut;
    int32_t RotateLeft;
    int32_t RotateRight;
    int32_t DragHoldButton;
    int32_t ButtonCheckBox;
    int32_t ButtonLeftComboBox;
    int32_t ButtonMiddleComboBox;
    int32_t ButtonRightComboBox;
    int32_t TappingCheckBox;
    int32_t TwoFTComboBox;
    int32_t ThreeFTComboBox;
    int32_t DisableWhenKeyCheckBox;
    int32_t TappingDelayComboBox;
    int32_t CursorDelayComboBox;
    int32_t GestureDelayComboBox;
    int32_t CoverDelayComboBox;
    int32_t PalmtrackDelayComboBox;
    int32_t VerticalScrollingCheckBox;
    int32_t HorizontalScrollingCheckBox;
    int32_t ScrollingSpeedSlider;
    int32_t AutoScrollCheckBox;
    int32_t ZoomCheckBox;
    int32_t ZoomOutComboBox;
    int32_t ZoomInComboBox;
    int32_t ZoomSlider;
    int32_t RotationCheckBox;
    int32_t ClockwiseComboBox;
    int32_t CounterclosewiseComboBox;
    int32_t RotationSlider;
    int32_t DragCheckBox;
    int32_t LiftReleaseRadioButton;
    int32_t TapAgainRadioButton;
    int32_t TapReleaseRadioButton;
    double DragSlider;
    int32_t SwipePageCheckBox;
    int32_t FastKeyCheckBox;
    int32_t MyHomeFileCheckBox;
    int32_t SwitchWindowsCheckBox;
    int32_t CovergestureCheckBox;
    int32_t CovergestureSlider;
    int32_t CovergestureComboBox;
    int32_t PalmtrackingCheckBox;
    int32_t PalmTrackingSlider;
    int32_t DetectKbdIntr;
    int32_t DetectTapIntr;
    int32_t DetectGestureIntr;
    int32_t DetectCovergestureIntr;
    int32_t DetectPalmtrackIntr;
    int32_t DetectKT_310TapIntr;
    int32_t DragTimeoutRelease;
};

#pragma pack(pop)

#define TPB_AT(field, off) static_assert(offsetof(TouchpadSharedBlock, field) == (off), #field)
static_assert(sizeof(FingerRecord) == 80, "finger record is 80 bytes");
static_assert(offsetof(FingerRecord, f) == 24 && offsetof(FingerRecord, multi) == 44 &&
                  offsetof(FingerRecord, m) == 76,
              "finger record layout");
static_assert(sizeof(TouchpadSharedBlock) == kTouchpadShmSize, "block is 556 bytes");
TPB_AT(TP_Version, 0); TPB_AT(ByteMode, 4); TPB_AT(NewStruct, 8);
TPB_AT(x, 12); TPB_AT(y, 16); TPB_AT(z, 20); TPB_AT(w, 24);
TPB_AT(OldStructFingers, 28); TPB_AT(NewStructFingers, 108);
TPB_AT(MaxTapTime, 188); TPB_AT(MaxTapMove, 192); TPB_AT(SingleTapTimeout, 196);
TPB_AT(MaxDoubleTapTime, 200); TPB_AT(ClickTime, 204); TPB_AT(FastTaps, 208);
TPB_AT(EmulateMidButtonTime, 212); TPB_AT(VertScrollDelta, 216); TPB_AT(HorizScrollDelta, 220);
TPB_AT(VertTwoFingerScroll, 224); TPB_AT(HorizTwoFingerScroll, 228);
TPB_AT(MinSpeed, 232); TPB_AT(MaxSpeed, 240); TPB_AT(AccelFactor, 248);
TPB_AT(UpDownScrolling, 256); TPB_AT(LeftRightScrolling, 260); TPB_AT(UpDownScrollRepeat, 264);
TPB_AT(LeftRightScrollRepeat, 268); TPB_AT(ScrollButtonRepeat, 272); TPB_AT(TouchpadOff, 276);
TPB_AT(LockedDrags, 280); TPB_AT(LockedDragTimeout, 284); TPB_AT(RTCornerButton, 288);
TPB_AT(RBCornerButton, 292); TPB_AT(LTCornerButton, 296); TPB_AT(LBCornerButton, 300);
TPB_AT(TapButton1, 304); TPB_AT(TapButton2, 308); TPB_AT(TapButton3, 312);
TPB_AT(reserved_316, 316); TPB_AT(reserved_320, 320); TPB_AT(GrabEventDevice, 324);
TPB_AT(reserved_328, 328); TPB_AT(reserved_344, 344);
TPB_AT(ZoomIn, 348); TPB_AT(ZoomOut, 352); TPB_AT(RotateLeft, 356); TPB_AT(RotateRight, 360);
TPB_AT(DragHoldButton, 364); TPB_AT(ButtonCheckBox, 368); TPB_AT(ButtonLeftComboBox, 372);
TPB_AT(ButtonMiddleComboBox, 376); TPB_AT(ButtonRightComboBox, 380); TPB_AT(TappingCheckBox, 384);
TPB_AT(TwoFTComboBox, 388); TPB_AT(ThreeFTComboBox, 392); TPB_AT(DisableWhenKeyCheckBox, 396);
TPB_AT(TappingDelayComboBox, 400); TPB_AT(CursorDelayComboBox, 404);
TPB_AT(GestureDelayComboBox, 408); TPB_AT(CoverDelayComboBox, 412);
TPB_AT(PalmtrackDelayComboBox, 416); TPB_AT(VerticalScrollingCheckBox, 420);
TPB_AT(HorizontalScrollingCheckBox, 424); TPB_AT(ScrollingSpeedSlider, 428);
TPB_AT(AutoScrollCheckBox, 432); TPB_AT(ZoomCheckBox, 436); TPB_AT(ZoomOutComboBox, 440);
TPB_AT(ZoomInComboBox, 444); TPB_AT(ZoomSlider, 448); TPB_AT(RotationCheckBox, 452);
TPB_AT(ClockwiseComboBox, 456); TPB_AT(CounterclosewiseComboBox, 460); TPB_AT(RotationSlider, 464);
TPB_AT(DragCheckBox, 468); TPB_AT(LiftReleaseRadioButton, 472); TPB_AT(TapAgainRadioButton, 476);
TPB_AT(TapReleaseRadioButton, 480); TPB_AT(DragSlider, 484); TPB_AT(SwipePageCheckBox, 492);
TPB_AT(FastKeyCheckBox, 496); TPB_AT(MyHomeFileCheckBox, 500); TPB_AT(SwitchWindowsCheckBox, 504);
TPB_AT(CovergestureCheckBox, 508); TPB_AT(CovergestureSlider, 512);
TPB_AT(CovergestureComboBox, 516); TPB_AT(PalmtrackingCheckBox, 520);
TPB_AT(PalmTrackingSlider, 524); TPB_AT(DetectKbdIntr, 528); TPB_AT(DetectTapIntr, 532);
TPB_AT(DetectGestureIntr, 536); TPB_AT(DetectCovergestureIntr, 540);
TPB_AT(DetectPalmtrackIntr, 544); TPB_AT(DetectKT_310TapIntr, 548);
TPB_AT(DragTimeoutRelease, 552);
#undef TPB_AT

// Looks the block up (never creating it) and attaches it read-write. On
// failure the reason has already been written to standard error and the
// result is nullptr; each caller picks its own exit status or retry.
TouchpadSharedBlock *attach_shared_block();

// Field access by byte offset, for the table-driven programs. The offsets come
// from constant tables checked against the layout above.
int32_t block_get_int(const void *block, int offset);
void block_set_int(void *block, int offset, int32_t value);
double block_get_double(const void *block, int offset);
void block_set_double(void *block, int offset, double value);
