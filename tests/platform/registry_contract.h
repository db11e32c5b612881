#ifndef ZAN_TESTS_PLATFORM_REGISTRY_CONTRACT_H_
#define ZAN_TESTS_PLATFORM_REGISTRY_CONTRACT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/platform/contract_form.h"
#include "tests/support/temp_dir.h"

namespace zan::test {

// A REG_SZ value as the toolbar writes it: the text and its terminating zero.
inline RegistryValue SzValue(const std::string& text) {
  return {RegistryType::kString, text + std::string(1, '\0')};
}

// The number of a REG_DWORD value; 0xFFFFFFFF when it is not one.
inline uint32_t DwordOf(const std::optional<RegistryValue>& value) {
  if (!value || value->data.size() != 4) return 0xFFFFFFFF;
  uint32_t result = 0;
  for (int i = 3; i >= 0; --i) {
    result = result << 8 | static_cast<unsigned char>(value->data[i]);
  }
  return result;
}

// The names EnumValue or EnumKey give, in their order.
inline std::vector<std::string> ValueNames(RegistryKey& key) {
  std::vector<std::string> names;
  while (auto name = key.EnumValue(static_cast<uint32_t>(names.size()))) {
    names.push_back(*name);
  }
  return names;
}
inline std::vector<std::string> KeyNames(RegistryKey& key) {
  std::vector<std::string> names;
  while (auto name = key.EnumKey(static_cast<uint32_t>(names.size()))) {
    names.push_back(*name);
  }
  return names;
}

// `levels` key names joined by backslashes.
inline std::string Chain(size_t levels, const std::string& name = "k") {
  std::string path;
  for (size_t i = 0; i < levels; ++i) path += (i == 0 ? "" : "\\") + name;
  return path;
}

// Opens a fresh, empty store of one form; it may keep its files in `dir`.
using RegistryForm =
    ContractForm<std::unique_ptr<Registry> (*)(const TempDir& dir)>;

// What every form of the registry seam must do. A form runs it with
//   INSTANTIATE_TEST_SUITE_P(Form, RegistryContract,
//       ::testing::Values(RegistryForm{"Form", &OpenFormRegistry}));
class RegistryContract : public ::testing::TestWithParam<RegistryForm> {
 protected:
  void SetUp() override {
    registry_ = GetParam().make(dir_);
    ASSERT_NE(registry_, nullptr);
  }

  TempDir dir_;
  std::unique_ptr<Registry> registry_;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_PLATFORM_REGISTRY_CONTRACT_H_
