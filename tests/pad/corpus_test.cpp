// The whole labelled corpus and every real recording through vorellpad's
// core and the engine's own sampler and recogniser, in process: each gives
// exactly the gestures it is labelled with, and nothing else.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "corpus_cases.h"
#include "corpus_run.h"
#include "gesture_words.h"

namespace {

// The drag logic runs on a thread of its own with waits of its own: a
// tap-and-drag is judged end to end only.
Words in_process(Words expected)
{
    expected.erase(std::remove(expected.begin(), expected.end(), "drag"), expected.end());
    return expected;
}

TEST(Corpus, EveryGeneratedRecordingGivesWhatItIsLabelledWith)
{
    int takes = 0;
    for (const Take &take : corpus_takes()) {
        const std::string text = record_take(take);
        Recording rec;
        std::string error;
        ASSERT_TRUE(parse_recording(text.data(), text.size(), take.name, &rec, &error)) << error;
        Words expected;
        ASSERT_TRUE(expected_words(text, &expected));
        EXPECT_EQ(join(engine_words(rec)), join(in_process(expected))) << take_file_name(take);
        ++takes;
    }
    EXPECT_GT(takes, 150);
}

TEST(Corpus, EveryRealRecordingGivesWhatItIsLabelledWith)
{
    DIR *dir = opendir(PAD_RECORDINGS);
    ASSERT_NE(dir, nullptr);
    while (struct dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 6 || name.substr(name.size() - 6) != ".evemu")
            continue;
        const std::string path = std::string(PAD_RECORDINGS) + "/" + name;
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        Words expected;
        ASSERT_TRUE(expected_words(text.str(), &expected)) << name;
        Recording rec;
        std::string error;
        ASSERT_TRUE(read_recording(path, &rec, &error)) << error;
        EXPECT_EQ(join(engine_words(rec)), join(in_process(expected))) << name;
    }
    closedir(dir);
}

// What reached the server, in the corpus' words.
TEST(Corpus, ServerLinesInWords)
{
    const std::vector<std::string> lines = {
        "ButtonPress 5",  "ButtonRelease 5", "ButtonPress 5",        "ButtonRelease 5",  "KeyPress Control_L",
        "ButtonPress 4",  "ButtonRelease 4", "KeyRelease Control_L", "KeyPress Alt_L",   "KeyPress Tab",
        "KeyRelease Tab", "KeyPress Tab",    "KeyRelease Tab",       "KeyRelease Alt_L", "KeyPress Control_L",
        "KeyPress r",     "KeyRelease r",    "KeyRelease Control_L", "ButtonPress 3",    "ButtonRelease 3",
        "KeyPress Next",
    };
    EXPECT_EQ(join(words_of_x_lines(lines)),
              "scroll-down zoom-in switch-windows switch-next rotate-cw tap-2 key-Next");
}

}  // namespace
