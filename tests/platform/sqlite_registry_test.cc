#include "platform/posix/sqlite_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/user_registry.h"
#include "tests/support/temp_dir.h"

namespace zan {
namespace {

RegistryValue Sz(const std::string& text) {
  return {RegistryType::kString, text + std::string(1, '\0')};
}

RegistryValue Dword(uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(value >> (8 * i));
  return {RegistryType::kDword, data};
}

uint32_t AsDword(const std::optional<RegistryValue>& value) {
  if (!value || value->data.size() != 4) return 0xFFFFFFFF;
  uint32_t result = 0;
  for (int i = 3; i >= 0; --i) {
    result = result << 8 | static_cast<unsigned char>(value->data[i]);
  }
  return result;
}

std::vector<std::string> ValueNames(RegistryKey& key) {
  std::vector<std::string> names;
  for (uint32_t i = 0;; ++i) {
    auto name = key.EnumValue(i);
    if (!name) return names;
    names.push_back(*name);
  }
}

std::vector<std::string> KeyNames(RegistryKey& key) {
  std::vector<std::string> names;
  for (uint32_t i = 0;; ++i) {
    auto name = key.EnumKey(i);
    if (!name) return names;
    names.push_back(*name);
  }
}

class SqliteRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("registry.db");
    registry_ = SqliteRegistry::Open(path_);
    ASSERT_NE(registry_, nullptr);
  }

  test::TempDir dir_;
  std::string path_;
  std::unique_ptr<SqliteRegistry> registry_;
};

TEST_F(SqliteRegistryTest, KeysAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser,
                                  "SOFTWARE\\ZAN Inc.\\ZAN");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetValue("Mixed", Sz("a")));

  auto again =
      registry_->OpenKey(RegistryHive::kCurrentUser, "software\\zan inc.\\zan");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->QueryValue("MIXED"), Sz("a"));
  // A second create with another spelling opens the same key.
  ASSERT_NE(
      registry_->CreateKey(RegistryHive::kCurrentUser, "Software\\ZAN INC."),
      nullptr);

  auto software = registry_->OpenKey(RegistryHive::kCurrentUser, "SOFTWARE");
  ASSERT_NE(software, nullptr);
  EXPECT_EQ(KeyNames(*software), std::vector<std::string>{"ZAN Inc."});
  auto root = registry_->OpenHive(RegistryHive::kCurrentUser);
  EXPECT_EQ(KeyNames(*root), std::vector<std::string>{"SOFTWARE"});

  // Values written again keep their first spelling too.
  ASSERT_TRUE(again->SetValue("MIXED", Sz("b")));
  EXPECT_EQ(ValueNames(*again), std::vector<std::string>{"Mixed"});
  EXPECT_EQ(key->QueryValue("mixed"), Sz("b"));
}

TEST_F(SqliteRegistryTest, HivesAreSeparate) {
  auto user = registry_->CreateKey(RegistryHive::kCurrentUser, "Software\\X");
  ASSERT_TRUE(user->SetValue("v", Sz("user")));
  EXPECT_EQ(registry_->OpenKey(RegistryHive::kLocalMachine, "Software\\X"),
            nullptr);
  auto machine =
      registry_->CreateKey(RegistryHive::kLocalMachine, "Software\\X");
  ASSERT_NE(machine, nullptr);
  EXPECT_EQ(machine->QueryValue("v"), std::nullopt);
  EXPECT_EQ(registry_->OpenKey(RegistryHive::kClassesRoot, "Software"),
            nullptr);
}

TEST_F(SqliteRegistryTest, ValuesKeepTypeBytesAndWritingOrder) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  const std::string binary("\0\x01\xff\0", 4);
  ASSERT_TRUE(key->SetValue("zeta", Sz("text")));
  ASSERT_TRUE(key->SetValue("Alpha", Dword(10)));
  ASSERT_TRUE(key->SetValue("", Sz("default")));
  ASSERT_TRUE(key->SetValue("bin", {RegistryType::kBinary, binary}));
  ASSERT_TRUE(key->SetValue("empty", {RegistryType::kBinary, ""}));
  // Rewriting keeps the place; the type may change.
  ASSERT_TRUE(key->SetValue("ZETA", Dword(7)));

  EXPECT_EQ(ValueNames(*key),
            (std::vector<std::string>{"zeta", "Alpha", "", "bin", "empty"}));
  EXPECT_EQ(key->QueryValue("zeta"), Dword(7));
  EXPECT_EQ(AsDword(key->QueryValue("alpha")), 10u);
  EXPECT_EQ(key->QueryValue(""), Sz("default"));
  EXPECT_EQ(key->QueryValue("bin"),
            (RegistryValue{RegistryType::kBinary, binary}));
  EXPECT_EQ(key->QueryValue("empty"),
            (RegistryValue{RegistryType::kBinary, ""}));
  EXPECT_EQ(key->QueryValue("missing"), std::nullopt);

  // A deleted value leaves the order of the rest; a new one goes last.
  EXPECT_TRUE(key->DeleteValue("alpha"));
  EXPECT_FALSE(key->DeleteValue("alpha"));
  ASSERT_TRUE(key->SetValue("Alpha", Dword(1)));
  EXPECT_EQ(ValueNames(*key),
            (std::vector<std::string>{"zeta", "", "bin", "empty", "Alpha"}));
}

TEST_F(SqliteRegistryTest, NameLimits) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  const std::string longest(kMaxRegistryValueName, 'n');
  EXPECT_TRUE(key->SetValue(longest, Sz("ok")));
  EXPECT_EQ(key->QueryValue(longest), Sz("ok"));
  const std::string too_long(kMaxRegistryValueName + 1, 'n');
  EXPECT_FALSE(key->SetValue(too_long, Sz("no")));
  EXPECT_EQ(key->QueryValue(too_long), std::nullopt);
  EXPECT_EQ(ValueNames(*key).size(), 1u);

  EXPECT_NE(key->CreateKey(std::string(kMaxRegistryKeyName, 'k')), nullptr);
  EXPECT_EQ(key->CreateKey(std::string(kMaxRegistryKeyName + 1, 'k')), nullptr);
  // Empty names inside a path are refused.
  EXPECT_EQ(key->CreateKey("a\\\\b"), nullptr);
  EXPECT_EQ(key->CreateKey("\\a"), nullptr);
  EXPECT_EQ(key->CreateKey("a\\"), nullptr);
}

TEST_F(SqliteRegistryTest, DeleteKeyRemovesTheWholeTree) {
  auto company =
      registry_->CreateKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc.");
  auto product = company->CreateKey("ZAN\\POP3 Accounts\\deep");
  ASSERT_NE(product, nullptr);
  ASSERT_TRUE(product->SetValue("v", Sz("x")));
  auto zan = company->OpenKey("zan");
  ASSERT_TRUE(zan->SetValue("top", Sz("y")));

  EXPECT_TRUE(company->DeleteKey("ZAN"));
  EXPECT_FALSE(company->DeleteKey("ZAN"));
  EXPECT_EQ(company->OpenKey("ZAN"), nullptr);
  EXPECT_EQ(company->OpenKey("ZAN\\POP3 Accounts"), nullptr);
  EXPECT_TRUE(KeyNames(*company).empty());
  // A handle to a deleted key reads nothing and refuses writes.
  EXPECT_EQ(zan->QueryValue("top"), std::nullopt);
  EXPECT_FALSE(zan->SetValue("top", Sz("z")));
  EXPECT_EQ(zan->CreateKey("child"), nullptr);
  // Creating it again gives an empty key.
  auto fresh = company->CreateKey("ZAN");
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(ValueNames(*fresh).empty());
  EXPECT_FALSE(zan->SetValue("top", Sz("z")));
  // Hive roots cannot be deleted.
  EXPECT_FALSE(registry_->OpenHive(RegistryHive::kCurrentUser)->DeleteKey(""));
}

TEST_F(SqliteRegistryTest, CompareAndSet) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
  EXPECT_TRUE(key->CompareAndSetValue("busy", std::nullopt, Dword(1)));
  EXPECT_FALSE(key->CompareAndSetValue("busy", std::nullopt, Dword(2)));
  EXPECT_FALSE(key->CompareAndSetValue("busy", Dword(0), Dword(2)));
  EXPECT_TRUE(key->CompareAndSetValue("BUSY", Dword(1), Dword(0)));
  EXPECT_EQ(AsDword(key->QueryValue("busy")), 0u);
}

TEST_F(SqliteRegistryTest, RewriteValuesReplacesTheListInItsNewOrder) {
  auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "List");
  key->SetValue("b", Dword(2));
  key->SetValue("a", Sz("x"));
  RegistryValueList seen;
  EXPECT_TRUE(key->RewriteValues([&](const RegistryValueList& values) {
    seen = values;
    return RegistryValueList{{"c", Dword(3)}, {"A", Dword(1)}, {"c", Dword(4)}};
  }));
  EXPECT_EQ(seen, (RegistryValueList{{"b", Dword(2)}, {"a", Sz("x")}}));
  // A name twice keeps its first place and its last value.
  EXPECT_EQ(ValueNames(*key), (std::vector<std::string>{"c", "A"}));
  EXPECT_EQ(AsDword(key->QueryValue("c")), 4u);
  // Declined, refused or gone: nothing changes.
  EXPECT_FALSE(key->RewriteValues(
      [](const RegistryValueList&) { return std::nullopt; }));
  EXPECT_FALSE(key->RewriteValues([](const RegistryValueList&) {
    return RegistryValueList{
        {std::string(kMaxRegistryValueName + 1, 'n'), Dword(1)}};
  }));
  EXPECT_EQ(ValueNames(*key), (std::vector<std::string>{"c", "A"}));
  registry_->DeleteKey(RegistryHive::kCurrentUser, "List");
  EXPECT_FALSE(
      key->RewriteValues([](const RegistryValueList& v) { return v; }));
}

// Processes that each put their own lines at the front of one shared list
// lose none of them: each rewrite reads and writes in one step.
TEST_F(SqliteRegistryTest, ProcessesRewriteOneListWithoutLosingALine) {
  constexpr int kProcesses = 3;
  constexpr int kLines = 20;
  registry_.reset();
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto registry = SqliteRegistry::Open(path_);
      if (!registry) _exit(2);
      auto key = registry->CreateKey(RegistryHive::kCurrentUser, "Lines");
      if (!key) _exit(3);
      for (int i = 0; i < kLines; ++i) {
        const std::string line =
            "p" + std::to_string(p) + "-" + std::to_string(i);
        if (!key->RewriteValues([&](const RegistryValueList& values) {
              RegistryValueList next{{line, Dword(1)}};
              next.insert(next.end(), values.begin(), values.end());
              return next;
            })) {
          _exit(4);
        }
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  auto registry = SqliteRegistry::Open(path_);
  auto key = registry->OpenKey(RegistryHive::kCurrentUser, "Lines");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ValueNames(*key).size(), static_cast<size_t>(kProcesses * kLines));
}

TEST_F(SqliteRegistryTest, FileIsPrivateAndSurvivesReopening) {
  {
    auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
    ASSERT_TRUE(key->SetValue("kept", Sz("yes")));
  }
  registry_.reset();
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  auto reopened = SqliteRegistry::Open(path_);
  ASSERT_NE(reopened, nullptr);
  auto key = reopened->OpenKey(RegistryHive::kCurrentUser, "k");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->QueryValue("KEPT"), Sz("yes"));
}

TEST_F(SqliteRegistryTest, UserRegistryFollowsTheEnvironment) {
  const std::string nested = dir_.File("config/zan/registry.db");
  setenv("ZAN_REGISTRY", nested.c_str(), 1);
  EXPECT_EQ(UserRegistryPath(), nested);
  auto registry = OpenUserRegistry();
  ASSERT_NE(registry, nullptr);
  struct stat info;
  ASSERT_EQ(stat(dir_.File("config/zan").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  unsetenv("ZAN_REGISTRY");

  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_xdg = xdg != nullptr ? xdg : "";
  setenv("XDG_CONFIG_HOME", "/somewhere", 1);
  EXPECT_EQ(UserRegistryPath(), "/somewhere/zan/registry.db");
  unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string saved_home = home != nullptr ? home : "";
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(UserRegistryPath(), "/home/someone/.config/zan/registry.db");
  setenv("HOME", saved_home.c_str(), 1);
  if (!saved_xdg.empty()) setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
}

TEST_F(SqliteRegistryTest, ThreadsShareOneStore) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      auto key = registry_->CreateKey(RegistryHive::kCurrentUser,
                                      "Threads\\T" + std::to_string(t));
      for (int i = 0; i < kWrites; ++i) {
        key->SetValue("v" + std::to_string(i), Dword(i));
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

// Each child process opens its own connection and increments one counter
// with compare-and-set; the busy timeout makes them wait for each other.
TEST_F(SqliteRegistryTest, ProcessesIncrementWithoutLosingAnUpdate) {
  constexpr int kProcesses = 4;
  constexpr int kIncrements = 50;
  registry_.reset();
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto registry = SqliteRegistry::Open(path_);
      if (!registry) _exit(2);
      auto key = registry->CreateKey(RegistryHive::kCurrentUser, "Counter");
      if (!key) _exit(3);
      for (int i = 0; i < kIncrements; ++i) {
        bool done = false;
        for (int attempt = 0; attempt < 10000 && !done; ++attempt) {
          auto current = key->QueryValue("count");
          const uint32_t next = current ? AsDword(current) + 1 : 1;
          done = key->CompareAndSetValue("count", current, Dword(next));
        }
        if (!done) _exit(4);
        // Plain writes of a value per process go through as well.
        if (!key->SetValue("p" + std::to_string(p), Dword(i))) _exit(5);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  auto registry = SqliteRegistry::Open(path_);
  auto key = registry->OpenKey(RegistryHive::kCurrentUser, "Counter");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(AsDword(key->QueryValue("count")),
            static_cast<uint32_t>(kProcesses * kIncrements));
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(AsDword(key->QueryValue("p" + std::to_string(p))),
              static_cast<uint32_t>(kIncrements - 1));
  }
}

TEST_F(SqliteRegistryTest, SurvivesAWriterKilledMidway) {
  registry_.reset();
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    auto registry = SqliteRegistry::Open(path_);
    if (!registry) _exit(2);
    auto key = registry->CreateKey(RegistryHive::kCurrentUser, "Crash");
    // Writes until killed; the loop is bounded in case the kill never comes.
    const std::string payload(2000, 'x');
    for (uint32_t i = 0; i < 2000000; ++i) {
      key->SetValue("n" + std::to_string(i % 50),
                    {RegistryType::kBinary, payload + std::to_string(i)});
      key->SetValue("last", Dword(i));
    }
    _exit(0);
  }
  // Let it write for a while, then kill it without warning.
  {
    auto registry = SqliteRegistry::Open(path_);
    ASSERT_NE(registry, nullptr);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      auto key = registry->OpenKey(RegistryHive::kCurrentUser, "Crash");
      if (key && AsDword(key->QueryValue("last")) != 0xFFFFFFFF &&
          AsDword(key->QueryValue("last")) > 200) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);

  auto registry = SqliteRegistry::Open(path_);
  ASSERT_NE(registry, nullptr);
  auto key = registry->OpenKey(RegistryHive::kCurrentUser, "Crash");
  ASSERT_NE(key, nullptr);
  const uint32_t last = AsDword(key->QueryValue("last"));
  ASSERT_NE(last, 0xFFFFFFFF);
  EXPECT_GT(last, 200u);
  // The value written just before "last" is whole.
  auto written = key->QueryValue("n" + std::to_string(last % 50));
  ASSERT_TRUE(written);
  EXPECT_EQ(written->data, std::string(2000, 'x') + std::to_string(last));
  // The store still takes writes, and the database is intact.
  EXPECT_TRUE(key->SetValue("after", Sz("ok")));
  registry.reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  std::string check;
  sqlite3_exec(
      db, "PRAGMA integrity_check",
      [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) += values[0] ? values[0] : "";
        return 0;
      },
      &check, nullptr);
  sqlite3_close(db);
  EXPECT_EQ(check, "ok");
}

}  // namespace
}  // namespace zan
