#include "input/hook_watch.h"

#include <gtest/gtest.h>

namespace volmaru::input {
namespace {

TEST(HookWatchTest, InputTheHooksMissedForSeveralSecondsMeansTheyAreGone) {
  // The hooks saw an event at 10000.
  EXPECT_FALSE(HooksLookLost(10000, 10000, 0, 20000)) << "they saw the last input";
  EXPECT_FALSE(HooksLookLost(13000, 10000, 0, 20000)) << "3 s may pass between two events they see";
  EXPECT_TRUE(HooksLookLost(13001, 10000, 0, 20000));
  EXPECT_FALSE(HooksLookLost(9000, 10000, 0, 20000)) << "no input since they saw one";
  // The millisecond tick wraps after 49.7 days.
  EXPECT_TRUE(HooksLookLost(3500, 0xFFFFFF00u, 0, 5000));
  EXPECT_FALSE(HooksLookLost(0xFFFFFF00u, 3500, 0, 5000));
}

TEST(HookWatchTest, HooksThatSawAnEventAMomentAgoNeedNoQuestion) {
  EXPECT_FALSE(HooksWorthAsking(10000, 13000));
  EXPECT_TRUE(HooksWorthAsking(10000, 13001));
  EXPECT_FALSE(HooksWorthAsking(0xFFFFFF00u, 1000)) << "across the wrap";
}

// Input the hooks never get (an elevated window has the focus) would have
// them put in again at every check.
TEST(HookWatchTest, TheyArePutInAgainAtMostEveryTenSeconds) {
  EXPECT_FALSE(HooksLookLost(20000, 10000, 15000, 24999));
  EXPECT_TRUE(HooksLookLost(20000, 10000, 15000, 25000));
  EXPECT_TRUE(HooksLookLost(20000, 10000, 0xFFFFF000u, 15000)) << "across the wrap";
}

// While an old and a new copy of a hook are both in the chain, each event
// reaches the procedure twice in a row; it counts once. A key that repeats
// has a new time and counts again.
TEST(HookWatchTest, AnEventSeenByTwoCopiesOfAHookCountsOnce) {
  SeenOnce seen;
  const HookEvent down{39, 0x4D, 0, 5000};
  EXPECT_TRUE(seen.First(down));
  EXPECT_FALSE(seen.First(down));
  EXPECT_TRUE(seen.First({39, 0x4D, 0, 5033})) << "auto-repeat";
  EXPECT_TRUE(seen.First({39, 0x4D, 0x80, 5033})) << "its key-up";
  EXPECT_TRUE(seen.First(down)) << "only the event just seen is skipped";
  SeenOnce fresh;
  EXPECT_TRUE(fresh.First({})) << "the first event of all, even an all-zero one";
}

}  // namespace
}  // namespace volmaru::input
