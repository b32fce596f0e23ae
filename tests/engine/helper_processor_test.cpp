// The helper thread of a shared scan is kept off its creator's processor,
// and a thread held to one processor has no other to share a search with.
#include "engine/helper_processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace vesk {
namespace {

cpu_set_t ThisThreadsProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    EXPECT_EQ(::sched_getaffinity(0, sizeof set, &set), 0);
    return set;
}

TEST(HelperProcessor, TheHelperMayUseEveryProcessorButOne)
{
    const cpu_set_t mine = ThisThreadsProcessors();
    if (CPU_COUNT(&mine) < 2)
        GTEST_SKIP() << "one processor: nothing to keep the helper off";
    std::atomic<bool> release = false;
    std::thread helper([&] {
        while (!release)
            std::this_thread::yield();
    });
    KeepOffThisProcessor(helper.native_handle());
    cpu_set_t theirs;
    CPU_ZERO(&theirs);
    ASSERT_EQ(::pthread_getaffinity_np(helper.native_handle(), sizeof theirs, &theirs), 0);
    release = true;
    helper.join();
    // All of this thread's processors but the one it ran on at the call.
    EXPECT_EQ(CPU_COUNT(&theirs), CPU_COUNT(&mine) - 1);
    cpu_set_t both;
    CPU_AND(&both, &theirs, &mine);
    EXPECT_TRUE(CPU_EQUAL(&both, &theirs));
    EXPECT_TRUE(AnotherProcessorAvailable());
}

TEST(HelperProcessor, AThreadHeldToOneProcessorHasNoOther)
{
    const cpu_set_t before = ThisThreadsProcessors();
    const int here = ::sched_getcpu();
    ASSERT_GE(here, 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(here, &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_FALSE(AnotherProcessorAvailable());
    std::thread helper([] {});
    KeepOffThisProcessor(helper.native_handle()); // nothing else to go to: left alone
    helper.join();
    ASSERT_EQ(::sched_setaffinity(0, sizeof before, &before), 0);
}

} // namespace
} // namespace vesk
