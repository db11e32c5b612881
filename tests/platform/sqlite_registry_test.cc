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
#include "tests/platform/registry_contract.h"
#include "tests/support/temp_dir.h"

namespace zan::test {
namespace {

// Only what is special to the SQLite file: its mode, its place, several
// processes sharing it, a writer killed midway. The semantics every form
// shares are in registry_contract.cc.

class SqliteRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("registry.db");
    registry_ = SqliteRegistry::Open(path_);
    ASSERT_NE(registry_, nullptr);
  }

  TempDir dir_;
  std::string path_;
  std::unique_ptr<SqliteRegistry> registry_;
};

TEST_F(SqliteRegistryTest, FileIsPrivate) {
  {
    auto key = registry_->CreateKey(RegistryHive::kCurrentUser, "K");
    ASSERT_TRUE(key->SetValue("kept", SzValue("yes")));
  }
  registry_.reset();
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
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
          const uint32_t next = current ? DwordOf(current) + 1 : 1;
          done = key->CompareAndSetValue("count", current, DwordValue(next));
        }
        if (!done) _exit(4);
        // Plain writes of a value per process go through as well.
        if (!key->SetValue("p" + std::to_string(p), DwordValue(i))) _exit(5);
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
  EXPECT_EQ(DwordOf(key->QueryValue("count")),
            static_cast<uint32_t>(kProcesses * kIncrements));
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(DwordOf(key->QueryValue("p" + std::to_string(p))),
              static_cast<uint32_t>(kIncrements - 1));
  }
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
              RegistryValueList next{{line, DwordValue(1)}};
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
      key->SetValue("last", DwordValue(i));
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
      if (key && DwordOf(key->QueryValue("last")) != 0xFFFFFFFF &&
          DwordOf(key->QueryValue("last")) > 200) {
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
  const uint32_t last = DwordOf(key->QueryValue("last"));
  ASSERT_NE(last, 0xFFFFFFFF);
  EXPECT_GT(last, 200u);
  // The value written just before "last" is whole.
  auto written = key->QueryValue("n" + std::to_string(last % 50));
  ASSERT_TRUE(written);
  EXPECT_EQ(written->data, std::string(2000, 'x') + std::to_string(last));
  // The store still takes writes, and the database is intact.
  EXPECT_TRUE(key->SetValue("after", SzValue("ok")));
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
}  // namespace zan::test
