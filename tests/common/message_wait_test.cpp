#include "common/message_wait.h"

#include <gtest/gtest.h>

#include <vector>

namespace volmaru {
namespace {

// A clock that moves only when the wait waits, by what it asks for (or by a
// step of the test's choosing), and a queue that may ask the program to end.
struct FakeWait {
  uint32_t now = 0;
  uint32_t step = 0;  // 0: every wait lasts as long as it asks
  int pumps = 0;
  int quitAtPump = -1;
  std::vector<uint32_t> waits;
  uint32_t Now() { return now; }
  bool ProcessPending() { return pumps++ != quitAtPump; }
  void WaitForMessages(uint32_t ms) {
    waits.push_back(ms);
    now += step ? step : ms;
  }
};

TEST(MessageWaitTest, TheWaitEndsOnlyOnceTheTickHasPassedTheStartByTheTime) {
  FakeWait w;
  w.now = 5000;
  w.step = 250;
  EXPECT_TRUE(WaitLettingMessagesRun(w, 1000));
  // 5250, 5500, 5750, 6000 = start + 1000 exactly: not yet past; 6250 is.
  EXPECT_EQ(w.now, 6250u);
  EXPECT_EQ(w.waits.size(), 5u);
  EXPECT_EQ(w.waits.back(), 1u) << "at elapsed 1000 it waits for the next tick";
}

TEST(MessageWaitTest, ALongWaitAsksForTheRestInOnePieceAndSurvivesTheTickWrap) {
  FakeWait w;
  w.now = 0xFFFFFF00u;  // the tick wraps inside the wait
  EXPECT_TRUE(WaitLettingMessagesRun(w, 1000));
  EXPECT_EQ(w.waits, (std::vector<uint32_t>{1001}));
  EXPECT_EQ(w.now - 0xFFFFFF00u, 1001u);
}

TEST(MessageWaitTest, AQuitEndsTheWaitAtOnce) {
  FakeWait w;
  w.step = 10;
  w.quitAtPump = 3;
  EXPECT_FALSE(WaitLettingMessagesRun(w, 1000));
  EXPECT_EQ(w.now, 30u);
}

}  // namespace
}  // namespace volmaru
