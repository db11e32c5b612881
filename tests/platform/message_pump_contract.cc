#include "tests/platform/message_pump_contract.h"

#include <thread>
#include <vector>

namespace zan::test {
namespace {

TEST_P(MessagePumpContract, QuitStopsDispatchAndStaysPending) {
  TestMessagePump& pump = *pump_;
  std::vector<int> ran;
  pump.PostTask([&] { ran.push_back(1); });
  pump.PostTask([&] {
    ran.push_back(2);
    pump.PostQuit();
  });
  pump.PostTask([&] { ran.push_back(3); });
  EXPECT_FALSE(pump.DispatchPending());
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_TRUE(pump.IsQuitPending());
  EXPECT_FALSE(pump.DispatchPending());
  EXPECT_EQ(ran.size(), 2u);
  // The thread's own loop takes the request; then the rest runs.
  EXPECT_TRUE(pump.TakeQuit());
  EXPECT_FALSE(pump.IsQuitPending());
  EXPECT_TRUE(pump.DispatchPending());
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST_P(MessagePumpContract, WaitEndsOnWakeOrEvents) {
  TestMessagePump& pump = *pump_;
  // A wake given before the wait is not lost, and is used up by it.
  pump.Wake();
  EXPECT_TRUE(pump.WaitForInput(10000));
  EXPECT_FALSE(pump.WaitForInput(20));

  std::thread poster([&] { pump.PostTask([] {}); });
  EXPECT_TRUE(pump.WaitForInput(10000));
  poster.join();
  EXPECT_TRUE(pump.DispatchPending());

  std::thread waker([&] { pump.Wake(); });
  EXPECT_TRUE(pump.WaitForInput(10000));
  waker.join();
}

}  // namespace
}  // namespace zan::test
