#include "platform/posix/sqlite_registry.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/user_registry.h"
#include "settings/reg_file.h"
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

  // Runs `work` in `processes` child processes, each on its own connection
  // to the store, and expects every one to end with status 0 (`work`
  // answers the status: its step that failed, or 0).
  void RunInProcesses(int processes,
                      const std::function<int(RegistryKey& key, int p)>& work,
                      const std::string& key_path) {
    registry_.reset();
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        auto registry = SqliteRegistry::Open(path_);
        if (!registry) _exit(2);
        auto key = registry->CreateKey(RegistryHive::kCurrentUser, key_path);
        if (!key) _exit(3);
        _exit(work(*key, p));
      }
      children.push_back(pid);
    }
    for (pid_t pid : children) {
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
  }

  TempDir dir_;
  std::string path_;
  std::unique_ptr<SqliteRegistry> registry_;
};

// A store written by an older version that refused no depth: a chain of
// 20,000 keys, written as rows. It opens, refuses new keys below the limit
// and deletes whole, which a cascade of one delete per level cannot do.
TEST_F(SqliteRegistryTest, OlderStoreWithDeeperChainsStillDeletes) {
  constexpr int kLevels = 20000;
  registry_->CreateKey(RegistryHive::kCurrentUser, "Old")
      ->SetValue("top", SzValue("t"));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 10000);
  const std::string rows =
      "BEGIN;"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
      " WHERE i < " +
      std::to_string(kLevels) +
      ")"
      " INSERT INTO keys(id, parent, name, folded) SELECT 100000 + i,"
      " CASE i WHEN 1 THEN (SELECT id FROM keys WHERE folded = 'old')"
      " ELSE 100000 + i - 1 END, 'D', 'd' FROM n;"
      "INSERT INTO vals(key, name, folded, type, data)"
      " VALUES(100000 + " +
      std::to_string(kLevels) +
      ", 'leaf', 'leaf', 1, x'6c00');"
      "COMMIT;";
  ASSERT_EQ(sqlite3_exec(db, rows.c_str(), nullptr, nullptr, nullptr),
            SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);

  auto leaf = registry_->OpenKey(RegistryHive::kCurrentUser,
                                 "Old\\" + Chain(kLevels, "d"));
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->QueryValue("LEAF"), SzValue("l"));
  EXPECT_EQ(leaf->CreateKey("more"), nullptr);
  auto old = registry_->OpenKey(RegistryHive::kCurrentUser, "Old");
  EXPECT_EQ(old->CreateKey(Chain(kMaxRegistryKeyDepth, "d")), nullptr);

  EXPECT_TRUE(registry_->DeleteKey(RegistryHive::kCurrentUser, "old"));
  EXPECT_EQ(registry_->OpenKey(RegistryHive::kCurrentUser, "Old"), nullptr);
  EXPECT_EQ(leaf->QueryValue("leaf"), std::nullopt);
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  int remaining = -1;
  sqlite3_exec(
      db, "SELECT (SELECT count(*) FROM keys) + (SELECT count(*) FROM vals)",
      [](void* out, int, char** values, char**) {
        *static_cast<int*>(out) = std::atoi(values[0]);
        return 0;
      },
      &remaining, nullptr);
  sqlite3_close(db);
  EXPECT_EQ(remaining, 3);  // the three hive roots
}

// Runs `work` on a thread with a stack of `bytes`.
void RunOnSmallStack(size_t bytes, std::function<void()> work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, bytes);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attributes,
                [](void* arg) -> void* {
                  (*static_cast<std::function<void()>*>(arg))();
                  return nullptr;
                },
                &work),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// A store written by an older version that let a chain grow 2,000 keys deep
// (written as rows): it exports on a stack with room for no more than a few
// dozen bytes per level, and its export imports again up to the depth the
// store allows, every refused key named by its line, the rest applied.
TEST_F(SqliteRegistryTest, DeepChainsExportOnASmallStackAndImportUpToTheLimit) {
  constexpr int kLevels = 2000;
  const std::string path = dir_.File("old.db");
  SqliteRegistry::Open(path)
      ->CreateKey(RegistryHive::kCurrentUser, "Old")
      ->SetValue("top", SzValue("t"));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const std::string rows =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
      " WHERE i < " +
      std::to_string(kLevels) +
      ") INSERT INTO keys(id, parent, name, folded) SELECT 100000 + i,"
      " CASE i WHEN 1 THEN (SELECT id FROM keys WHERE folded = 'old')"
      " ELSE 100000 + i - 1 END, 'D', 'd' FROM n;"
      "INSERT INTO vals(key, name, folded, type, data) VALUES(100000 + " +
      std::to_string(kLevels) + ", 'leaf', 'leaf', 1, x'6c00');";
  ASSERT_EQ(sqlite3_exec(db, rows.c_str(), nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);

  auto old = SqliteRegistry::Open(path);
  std::string text;
  bool exported = false;
  RunOnSmallStack(128 * 1024, [&] {
    std::string error;
    exported = ExportRegFile(*old, "", text, error);
  });
  ASSERT_TRUE(exported);
  std::string leaf = "[HKEY_CURRENT_USER\\Old";
  for (int i = 0; i < kLevels; ++i) leaf += "\\D";
  EXPECT_NE(text.find(leaf + "]\n\"leaf\"=\"l\"\n"), std::string::npos);

  // Lines: header, blank, "[...\Old]", "top", blank, then a header and a
  // blank per level, so the key 513 levels deep stands on line 1028.
  auto copy = SqliteRegistry::Open(":memory:");
  std::string error;
  EXPECT_FALSE(ImportRegFile(
      *copy, text + "[HKEY_CURRENT_USER\\After]\n\"v\"=\"1\"\n", error));
  EXPECT_EQ(error.rfind("line 1028: key refused: deeper than 512 levels "
                        "(Old\\D\\D",
                        0),
            0u)
      << error.substr(0, 200);
  EXPECT_NE(error.find("\nline 1030: key refused"), std::string::npos);
  EXPECT_NE(error.find("more refused"), std::string::npos);
  std::string deepest = "Old";
  for (size_t i = 1; i < kMaxRegistryKeyDepth; ++i) deepest += "\\D";
  EXPECT_NE(copy->OpenKey(RegistryHive::kCurrentUser, deepest), nullptr);
  EXPECT_EQ(copy->OpenKey(RegistryHive::kCurrentUser, deepest + "\\D"),
            nullptr);
  auto after = copy->OpenKey(RegistryHive::kCurrentUser, "After");
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->QueryValue("v"), SzValue("1"));
}

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
  RunInProcesses(
      kProcesses,
      [&](RegistryKey& key, int p) {
        for (int i = 0; i < kIncrements; ++i) {
          bool done = false;
          for (int attempt = 0; attempt < 10000 && !done; ++attempt) {
            auto current = key.QueryValue("count");
            const uint32_t next = current ? DwordOf(current) + 1 : 1;
            done = key.CompareAndSetValue("count", current, DwordValue(next));
          }
          if (!done) return 4;
          // Plain writes of a value per process go through as well.
          if (!key.SetValue("p" + std::to_string(p), DwordValue(i))) return 5;
        }
        return 0;
      },
      "Counter");
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
  RunInProcesses(
      kProcesses,
      [&](RegistryKey& key, int p) {
        for (int i = 0; i < kLines; ++i) {
          const std::string line =
              "p" + std::to_string(p) + "-" + std::to_string(i);
          if (!key.RewriteValues([&](const RegistryValueList& values) {
                RegistryValueList next{{line, DwordValue(1)}};
                next.insert(next.end(), values.begin(), values.end());
                return next;
              })) {
            return 4;
          }
        }
        return 0;
      },
      "Lines");
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
