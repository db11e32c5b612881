#ifndef ZAN_TESTS_PLATFORM_MESSAGE_PUMP_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_MESSAGE_PUMP_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>

#include "tests/platform/contract_form.h"
#include "tests/support/test_platform.h"

namespace zan::test {

// Makes a pump of one form, fed through the TestMessagePump calls.
using MessagePumpForm = ContractForm<std::unique_ptr<TestMessagePump> (*)()>;

// What every form of the message pump seam must do. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, MessagePumpContract,
//       ::testing::Values(MessagePumpForm{"Form", &MakeFormPump}));
class MessagePumpContract : public ::testing::TestWithParam<MessagePumpForm> {
 protected:
  void SetUp() override {
    pump_ = GetParam().make();
    ASSERT_NE(pump_, nullptr);
  }

  std::unique_ptr<TestMessagePump> pump_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_MESSAGE_PUMP_CONTRACT_H_
