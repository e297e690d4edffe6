// Every field of the touchpad's shared block, written once, in block order.
// The block's layout and its compile-time offset checks (touchpad_block.h),
// the table of fields by name (block_fields.cpp), the starting values of a
// new block (block_defaults.cpp) and the engine's per-poll copy of the
// settings are made from this list; the parameter tables take each row's
// offset and type from the layout it gives.
//
// A row is one of
//   FIELD(name, kind, offset, fresh)   a field of the header, the single
//                                      contact or the user parameters
//   POLLED(name, kind, offset, fresh)  a user parameter that the engine
//                                      copies at every poll
//   FINGERS(name, offset)              one copy of the 80-byte finger record
//   RESERVED(name, offset)             a word that the driver leaves alone and
//                                      no parameter table names: the report
//                                      signal's two (report_signal.h), and
//                                      five that no program reads or writes
// where offset is the byte offset the block's layout is fixed at (the build
// fails if the struct puts the field anywhere else) and fresh is the value a
// newly created block starts with: what a settings panel would ship, the
// finger record layout the engine reads (NewStruct 1), no finger on the pad
// and no detection flag raised. Finger records and reserved words start at
// zero.
#pragma once

#include <cstdint>

// A field's kind: what its bytes hold, and the type of a parameter table's
// row (numbered as the tables number their types).
enum BlockFieldKind : int32_t {
    kBlockInt = 0,     // int32
    kBlockFlag = 1,    // int32 holding 0 or 1
    kBlockDouble = 2,  // IEEE double, 8 bytes on a 4-byte boundary
};

template <BlockFieldKind>
struct BlockFieldStorage {
    using type = int32_t;
};
template <>
struct BlockFieldStorage<kBlockDouble> {
    using type = double;
};

#define TOUCHPAD_BLOCK_FIELDS(FIELD, POLLED, FINGERS, RESERVED)             \
    /* header */                                                            \
    FIELD(TP_Version, kBlockInt, 0, 1)                                      \
    FIELD(ByteMode, kBlockInt, 4, 0)                                        \
    FIELD(NewStruct, kBlockInt, 8, 1)                                       \
    /* single contact */                                                    \
    FIELD(x, kBlockInt, 12, 0)                                              \
    FIELD(y, kBlockInt, 16, 0)                                              \
    FIELD(z, kBlockInt, 20, 0)                                              \
    FIELD(w, kBlockInt, 24, 0)                                              \
    /* finger records: NewStruct 0 makes the first current, 1 the second */ \
    FINGERS(OldStructFingers, 28)                                           \
    FINGERS(NewStructFingers, 108)                                          \
    /* user parameters and detection flags */                               \
    POLLED(MaxTapTime, kBlockInt, 188, 180)                                 \
    FIELD(MaxTapMove, kBlockInt, 192, 220)                                  \
    FIELD(SingleTapTimeout, kBlockInt, 196, 180)                            \
    FIELD(MaxDoubleTapTime, kBlockInt, 200, 180)                            \
    FIELD(ClickTime, kBlockInt, 204, 100)                                   \
    FIELD(FastTaps, kBlockFlag, 208, 0)                                     \
    FIELD(EmulateMidButtonTime, kBlockInt, 212, 75)                         \
    FIELD(VertScrollDelta, kBlockInt, 216, 100)                             \
    FIELD(HorizScrollDelta, kBlockInt, 220, 100)                            \
    FIELD(VertTwoFingerScroll, kBlockFlag, 224, 0)                          \
    FIELD(HorizTwoFingerScroll, kBlockFlag, 228, 0)                         \
    FIELD(MinSpeed, kBlockDouble, 232, 0.4)                                 \
    FIELD(MaxSpeed, kBlockDouble, 240, 0.7)                                 \
    FIELD(AccelFactor, kBlockDouble, 248, 0.0015)                           \
    FIELD(UpDownScrolling, kBlockFlag, 256, 1)                              \
    FIELD(LeftRightScrolling, kBlockFlag, 260, 1)                           \
    FIELD(UpDownScrollRepeat, kBlockFlag, 264, 1)                           \
    FIELD(LeftRightScrollRepeat, kBlockFlag, 268, 1)                        \
    FIELD(ScrollButtonRepeat, kBlockInt, 272, 100)                          \
    POLLED(TouchpadOff, kBlockInt, 276, 0)                                  \
    FIELD(LockedDrags, kBlockFlag, 280, 0)                                  \
    FIELD(LockedDragTimeout, kBlockInt, 284, 5000)                          \
    FIELD(RTCornerButton, kBlockInt, 288, 0)                                \
    FIELD(RBCornerButton, kBlockInt, 292, 0)                                \
    FIELD(LTCornerButton, kBlockInt, 296, 0)                                \
    FIELD(LBCornerButton, kBlockInt, 300, 0)                                \
    FIELD(TapButton1, kBlockInt, 304, 1)                                    \
    FIELD(TapButton2, kBlockInt, 308, 0)                                    \
    FIELD(TapButton3, kBlockInt, 312, 0)                                    \
    RESERVED(report_sequence, 316)                                          \
    RESERVED(report_publisher, 320)                                         \
    FIELD(GrabEventDevice, kBlockFlag, 324, 1)                              \
    RESERVED(reserved_328, 328)                                             \
    RESERVED(reserved_332, 332)                                             \
    RESERVED(reserved_336, 336)                                             \
    RESERVED(reserved_340, 340)                                             \
    RESERVED(reserved_344, 344)                                             \
    FIELD(ZoomIn, kBlockFlag, 348, 0)                                       \
    FIELD(ZoomOut, kBlockFlag, 352, 0)                                      \
    FIELD(RotateLeft, kBlockFlag, 356, 0)                                   \
    FIELD(RotateRight, kBlockFlag, 360, 0)                                  \
    FIELD(DragHoldButton, kBlockFlag, 364, 0)                               \
    POLLED(ButtonCheckBox, kBlockFlag, 368, 0)                              \
    POLLED(ButtonLeftComboBox, kBlockInt, 372, 0)                           \
    POLLED(ButtonMiddleComboBox, kBlockInt, 376, 0)                         \
    POLLED(ButtonRightComboBox, kBlockInt, 380, 0)                          \
    POLLED(TappingCheckBox, kBlockFlag, 384, 1)                             \
    POLLED(TwoFTComboBox, kBlockInt, 388, 1)   /* right click */            \
    POLLED(ThreeFTComboBox, kBlockInt, 392, 2) /* middle click */           \
    FIELD(DisableWhenKeyCheckBox, kBlockFlag, 396, 0)                       \
    FIELD(TappingDelayComboBox, kBlockInt, 400, 5)                          \
    FIELD(CursorDelayComboBox, kBlockInt, 404, 5)                           \
    FIELD(GestureDelayComboBox, kBlockInt, 408, 5)                          \
    FIELD(CoverDelayComboBox, kBlockInt, 412, 5)                            \
    FIELD(PalmtrackDelayComboBox, kBlockInt, 416, 5)                        \
    POLLED(VerticalScrollingCheckBox, kBlockFlag, 420, 1)                   \
    POLLED(HorizontalScrollingCheckBox, kBlockFlag, 424, 1)                 \
    POLLED(ScrollingSpeedSlider, kBlockInt, 428, 8)                         \
    POLLED(AutoScrollCheckBox, kBlockFlag, 432, 0)                          \
    POLLED(ZoomCheckBox, kBlockFlag, 436, 1)                                \
    POLLED(ZoomOutComboBox, kBlockInt, 440, 2) /* control + wheel down */   \
    POLLED(ZoomInComboBox, kBlockInt, 444, 3)  /* control + wheel up */     \
    POLLED(ZoomSlider, kBlockInt, 448, 8)                                   \
    POLLED(RotationCheckBox, kBlockFlag, 452, 1)                            \
    POLLED(ClockwiseComboBox, kBlockInt, 456, 2)                            \
    POLLED(CounterclosewiseComboBox, kBlockInt, 460, 3)                     \
    POLLED(RotationSlider, kBlockInt, 464, 8)                               \
    POLLED(DragCheckBox, kBlockFlag, 468, 1)                                \
    POLLED(LiftReleaseRadioButton, kBlockFlag, 472, 1)                      \
    POLLED(TapAgainRadioButton, kBlockFlag, 476, 0)                         \
    POLLED(TapReleaseRadioButton, kBlockFlag, 480, 0)                       \
    POLLED(DragSlider, kBlockDouble, 484, 2.0)                              \
    POLLED(SwipePageCheckBox, kBlockFlag, 492, 1)                           \
    POLLED(FastKeyCheckBox, kBlockFlag, 496, 0)                             \
    POLLED(MyHomeFileCheckBox, kBlockFlag, 500, 1)                          \
    POLLED(SwitchWindowsCheckBox, kBlockFlag, 504, 1)                       \
    POLLED(CovergestureCheckBox, kBlockFlag, 508, 0)                        \
    POLLED(CovergestureSlider, kBlockInt, 512, 12)                          \
    POLLED(CovergestureComboBox, kBlockInt, 516, 16) /* close window */     \
    FIELD(PalmtrackingCheckBox, kBlockFlag, 520, 0)                         \
    FIELD(PalmTrackingSlider, kBlockInt, 524, 4)                            \
    FIELD(DetectKbdIntr, kBlockFlag, 528, 0)                                \
    POLLED(DetectTapIntr, kBlockFlag, 532, 0)                               \
    POLLED(DetectGestureIntr, kBlockFlag, 536, 0)                           \
    POLLED(DetectCovergestureIntr, kBlockFlag, 540, 0)                      \
    FIELD(DetectPalmtrackIntr, kBlockFlag, 544, 0)                          \
    POLLED(DetectKT_310TapIntr, kBlockFlag, 548, 0)                         \
    FIELD(DragTimeoutRelease, kBlockFlag, 552, 0)

// The finger record's words, by offset inside the record: WORD(record, name,
// offset) for one int32, WORDS(record, name, offset, count) for an array of
// them. `record` is handed through to each row for users that list the words
// of one particular copy.
#define FINGER_RECORD_FIELDS(WORD, WORDS, record) \
    WORD(record, x2_1, 0)                         \
    WORD(record, y2_1, 4)                         \
    WORD(record, x2_2, 8)                         \
    WORD(record, y2_2, 12)                        \
    WORD(record, x3_1, 16)                        \
    WORD(record, y3_1, 20)                        \
    WORD(record, f, 24)                           \
    WORD(record, l, 28)                           \
    WORD(record, r, 32)                           \
    WORD(record, u, 36)                           \
    WORD(record, d, 40)                           \
    WORDS(record, multi, 44, 8)                   \
    WORD(record, m, 76)

// The finger state that a driver writes at every report: the words of the
// single contact (fields of the block above) and of the finger record, in
// the order the monitor prints them, which is also the order of a trace's
// columns. The finger state type (finger_state.h) and the engine's sample
// record are made from this list; the build fails if a word is missing or
// has no field of that name. A row is one of
//   CONTACT(name, fingers)   a word of the single contact
//   COUNT(name)              the finger count, written last
//   WORD(name, fingers)      a word of the finger record
//   WORDS(name, count)       an array of words of the finger record
// where fingers is the finger count whose position the word holds (a reader
// shows it only while that many fingers are down), 0 for a word that always
// counts.
#define FINGER_STATE_FIELDS(CONTACT, COUNT, WORD, WORDS) \
    CONTACT(x, 1)                                        \
    CONTACT(y, 1)                                        \
    CONTACT(z, 0)                                        \
    CONTACT(w, 0)                                        \
    COUNT(f)                                             \
    WORD(l, 0)                                           \
    WORD(r, 0)                                           \
    WORD(u, 0)                                           \
    WORD(d, 0)                                           \
    WORD(m, 0)                                           \
    WORDS(multi, 8)                                      \
    WORD(x2_1, 2)                                        \
    WORD(y2_1, 2)                                        \
    WORD(x2_2, 2)                                        \
    WORD(y2_2, 2)                                        \
    WORD(x3_1, 3)                                        \
    WORD(y3_1, 3)

// For the macro arguments of a list's users: a row kind that the user skips.
#define BLOCK_ROW_SKIPPED(...)
