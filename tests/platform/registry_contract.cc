#include "tests/platform/registry_contract.h"

#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_platform.h"

namespace zan::test {
namespace {

using Names = std::vector<std::string>;

TEST_P(RegistryContract, KeysAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser,
                                  "SOFTWARE\\ZAN Inc.\\ZAN");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetValue("Mixed", SzValue("a")));

  auto again =
      registry_->OpenKey(RegistryHive::kCurrentUser, "software\\zan inc.\\zan");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->QueryValue("MIXED"), SzValue("a"));
  // A second create with another spelling opens the same key.
  ASSERT_NE(
      registry_->CreateKey(RegistryHive::kCurrentUser, "Software\\ZAN INC."),
      nullptr);
  auto software = registry_->OpenKey(RegistryHive::kCurrentUser, "SOFTWARE");
  ASSERT_NE(software, nullptr);
  EXPECT_EQ(KeyNames(*software), Names{"ZAN Inc."});
  EXPECT_EQ(KeyNames(*registry_->OpenHive(RegistryHive::kCurrentUser)),
            Names{"SOFTWARE"});

  // Values written again keep their first spelling too.
  ASSERT_TRUE(again->SetValue("MIXED", SzValue("b")));
  EXPECT_EQ(ValueNames(*again), Names{"Mixed"});
  EXPECT_EQ(key->QueryValue("mixed"), SzValue("b"));

  // Sub keys are listed in case-insensitive name order.
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA"}) {
    ASSERT_NE(software->CreateKey(name), nullptr) << name;
  }
  EXPECT_EQ(KeyNames(*software), (Names{"Alpha", "beta", "gamma", "ZAN Inc."}));
}

TEST_P(RegistryContract, HivesAreSeparate) {
  auto user = registry_->CreateKey(RegistryHive::kCurrentUser, "Software\\X");
  ASSERT_NE(user, nullptr);
  ASSERT_TRUE(user->SetValue("v", SzValue("user")));
  EXPECT_EQ(registry_->OpenKey(RegistryHive::kLocalMachine, "Software\\X"),
            nullptr);
  auto machine =
      registry_->CreateKey(RegistryHive::kLocalMachine, "Software\\X");
  ASSERT_NE(machine, nullptr);
  EXPECT_EQ(machine->QueryValue("v"), std::nullopt);
  EXPECT_EQ(registry_->OpenKey(RegistryHive::kClassesRoot, "Software\\X"),
            nullptr);
  EXPECT_EQ(user->QueryValue("v"), SzValue("user"));
}

TEST_P(RegistryContract, ValuesKeepTypeBytesAndWritingOrder) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  ASSERT_NE(key, nullptr);
  const std::string binary("\0\x01\xff\0", 4);
  ASSERT_TRUE(key->SetValue("zeta", SzValue("text")));
  ASSERT_TRUE(key->SetValue("Alpha", DwordValue(10)));
  ASSERT_TRUE(key->SetValue("", SzValue("default")));
  ASSERT_TRUE(key->SetValue("bin", {RegistryType::kBinary, binary}));
  ASSERT_TRUE(key->SetValue("empty", {RegistryType::kBinary, ""}));
  // Rewriting keeps the place; the type may change.
  ASSERT_TRUE(key->SetValue("ZETA", DwordValue(7)));

  // Wine keeps a key's values sorted by name; Windows and the emulated
  // store keep them in writing order.
  const bool writing_order = ValuesKeepWritingOrder();
  if (writing_order) {
    EXPECT_EQ(ValueNames(*key), (Names{"zeta", "Alpha", "", "bin", "empty"}));
  } else {
    EXPECT_EQ(ValueNames(*key), (Names{"", "Alpha", "bin", "empty", "zeta"}));
  }
  EXPECT_EQ(key->QueryValue("zeta"), DwordValue(7));
  EXPECT_EQ(DwordOf(key->QueryValue("alpha")), 10u);
  EXPECT_EQ(key->QueryValue(""), SzValue("default"));
  EXPECT_EQ(key->QueryValue("bin"),
            (RegistryValue{RegistryType::kBinary, binary}));
  EXPECT_EQ(key->QueryValue("empty"),
            (RegistryValue{RegistryType::kBinary, ""}));
  EXPECT_EQ(key->QueryValue("missing"), std::nullopt);

  // A deleted value leaves the order of the rest; a new one goes last.
  EXPECT_TRUE(key->DeleteValue("alpha"));
  EXPECT_FALSE(key->DeleteValue("alpha"));
  ASSERT_TRUE(key->SetValue("Alpha", DwordValue(1)));
  if (writing_order) {
    EXPECT_EQ(ValueNames(*key), (Names{"zeta", "", "bin", "empty", "Alpha"}));
  }
}

TEST_P(RegistryContract, NameLimits) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  ASSERT_NE(key, nullptr);
  const std::string longest(kMaxRegistryValueName, 'n');
  EXPECT_TRUE(key->SetValue(longest, SzValue("ok")));
  EXPECT_EQ(key->QueryValue(longest), SzValue("ok"));
  const std::string too_long(kMaxRegistryValueName + 1, 'n');
  EXPECT_FALSE(key->SetValue(too_long, SzValue("no")));
  EXPECT_EQ(key->QueryValue(too_long), std::nullopt);
  EXPECT_EQ(ValueNames(*key).size(), 1u);

  EXPECT_NE(key->CreateKey(std::string(kMaxRegistryKeyName, 'k')), nullptr);
  EXPECT_EQ(key->CreateKey(std::string(kMaxRegistryKeyName + 1, 'k')), nullptr);
  // Empty names inside a path are refused.
  EXPECT_EQ(key->CreateKey("a\\\\b"), nullptr);
  EXPECT_EQ(key->CreateKey("\\a"), nullptr);
  EXPECT_EQ(key->CreateKey("a\\"), nullptr);
}

TEST_P(RegistryContract, DeleteKeyRemovesTheWholeTree) {
  auto company =
      registry_->CreateKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc.");
  ASSERT_NE(company, nullptr);
  auto product = company->CreateKey("ZAN\\POP3 Accounts\\deep");
  ASSERT_NE(product, nullptr);
  ASSERT_TRUE(product->SetValue("v", SzValue("x")));
  auto zan = company->OpenKey("zan");
  ASSERT_NE(zan, nullptr);
  ASSERT_TRUE(zan->SetValue("top", SzValue("y")));

  EXPECT_TRUE(company->DeleteKey("ZAN"));
  EXPECT_FALSE(company->DeleteKey("ZAN"));
  EXPECT_EQ(company->OpenKey("ZAN"), nullptr);
  EXPECT_EQ(company->OpenKey("ZAN\\POP3 Accounts"), nullptr);
  EXPECT_TRUE(KeyNames(*company).empty());
  // A handle to a deleted key reads nothing and refuses writes.
  EXPECT_EQ(zan->QueryValue("top"), std::nullopt);
  EXPECT_FALSE(zan->SetValue("top", SzValue("z")));
  EXPECT_EQ(zan->CreateKey("child"), nullptr);
  // Creating it again gives an empty key; the old handle stays dead.
  auto fresh = company->CreateKey("ZAN");
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(ValueNames(*fresh).empty());
  EXPECT_FALSE(zan->SetValue("top", SzValue("z")));
  // Hive roots cannot be deleted.
  EXPECT_FALSE(registry_->OpenHive(RegistryHive::kCurrentUser)->DeleteKey(""));
}

TEST_P(RegistryContract, CompareAndSet) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->CompareAndSetValue("busy", std::nullopt, DwordValue(1)));
  EXPECT_FALSE(key->CompareAndSetValue("busy", std::nullopt, DwordValue(2)));
  EXPECT_FALSE(key->CompareAndSetValue("busy", DwordValue(0), DwordValue(2)));
  // The type is part of the comparison.
  EXPECT_FALSE(key->CompareAndSetValue(
      "busy", RegistryValue{RegistryType::kBinary, DwordValue(1).data},
      DwordValue(2)));
  EXPECT_TRUE(key->CompareAndSetValue("BUSY", DwordValue(1), DwordValue(0)));
  EXPECT_EQ(DwordOf(key->QueryValue("busy")), 0u);
}

TEST_P(RegistryContract, RewriteValuesReplacesTheListInItsNewOrder) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "List");
  ASSERT_NE(key, nullptr);
  key->SetValue("b", DwordValue(2));
  key->SetValue("a", SzValue("x"));
  RegistryValueList seen;
  EXPECT_TRUE(key->RewriteValues([&](const RegistryValueList& values) {
    seen = values;
    return RegistryValueList{
        {"c", DwordValue(3)}, {"A", DwordValue(1)}, {"c", DwordValue(4)}};
  }));
  // A name twice keeps its first place and its last value. (Wine lists a
  // key's values by name, not in writing order.)
  const bool writing_order = ValuesKeepWritingOrder();
  if (writing_order) {
    EXPECT_EQ(seen,
              (RegistryValueList{{"b", DwordValue(2)}, {"a", SzValue("x")}}));
    EXPECT_EQ(ValueNames(*key), (Names{"c", "A"}));
  } else {
    EXPECT_EQ(seen,
              (RegistryValueList{{"a", SzValue("x")}, {"b", DwordValue(2)}}));
    EXPECT_EQ(ValueNames(*key), (Names{"A", "c"}));
  }
  EXPECT_EQ(DwordOf(key->QueryValue("c")), 4u);
  // Declined, refused or gone: nothing changes.
  EXPECT_FALSE(key->RewriteValues(
      [](const RegistryValueList&) { return std::nullopt; }));
  EXPECT_FALSE(key->RewriteValues([](const RegistryValueList&) {
    return RegistryValueList{
        {std::string(kMaxRegistryValueName + 1, 'n'), DwordValue(1)}};
  }));
  EXPECT_EQ(ValueNames(*key).size(), 2u);
  EXPECT_EQ(DwordOf(key->QueryValue("a")), 1u);
  registry_->DeleteKey(RegistryHive::kCurrentUser, "List");
  EXPECT_FALSE(
      key->RewriteValues([](const RegistryValueList& v) { return v; }));
}

TEST_P(RegistryContract, StoreIsSharedAndLasts) {
  {
    auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetValue("kept", SzValue("yes")));
  }
  // Another opening of the same store, as another process of the toolbar
  // makes, sees the value, also after the first one is gone.
  auto other = GetParam().make(dir_);
  ASSERT_NE(other, nullptr);
  registry_.reset();
  auto key = other->OpenKey(RegistryHive::kCurrentUser, "k");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("KEPT"), SzValue("yes"));
}

TEST_P(RegistryContract, ThreadsShareOneStore) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      const std::string name = "Threads\\T" + std::to_string(t);
      auto key = registry_->CreateKey(RegistryHive::kCurrentUser, name);
      for (int i = 0; key && i < kWrites; ++i) {
        key->SetValue("v" + std::to_string(i), DwordValue(i));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    auto key = registry_->OpenKey(RegistryHive::kCurrentUser,
                                  "Threads\\T" + std::to_string(t));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(ValueNames(*key).size(), static_cast<size_t>(kWrites));
  }
}

// No key deeper than 512 levels below its hive, and no name with a zero
// byte: the call fails and writes nothing.
TEST_P(RegistryContract, KeysNoDeeperThanTheLimit) {
  Registry& registry = *registry_;
  const RegistryHive hive = RegistryHive::kCurrentUser;
  // The deepest key the store allows, made in one call.
  auto deepest = registry.CreateKey(hive, Chain(kMaxRegistryKeyDepth));
  ASSERT_NE(deepest, nullptr);
  EXPECT_TRUE(deepest->SetValue("v", SzValue("bottom")));
  // One level more fails and writes nothing, also from an open key.
  EXPECT_EQ(deepest->CreateKey("below"), nullptr);
  EXPECT_EQ(registry.OpenKey(hive, Chain(kMaxRegistryKeyDepth) + "\\below"),
            nullptr);
  EXPECT_EQ(registry.CreateKey(hive, Chain(kMaxRegistryKeyDepth + 1, "n")),
            nullptr);
  EXPECT_EQ(registry.OpenKey(hive, "n"), nullptr);
  auto middle = registry.CreateKey(hive, Chain(kMaxRegistryKeyDepth - 12));
  ASSERT_NE(middle, nullptr);
  EXPECT_EQ(middle->CreateKey(Chain(13, "m")), nullptr);
  EXPECT_EQ(middle->OpenKey("m"), nullptr);
  EXPECT_NE(middle->CreateKey(Chain(12, "m")), nullptr);
  // Names with a zero byte are refused, not cut short.
  auto root = registry.OpenHive(hive);
  EXPECT_EQ(root->CreateKey(std::string("a\0b", 3)), nullptr);
  EXPECT_EQ(root->OpenKey("a"), nullptr);
  EXPECT_FALSE(deepest->SetValue(std::string("a\0b", 3), SzValue("x")));
  EXPECT_EQ(deepest->QueryValue("a"), std::nullopt);
  EXPECT_EQ(ValueNames(*deepest), std::vector<std::string>{"v"});
  // The whole chain goes in one delete.
  EXPECT_TRUE(registry.DeleteKey(hive, "k"));
  EXPECT_EQ(registry.OpenKey(hive, "k"), nullptr);
  EXPECT_TRUE(KeyNames(*root).empty());
}

}  // namespace
}  // namespace zan::test
