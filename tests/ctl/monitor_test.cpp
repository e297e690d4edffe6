#include <gtest/gtest.h>

#include <string>

#include "monitor.h"

namespace {

const char kHeader[] =
    "    time     x    y   z   w  f  l r u d m     multi  x2_1 y2_1  x2_2 y2_2  x3_1 y3_1\n";

struct Monitor {
    MonitorState st;
    explicit Monitor(bool new_record) { monitor_init(&st, new_record, 1000.0); }
    std::string cycle(const TouchpadSharedBlock &b, double now = 1000.25)
    {
        char buf[4096] = {};
        FILE *out = fmemopen(buf, sizeof buf - 1, "w");
        monitor_cycle(&st, b, now, out);
        fclose(out);
        return buf;
    }
};

TouchpadSharedBlock block(int new_struct)
{
    TouchpadSharedBlock b{};
    b.NewStruct = new_struct;
    return b;
}

}  // namespace

TEST(Monitor, FirstCyclePrintsHeaderAndLineThenOnlyChanges)
{
    Monitor m(true);
    TouchpadSharedBlock b = block(1);
    b.x = 500;
    b.y = 400;
    b.z = 30;
    b.w = 4;
    b.NewStructFingers.f = 1;
    EXPECT_EQ(m.cycle(b),
              std::string(kHeader) +
                  "   0.250   500  400  30   4  1  0 0 0 0 0  00000000     0    0     0    0     0    0\n");
    EXPECT_EQ(m.cycle(b), "");
    // a parameter, the other record or TP_Version: not watched
    b.MaxTapTime = 9;
    b.OldStructFingers.f = 3;
    b.TP_Version = 7;
    EXPECT_EQ(m.cycle(b), "");
    // z is watched by the monitor
    b.z = 31;
    EXPECT_EQ(m.cycle(b, 1001.5),
              "   1.500   500  400  31   4  1  0 0 0 0 0  00000000     0    0     0    0     0    0\n");
}

TEST(Monitor, ColumnsFollowTheFingerCount)
{
    Monitor m(true);
    TouchpadSharedBlock b = block(1);
    b.x = 11;
    b.y = 12;
    FingerRecord &r = b.NewStructFingers;
    r.x2_1 = 21, r.y2_1 = 22, r.x2_2 = 23, r.y2_2 = 24, r.x3_1 = 31, r.y3_1 = 32;
    r.f = 2;
    m.cycle(b);
    r.f = 3;
    EXPECT_EQ(m.cycle(b),
              "   0.250     0    0   0   0  3  0 0 0 0 0  00000000     0    0     0    0    31   32\n");
    r.f = 4;
    EXPECT_EQ(m.cycle(b),
              "   0.250     0    0   0   0  4  0 0 0 0 0  00000000     0    0     0    0     0    0\n");
    r.f = 2;
    EXPECT_EQ(m.cycle(b),
              "   0.250     0    0   0   0  2  0 0 0 0 0  00000000    21   22    23   24     0    0\n");
    // the middle button stands before the eight multi digits
    r.m = 1;
    r.multi[7] = 1;
    EXPECT_EQ(m.cycle(b),
              "   0.250     0    0   0   0  2  0 0 0 0 1  00000001    21   22    23   24     0    0\n");
}

TEST(Monitor, PrintsOnlyWhileNewStructSelectsThisBuildsRecord)
{
    Monitor ctl2(true);
    TouchpadSharedBlock b = block(0);
    b.NewStructFingers.f = 1;
    EXPECT_EQ(ctl2.cycle(b), "");  // not even the header
    EXPECT_EQ(ctl2.cycle(b), "");
    b.NewStruct = 1;
    // the change is still pending, because nothing was taken as seen
    EXPECT_EQ(ctl2.cycle(b).rfind(kHeader, 0), 0u);

    Monitor ctl(false);
    TouchpadSharedBlock o = block(1);
    o.OldStructFingers.l = 1;
    EXPECT_EQ(ctl.cycle(o), "");
    o.NewStruct = 0;
    EXPECT_EQ(ctl.cycle(o),
              std::string(kHeader) +
                  "   0.250     0    0   0   0  0  1 0 0 0 0  00000000     0    0     0    0     0    0\n");
}

TEST(Monitor, HeaderBeforeLinesOneAndTwentyOne)
{
    Monitor m(true);
    TouchpadSharedBlock b = block(1);
    std::string all;
    for (int i = 0; i < 41; ++i) {
        b.w = i;
        all += m.cycle(b);
    }
    size_t headers = 0, lines = 0, pos = 0;
    std::string text = all;
    while ((pos = text.find('\n')) != std::string::npos) {
        std::string line = text.substr(0, pos + 1);
        text.erase(0, pos + 1);
        if (line == kHeader) {
            EXPECT_TRUE(lines == 0 || lines == 20 || lines == 40) << "header after line " << lines;
            ++headers;
        } else {
            ++lines;
        }
    }
    EXPECT_EQ(lines, 41u);
    EXPECT_EQ(headers, 3u);
}
