// The report signal on a real block: a publisher's life as the readers see
// it, one that dies without taking its word back, and tpsim's --signal.
#include <gtest/gtest.h>

#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include "report_signal.h"
#include "support.h"

TEST(ReportSignal, ReadersSeeAPublisherOnlyWhileItRuns)
{
    enter_private_ipc();
    tpsim({"create"});
    TouchpadSharedBlock *block = attach_shared_block();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(report_signal_live(block)) << "a fresh block has no publisher";

    report_signal_start(block);
    EXPECT_TRUE(report_signal_live(block));
    const uint32_t seen = report_signal_sequence(block);
    EXPECT_FALSE(report_signal_wait(block, seen, 1)) << "no report: the wait runs out";
    report_signal_post(block);
    EXPECT_TRUE(report_signal_wait(block, seen, 60000)) << "a report already posted ends the wait at once";
    report_signal_stop(block);
    EXPECT_FALSE(report_signal_live(block));
    EXPECT_EQ(report_signal_sequence(block), seen + 2) << "stopping wakes the readers";

    // A publisher that dies leaves its process id behind.
    const pid_t child = fork();
    if (child == 0) {
        report_signal_start(block);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(block->report_publisher, child);
    EXPECT_FALSE(report_signal_live(block));

    // tpsim signals only when asked, and takes its word back.
    const uint32_t before = report_signal_sequence(block);
    tpsim({"fingers", "f=1"});
    EXPECT_EQ(report_signal_sequence(block), before);
    tpsim({"fingers", "--signal", "f=0"});
    EXPECT_EQ(report_signal_sequence(block), before + 2);
    EXPECT_FALSE(report_signal_live(block));
    shmdt(block);
}
