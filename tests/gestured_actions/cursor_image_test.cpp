// The six pointer images: valid X bitmaps, each usable as its own mask by
// the xsetroot command the engine runs, installed at the fixed path.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "support.h"

namespace {

const char *const kImages[] = {"V_Scroll", "H_Scroll", "Zoom_Out", "Zoom_In", "Right_Rotate", "Left_Rotate"};

std::string source_image(const std::string &name)
{
    return source_dir() + "/data/cursor_image/" + name + ".xbm";
}

}  // namespace

TEST(CursorImages, EachIsABitmapWithItsHotSpotInside)
{
    for (const char *name : kImages) {
        unsigned int w = 0, h = 0;
        unsigned char *bits = nullptr;
        int hx = -1, hy = -1;
        ASSERT_EQ(XReadBitmapFileData(source_image(name).c_str(), &w, &h, &bits, &hx, &hy), BitmapSuccess)
            << name;
        EXPECT_EQ(w, 32u) << name;
        EXPECT_EQ(h, 32u) << name;
        EXPECT_GE(hx, 0) << name;
        EXPECT_LT(hx, static_cast<int>(w)) << name;
        EXPECT_GE(hy, 0) << name;
        EXPECT_LT(hy, static_cast<int>(h)) << name;
        int set = 0;
        for (unsigned int i = 0; i < (w + 7) / 8 * h; ++i)
            set += __builtin_popcount(bits[i]);
        EXPECT_GT(set, 40) << name << " draws next to nothing";
        XFree(bits);
    }
}

TEST(CursorImages, XsetrootTakesEachAsCursorAndMask)
{
    Xvfb xvfb;
    for (const char *name : kImages) {
        const std::string path = source_image(name);
        RunResult r =
            run_program({"/usr/bin/xsetroot", "-cursor", path, path}, RunOptions{"", {xvfb.env()}, "", 20});
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(r.err, "") << name;
    }
}

TEST(CursorImages, InstallPutsAllSixUnderTheFixedFolder)
{
    const std::string dir = make_temp_dir();
    RunResult r = run_program({"cmake", "--install", VORELL_BUILD_DIR, "--component", "cursor_images"},
                              RunOptions{"", {"DESTDIR=" + dir}, "", 60});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    for (const char *name : kImages) {
        const std::string installed = dir + "/usr/share/vorelltouchpad_data/cursor_image/" + name + ".xbm";
        EXPECT_EQ(read_file(installed), read_file(source_image(name))) << installed;
    }
}
