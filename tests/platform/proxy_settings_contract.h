#ifndef ZAN_TESTS_PLATFORM_PROXY_SETTINGS_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_PROXY_SETTINGS_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/proxy_settings.h"
#include "tests/platform/contract_form.h"
#include "tests/support/temp_dir.h"

namespace zan::test {

// The LAN connection's proxy configuration as programs of the user find it.
struct ProxyState {
  bool enabled = false;
  std::string server;
  std::optional<std::string> bypass;  // nullopt: no list at all

  bool operator==(const ProxyState&) const = default;
};

// One form of the proxy seam under test, over a store of its own.
class ProxyFormUnderTest {
 public:
  virtual ~ProxyFormUnderTest() = default;
  virtual ProxySettings& settings() = 0;
  // What another program of the user would now read.
  virtual ProxyState Read() = 0;
};

using ProxyForm =
    ContractForm<std::unique_ptr<ProxyFormUnderTest> (*)(const TempDir& dir)>;

// What every form of the proxy seam must do. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, ProxySettingsContract,
//       ::testing::Values(ProxyForm{"Form", &MakeFormProxy}));
class ProxySettingsContract : public ::testing::TestWithParam<ProxyForm> {
 protected:
  void SetUp() override {
    form_ = GetParam().make(dir_);
    ASSERT_NE(form_, nullptr);
  }

  TempDir dir_;
  std::unique_ptr<ProxyFormUnderTest> form_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_PROXY_SETTINGS_CONTRACT_H_
