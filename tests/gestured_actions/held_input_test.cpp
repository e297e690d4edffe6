// The record of what the engine holds down, and the production command
// runner that feeds it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "held_input_inspect.h"
#include "platform_x11.h"
#include "support.h"

TEST(HeldInput, XteKeyAndMouseWordsAreNotedDownBeforeAndUpAfter)
{
    held_input_clear();
    note_command_downs("/usr/local/bin/xte  'key Escape'");
    EXPECT_EQ(held_input_count(), 0);
    note_command_downs("/usr/local/bin/xte  'keydown Control_L'");
    note_command_downs("/usr/local/bin/xte 'keydown Left' 'mousedown 2'");
    EXPECT_TRUE(held_key_is_down("Control_L"));
    EXPECT_TRUE(held_key_is_down("Left"));
    EXPECT_TRUE(held_button_is_down(2));
    EXPECT_EQ(held_input_count(), 3);

    note_command_ups("/usr/local/bin/xte  'keyup Control_L' ");
    note_command_ups("/usr/local/bin/xte 'mouseup 2'");
    EXPECT_FALSE(held_key_is_down("Control_L"));
    EXPECT_FALSE(held_button_is_down(2));
    EXPECT_EQ(held_input_count(), 1);
    held_input_clear();
    EXPECT_EQ(held_input_count(), 0);
}

TEST(HeldInput, RepeatedDownsAreOneHoldAndOddNamesAreRefused)
{
    held_input_clear();
    held_key_down("Alt_L");
    held_key_down("Alt_L");
    held_key_down(nullptr);
    held_key_down("");
    held_key_down("A_name_far_too_long_to_be_any_keysym_name_at_all");
    held_button_down(0);
    held_button_down(33);
    held_button_down(-4);
    EXPECT_EQ(held_input_count(), 1);
    held_key_up("Alt_L");
    EXPECT_EQ(held_input_count(), 0);

    // More keys than slots: the extra ones are not noted, nothing breaks.
    for (int i = 0; i < kHeldKeySlots + 4; ++i)
        held_key_down(("F" + std::to_string(i + 1)).c_str());
    EXPECT_EQ(held_input_count(), kHeldKeySlots);
    held_input_clear();
}

TEST(RealRunCommand, RunsThroughTheShellWaitsAndNotesHeldKeys)
{
    held_input_clear();
    const std::string file = make_temp_dir() + "/out";

    real_run_command(nullptr, ("printf '%s|' one  two > " + file).c_str());
    EXPECT_EQ(read_file(file), "one|two|");

    real_run_command(nullptr, "true 'keydown Left'");
    EXPECT_TRUE(held_key_is_down("Left"));
    real_run_command(nullptr, "true 'keyup Left'");
    EXPECT_FALSE(held_key_is_down("Left"));

    // The command runs with default signal handling even when the caller
    // blocks the signals the engine waits for.
    sigset_t set, old;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, &old);
    real_run_command(nullptr, ("kill -TERM $$; echo survived > " + file).c_str());
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    EXPECT_EQ(read_file(file), "one|two|");

    real_run_command(nullptr, nullptr);
}
