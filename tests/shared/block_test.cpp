#include <gtest/gtest.h>

#include "block_fields.h"
#include "support.h"
#include "touchpad_block.h"

TEST(BlockFields, NamesEveryFieldOnceAndInsideTheBlock)
{
    int count = 0;
    for (const BlockField *f = kBlockFields; f->name; ++f, ++count) {
        EXPECT_EQ(f->offset % 4, 0) << f->name;
        EXPECT_LE(f->offset + (f->type == kBlockDouble ? 8 : 4), static_cast<int>(kTouchpadShmSize))
            << f->name;
        EXPECT_EQ(find_block_field(f->name), f) << f->name;
    }
    // 7 header/contact words, 2 x 20 finger words, 81 parameters: a field
    // turned into a reserved word (which no table shows) or dropped from the
    // list, even one that no program reads, fails here.
    EXPECT_EQ(count, 7 + 40 + 81);
    EXPECT_EQ(find_block_field("newstructfingers.F")->offset, 132);
    EXPECT_EQ(find_block_field("DragSlider")->type, kBlockDouble);
    EXPECT_EQ(find_block_field("report_sequence"), nullptr);
}
