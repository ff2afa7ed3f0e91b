#include "app/restarter.h"

#include <gtest/gtest.h>

#include <vector>

namespace volmaru::app {
namespace {

class FakeRestarter : public RestarterPort {
 public:
  std::vector<std::string> calls;
  Wait wait = Wait::kEnded;
  intptr_t startResult = 42;
  uint32_t waitedFor = 0;

  Wait WaitForProgramEnd(uint32_t timeoutMs) override {
    waitedFor = timeoutMs;
    calls.push_back("wait");
    return wait;
  }
  std::string OwnFolder() override { return "C:\\Program Files\\Volmaru\\"; }
  intptr_t Start(const std::string& program, const std::string& folder) override {
    calls.push_back("start " + program + " in " + folder);
    return startResult;
  }
  void ShowMessage(std::string_view text) override { calls.push_back("message " + std::string(text)); }
};

TEST(RestarterTest, WaitsForTheProgramThenStartsItFromItsOwnFolder) {
  FakeRestarter r;
  EXPECT_EQ(RunRestarter(r), 0);
  EXPECT_EQ(r.calls, (std::vector<std::string>{
                         "wait", "start C:\\Program Files\\Volmaru\\Volmaru.exe in C:\\Program Files\\Volmaru\\"}));
  // The wait has a limit.
  EXPECT_EQ(r.waitedFor, 30000u);
}

TEST(RestarterTest, AProgramThatDoesNotEndIsNotStartedTwice) {
  FakeRestarter r;
  r.wait = RestarterPort::Wait::kTimedOut;
  EXPECT_EQ(RunRestarter(r), 1);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"wait", "message ボルマルが終了しないため、再起動できませんでした。"}));
}

TEST(RestarterTest, AFailedStartIsReportedWithTheShellsNumber) {
  for (intptr_t failure : {0, 2, 32}) {
    FakeRestarter r;
    r.startResult = failure;
    EXPECT_EQ(RunRestarter(r), 2);
    EXPECT_EQ(r.calls.back(), "message ボルマルを起動できませんでした。(" + std::to_string(failure) + ")");
  }
  FakeRestarter ok;
  ok.startResult = 33;
  EXPECT_EQ(RunRestarter(ok), 0);
}

}  // namespace
}  // namespace volmaru::app
