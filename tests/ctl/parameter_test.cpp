#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "parameter_access.h"
#include "parameter_table.h"
#include "touchpad_block.h"

namespace {

std::string assign(TouchpadSharedBlock *b, const ParameterDescriptor *table, const char *arg)
{
    char buf[512] = {};
    FILE *out = fmemopen(buf, sizeof buf - 1, "w");
    apply_assignment(b, table, arg, out);
    fclose(out);
    return buf;
}

}  // namespace

// (Which rows each table has is the golden listings' and the README
// reference's to check.)
TEST(ParameterTables, RowsFitTheBlockAndRangesAreOrdered)
{
    for (const ParameterDescriptor *table : {kCtlParameters, kCtl2Parameters}) {
        for (const ParameterDescriptor *p = table; p->name; ++p) {
            int width = p->type == kBlockDouble ? 8 : 4;
            EXPECT_EQ(p->offset % 4, 0) << p->name;
            EXPECT_LE(p->offset + width, static_cast<int>(kTouchpadShmSize)) << p->name;
            EXPECT_LT(p->minimum, p->maximum) << p->name;
            if (p->type == kBlockFlag) {
                EXPECT_EQ(p->minimum, 0) << p->name;
                EXPECT_EQ(p->maximum, 1) << p->name;
            }
            EXPECT_EQ(find_parameter(table, p->name), p) << "duplicate name " << p->name;
        }
    }
}

// A field added to the block for the user to set needs a row in a table;
// only the single contact (the finger state the driver writes) has none.
TEST(ParameterTables, EveryParameterFieldOfTheBlockIsInATable)
{
    std::set<std::string> contact;
#define CONTACT(name, fingers) contact.insert(#name);
    FINGER_STATE_FIELDS(CONTACT, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef CONTACT
#define IN_A_TABLE(name, kind, offset, fresh)                                    \
    EXPECT_TRUE(contact.count(#name) || find_parameter(kCtlParameters, #name) || \
                find_parameter(kCtl2Parameters, #name))                          \
        << #name;
    TOUCHPAD_BLOCK_FIELDS(IN_A_TABLE, IN_A_TABLE, BLOCK_ROW_SKIPPED, BLOCK_ROW_SKIPPED)
#undef IN_A_TABLE
}

TEST(ParameterTables, SharedFieldsDifferOnlyWhereTheBuildsDisagree)
{
    const ParameterDescriptor *a = find_parameter(kCtlParameters, "MaxSpeed");
    const ParameterDescriptor *b = find_parameter(kCtl2Parameters, "MaxSpeed");
    EXPECT_EQ(a->maximum, 0.75);
    EXPECT_EQ(b->maximum, 1.0);
    EXPECT_EQ(find_parameter(kCtlParameters, "PalmTrackingSlider")->maximum, 15);
    EXPECT_EQ(find_parameter(kCtl2Parameters, "PalmTrackingSlider")->minimum, 1);
    EXPECT_EQ(find_parameter(kCtlParameters, "DragSlider"), nullptr);
    EXPECT_EQ(find_parameter(kCtl2Parameters, "MaxTapTime"), nullptr);
    // Rows 3 and 4 of the driver table run against the block order.
    EXPECT_STREQ(kCtlParameters[2].name, "MaxDoubleTapTime");
    EXPECT_EQ(kCtlParameters[2].offset, 200);
    EXPECT_STREQ(kCtlParameters[3].name, "SingleTapTimeout");
    EXPECT_EQ(kCtlParameters[3].offset, 196);
}

TEST(ParameterValue, ClampsBeforeRoundingHalfToEven)
{
    TouchpadSharedBlock b{};
    struct Case {
        const char *arg;
        int32_t TouchpadSharedBlock::*field;
        int32_t want;
    } cases[] = {
        {"FastTaps=0.6", &TouchpadSharedBlock::FastTaps, 1},
        {"FastTaps=0.5", &TouchpadSharedBlock::FastTaps, 0},
        {"TapButton1=2.5", &TouchpadSharedBlock::TapButton1, 2},
        {"TapButton1=3.5", &TouchpadSharedBlock::TapButton1, 4},
        {"MaxTapTime=5000", &TouchpadSharedBlock::MaxTapTime, 1000},
        {"MaxTapTime=-7", &TouchpadSharedBlock::MaxTapTime, 0},
        {"ScrollButtonRepeat=abc", &TouchpadSharedBlock::ScrollButtonRepeat, 10},
        {"maxtaptime=250", &TouchpadSharedBlock::MaxTapTime, 250},
        {"MaxTapTime=", &TouchpadSharedBlock::MaxTapTime, 0},
        {"MaxTapTime=  12.4xyz", &TouchpadSharedBlock::MaxTapTime, 12},
        {"MaxTapTime=1e2", &TouchpadSharedBlock::MaxTapTime, 100},
        {"MaxTapTime=0x20", &TouchpadSharedBlock::MaxTapTime, 32},
        {"TouchpadOff=inf", &TouchpadSharedBlock::TouchpadOff, 2},
        {"TouchpadOff=-inf", &TouchpadSharedBlock::TouchpadOff, 0},
        // no number at all: 0, then clamped
        {"ScrollButtonRepeat=nan", &TouchpadSharedBlock::ScrollButtonRepeat, 10},
        {"ScrollButtonRepeat=-nan", &TouchpadSharedBlock::ScrollButtonRepeat, 10},
        {"TapButton2=NaN(123)", &TouchpadSharedBlock::TapButton2, 0},
    };
    for (const Case &c : cases) {
        b.*c.field = 777;
        EXPECT_EQ(assign(&b, kCtlParameters, c.arg), "") << c.arg;
        EXPECT_EQ(b.*c.field, c.want) << c.arg;
    }
}

TEST(ParameterValue, DoublesAreStoredWholeAndNeverNaN)
{
    alignas(8) unsigned char raw[kTouchpadShmSize];
    memset(raw, 0xAB, sizeof raw);
    auto *b = reinterpret_cast<TouchpadSharedBlock *>(raw);
    assign(b, kCtl2Parameters, "DragSlider=2.25");
    EXPECT_EQ(block_get_double(raw, 484), 2.25);
    // exactly the 8 bytes at 484 changed
    for (size_t i = 0; i < sizeof raw; ++i) {
        if (i < 484 || i >= 492) {
            ASSERT_EQ(raw[i], 0xAB) << "byte " << i;
        }
    }

    assign(b, kCtlParameters, "MaxSpeed=2");
    EXPECT_EQ(block_get_double(raw, 240), 0.75);
    assign(b, kCtl2Parameters, "MaxSpeed=2");
    EXPECT_EQ(block_get_double(raw, 240), 1.0);
    assign(b, kCtl2Parameters, "MaxSpeed=nan");
    EXPECT_EQ(block_get_double(raw, 240), 0.025);
    assign(b, kCtl2Parameters, "DragSlider=-nan");
    EXPECT_EQ(block_get_double(raw, 484), 1.0);
    assign(b, kCtl2Parameters, "DragSlider=inf");
    EXPECT_EQ(block_get_double(raw, 484), 3.0);
}

TEST(ParameterAssignment, MessagesForBadArgumentsAndFirstEqualsSplits)
{
    TouchpadSharedBlock b{};
    EXPECT_EQ(assign(&b, kCtlParameters, "MaxTapTime"), "Invalid command: MaxTapTime\n");
    EXPECT_EQ(assign(&b, kCtlParameters, "Foo=1"), "Unknown parameter Foo\n");
    EXPECT_EQ(assign(&b, kCtlParameters, "DragSlider=2"), "Unknown parameter DragSlider\n");
    EXPECT_EQ(assign(&b, kCtlParameters, "=5"), "Unknown parameter \n");
    std::string longname(300, 'Q');
    EXPECT_EQ(assign(&b, kCtlParameters, (longname + "=1").c_str()), "Unknown parameter " + longname + "\n");
    // the value text keeps the second "=", and strtod stops there
    EXPECT_EQ(assign(&b, kCtlParameters, "MaxTapTime=30=40"), "");
    EXPECT_EQ(b.MaxTapTime, 30);
    EXPECT_EQ(assign(&b, kCtlParameters, "MaxTapTime==40"), "");
    EXPECT_EQ(b.MaxTapTime, 0);
}

TEST(ParameterListing, FormatsIntsAndDoublesInTableOrder)
{
    TouchpadSharedBlock b{};
    b.TP_Version = 2;
    b.HorizontalScrollingCheckBox = 1;
    b.DragSlider = 2.5;
    b.MinSpeed = 0.00001;
    char buf[8192] = {};
    FILE *out = fmemopen(buf, sizeof buf - 1, "w");
    print_listing(&b, kCtl2Parameters, out);
    fclose(out);
    std::string s = buf;
    EXPECT_EQ(s.rfind("Parameter settings:\n    TP_Version              = 2\n", 0), 0u);
    EXPECT_NE(s.find("\n    MinSpeed                = 1e-05\n"), std::string::npos);
    EXPECT_NE(s.find("\n    HorizontalScrollingCheckBox = 1\n"), std::string::npos);
    EXPECT_NE(s.find("\n    DragSlider              = 2.5\n"), std::string::npos);
    int rows = 0;
    while (kCtl2Parameters[rows].name)
        ++rows;
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 1 + rows) << "the title line, then one line a row";
}
