// The recording parser: both axis forms, with and without a header, every
// shipped recording, and bad files with the line and what was expected.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "recording.h"

namespace {

bool parse(const std::string &text, Recording *rec, std::string *error)
{
    return parse_recording(text.data(), text.size(), "t.evemu", rec, error);
}

TEST(Recording, FiveAndSixFieldAxesWithOrWithoutHeader)
{
    Recording rec;
    std::string error;
    ASSERT_TRUE(
        parse("# EVEMU 1.2\nN: Pad\nI: 0011 0002 0007 0001\nP: 05 00\n"
              "A: 35 0 1600 0 0 16\nA: 36 10 900 2 0\n"
              "E: 1.000100 0003 0035 700\nE: 1.000100 0000 0000 0000\t# comment\n",
              &rec, &error))
        << error;
    EXPECT_TRUE(rec.has_header);
    EXPECT_EQ(rec.description.name, "Pad");
    EXPECT_EQ(rec.description.product, 7);
    EXPECT_TRUE(rec.description.has_prop(INPUT_PROP_POINTER));
    EXPECT_TRUE(rec.description.has_prop(INPUT_PROP_BUTTONPAD));
    EXPECT_EQ(rec.description.abs[ABS_MT_POSITION_X].resolution, 16);
    EXPECT_EQ(rec.description.abs[ABS_MT_POSITION_Y].minimum, 10);
    EXPECT_EQ(rec.description.abs[ABS_MT_POSITION_Y].resolution, 0);
    ASSERT_EQ(rec.events.size(), 2u);
    EXPECT_EQ(rec.events[0].time_us, 1000100);

    Recording bare;
    ASSERT_TRUE(parse("E: 0.0 0003 0035 100\nE: 0.01 0003 0035 300\nE: 0.01 0000 0000 0\n", &bare, &error))
        << error;
    EXPECT_FALSE(bare.has_header);
    EXPECT_EQ(bare.description.abs[ABS_MT_POSITION_X].minimum, 100) << "range from the events";
    EXPECT_EQ(bare.description.abs[ABS_MT_POSITION_X].maximum, 300);
    EXPECT_EQ(bare.events[1].time_us, 10000);
}

TEST(Recording, EveryShippedRecordingParsesAndRoundTrips)
{
    DIR *dir = opendir(PAD_RECORDINGS);
    ASSERT_NE(dir, nullptr);
    int files = 0;
    while (struct dirent *e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() < 6 || name.substr(name.size() - 6) != ".evemu")
            continue;
        ++files;
        Recording rec;
        std::string error;
        ASSERT_TRUE(read_recording(std::string(PAD_RECORDINGS) + "/" + name, &rec, &error)) << error;
        std::string text = format_header(rec.description);
        for (const PadEvent &ev : rec.events)
            text += format_event(ev);
        Recording again;
        ASSERT_TRUE(parse(text, &again, &error)) << name << ": " << error;
        EXPECT_EQ(again.events.size(), rec.events.size()) << name;
        EXPECT_EQ(again.description.props, rec.description.props) << name;
        for (int c = 0; c < kPadAbsCount; ++c)
            EXPECT_EQ(again.description.abs[c].maximum, rec.description.abs[c].maximum) << name;
    }
    closedir(dir);
    EXPECT_EQ(files, 10);
}

struct BadCase {
    const char *what;
    std::string text;
    const char *error;  // the start of the message
};

TEST(Recording, BadFilesSayWhereAndWhatWasExpected)
{
    const std::string head = "N: Pad\nA: 35 0 100 0 0\n";
    const BadCase cases[] = {
        {"empty", "", "t.evemu:1: expected at least one \"E: seconds.micros"},
        {"header only", head, "t.evemu:2: expected at least one \"E:"},
        {"truncated event", head + "E: 0.1 0003\n", "t.evemu:3: expected \"E: seconds.micros"},
        {"truncated last line", head + "E: 0.1 0003 0035 5\nE: 0.2 00", "t.evemu:4: expected \"E:"},
        {"garbage", head + "hello\n", "t.evemu:3: expected a line beginning with N:"},
        {"binary", std::string("E: 0.1 0003 0035 5\n\x01\x02\0x", 23), "t.evemu:2: expected"},
        {"axis short", "A: 35 0 100\n", "t.evemu:1: expected \"A: code min max"},
        {"axis code too large", "A: 45 0 100 0 0\n", "t.evemu:1: expected \"A: code"},
        {"min above max", "A: 35 100 0 0 0\n", "t.evemu:1: expected an axis minimum not above"},
        {"negative resolution", "A: 35 0 100 0 0 -3\n", "t.evemu:1: expected a fuzz, flat"},
        {"value beyond 32 bits", "E: 0.1 0003 0035 99999999999\n", "t.evemu:1: expected \"E:"},
        {"type beyond the kernel's", "E: 0.1 0020 0000 0\n", "t.evemu:1: expected \"E:"},
        {"abs code beyond the kernel's", "E: 0.1 0003 0040 0\n",
         "t.evemu:1: expected an absolute axis code below 40"},
        {"time going back", "E: 2.0 0000 0000 0\nE: 1.0 0000 0000 0\n",
         "t.evemu:2: expected an event time not before"},
        {"seven-digit micros", "E: 0.1234567 0000 0000 0\n", "t.evemu:1: expected \"E:"},
        {"bad ids", "I: 11 zz 0 0\n", "t.evemu:1: expected \"I: bustype"},
    };
    for (const BadCase &c : cases) {
        Recording rec;
        rec.events.push_back(PadEvent{});  // must stay untouched on failure
        std::string error;
        EXPECT_FALSE(parse(c.text, &rec, &error)) << c.what;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.what << ": " << error;
        EXPECT_EQ(rec.events.size(), 1u) << c.what;
    }
}

TEST(Recording, UnreadableFileIsAnError)
{
    Recording rec;
    std::string error;
    EXPECT_FALSE(read_recording("/nonexistent/x.evemu", &rec, &error));
    EXPECT_NE(error.find("/nonexistent/x.evemu: cannot be read"), std::string::npos) << error;
}

// What is read is bounded: a folder or a device is refused before reading,
// and a file or a pipe longer than a recording may be stops at the limit.
TEST(Recording, ReadingIsBoundedAndRefusesWhatIsNoFile)
{
    const std::string dir = testing::TempDir() + "recording_bounds";
    mkdir(dir.c_str(), 0700);
    const std::string link = dir + "/zero.evemu", big = dir + "/big.evemu", fifo = dir + "/pipe.evemu";
    ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "E: 0.000000 0000 0000 0\n";  // 24 bytes each
    std::ofstream(big) << lines;
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The pipe's writer: twice the file, then it closes. The reader may
    // close first: the write then fails instead of ending the test.
    signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        if (fd >= 0) {
            const std::string twice = lines + lines;
            (void)!write(fd, twice.data(), twice.size());
            close(fd);
        }
    });

    RecordingLimits small;
    small.max_bytes = 4096;
    small.max_lines = 100;
    struct Case {
        std::string path;
        const char *error;
    } cases[] = {
        {dir, "recording_bounds: is a folder, not a recording"},
        {"/dev/zero", "/dev/zero: is a device, not a recording"},
        {link, "zero.evemu: is a device, not a recording"},
        {big, "big.evemu: is 4800 bytes; a recording has at most 4096"},
        {fifo, "pipe.evemu: stopped reading after 4096 bytes"},
    };
    for (const Case &c : cases) {
        Recording rec;
        std::string error;
        EXPECT_FALSE(read_recording(c.path, &rec, &error, small)) << c.path;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    writer.join();

    small.max_bytes = 8192;
    Recording rec;
    std::string error;
    EXPECT_FALSE(read_recording(big, &rec, &error, small));
    EXPECT_EQ(error, big + ":101: stopped reading: a recording has at most 100 lines");
    small.max_lines = 200;
    EXPECT_TRUE(read_recording(big, &rec, &error, small)) << error;

    for (const std::string &p : {link, big, fifo})
        unlink(p.c_str());
    rmdir(dir.c_str());
}

}  // namespace
