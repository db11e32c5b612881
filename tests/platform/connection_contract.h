#ifndef ZAN_TESTS_PLATFORM_CONNECTION_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_CONNECTION_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>

#include "platform/tcp_connection.h"
#include "tests/platform/contract_form.h"

namespace zan::test {

// Makes the connection factory of one form.
using ConnectionForm =
    ContractForm<std::unique_ptr<TcpConnectionFactory> (*)()>;

// What every form of the TCP connection seam must do, against loopback
// servers. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, ConnectionContract,
//       ::testing::Values(ConnectionForm{"Form", &MakeFormConnections}));
class ConnectionContract : public ::testing::TestWithParam<ConnectionForm> {
 protected:
  void SetUp() override {
    factory_ = GetParam().make();
    ASSERT_NE(factory_, nullptr);
  }
  std::unique_ptr<TcpConnection> Create() { return factory_->Create(); }

  std::unique_ptr<TcpConnectionFactory> factory_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_CONNECTION_CONTRACT_H_
