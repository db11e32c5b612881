#include "settings/reg_file.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/posix/sqlite_registry.h"
#include "tests/support/temp_dir.h"

namespace zan {
namespace {

RegistryValue Sz(const std::string& text) {
  return {RegistryType::kString, text + std::string(1, '\0')};
}

std::string Export(Registry& registry, const std::string& key = "") {
  std::string out, error;
  EXPECT_TRUE(ExportRegFile(registry, key, out, error)) << error;
  return out;
}

// A store with every kind of content the format must carry.
void Fill(Registry& registry) {
  auto product =
      registry.CreateKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc.\\ZAN");
  product->SetValue("GlobalUpdateFlag", Sz("0"));
  product->SetValue("AutoUpdatePeriod",
                    {RegistryType::kDword, std::string("\x18\0\0\0", 4)});
  product->SetValue("", Sz("default"));
  product->SetValue("Quoted \"name\" \\ back", Sz("C:\\dir\\\"x\""));
  product->SetValue("ZAN.tbd", Sz("-873187034"));
  auto accounts = product->CreateKey("POP3 Accounts");
  accounts->SetValue("POP3Password1",
                     {RegistryType::kBinary, std::string("\0\x7f\xff", 3)});
  accounts->SetValue("Long", {RegistryType::kBinary, std::string(100, '\x5a')});
  accounts->SetValue("Empty", {RegistryType::kBinary, ""});
  accounts->SetValue("Odd text", {RegistryType::kString, "no terminator"});
  accounts->SetValue("Lines", Sz("a\nb"));
  accounts->SetValue("Short dword", {RegistryType::kDword, "ab"});
  accounts->SetValue("Other type", {static_cast<RegistryType>(7), "x\0y"});
  product->CreateKey("HistorySearch");  // an empty key
  auto machine = registry.CreateKey(
      RegistryHive::kLocalMachine,
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZAN Inc.ZAN");
  machine->SetValue("DisplayName", Sz("ZAN Inc. - Toolbar"));
  registry.CreateKey(RegistryHive::kClassesRoot, "RYX.ZAN")
      ->SetValue("", Sz("ZAN"));
}

TEST(RegFileTest, ExportReadsLikeARegFile) {
  auto registry = SqliteRegistry::Open(":memory:");
  auto product = registry->CreateKey(RegistryHive::kCurrentUser,
                                     "SOFTWARE\\ZAN Inc.\\ZAN");
  product->SetValue("GlobalUpdateFlag", Sz("1"));
  product->SetValue("AutoUpdatePeriod",
                    {RegistryType::kDword, std::string("\x0a\0\0\0", 4)});
  product->SetValue("Bin", {RegistryType::kBinary, std::string("\x01\xab", 2)});
  product->SetValue("", Sz("d"));
  EXPECT_EQ(Export(*registry, "HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN"),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN]\n"
            "\"GlobalUpdateFlag\"=\"1\"\n"
            "\"AutoUpdatePeriod\"=dword:0000000a\n"
            "\"Bin\"=hex:01,ab\n"
            "@=\"d\"\n\n");
  // Abbreviated roots and any spelling find the same key.
  EXPECT_EQ(Export(*registry, "hkcu\\software\\zan inc.\\zan"),
            Export(*registry, "HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN"));
  std::string out, error;
  EXPECT_FALSE(ExportRegFile(*registry, "HKCU\\Nothing", out, error));
  EXPECT_EQ(error, "no such key: HKCU\\Nothing");
  EXPECT_FALSE(ExportRegFile(*registry, "HKEY_USERS\\x", out, error));
}

TEST(RegFileTest, ExportThenImportGivesTheSameStore) {
  auto original = SqliteRegistry::Open(":memory:");
  Fill(*original);
  const std::string text = Export(*original);
  EXPECT_NE(text.find("hex:5a,5a"), std::string::npos);
  EXPECT_NE(text.find(",\\\n  5a"), std::string::npos);  // long values wrap

  auto copy = SqliteRegistry::Open(":memory:");
  std::string error;
  ASSERT_TRUE(ImportRegFile(*copy, text, error)) << error;
  EXPECT_EQ(Export(*copy), text);
  auto accounts = copy->OpenKey(RegistryHive::kCurrentUser,
                                "SOFTWARE\\ZAN Inc.\\ZAN\\POP3 Accounts");
  ASSERT_NE(accounts, nullptr);
  EXPECT_EQ(
      accounts->QueryValue("POP3Password1"),
      (RegistryValue{RegistryType::kBinary, std::string("\0\x7f\xff", 3)}));
  EXPECT_EQ(accounts->QueryValue("Odd text"),
            (RegistryValue{RegistryType::kString, "no terminator"}));
  EXPECT_EQ(accounts->QueryValue("Lines"), Sz("a\nb"));
  EXPECT_NE(copy->OpenKey(RegistryHive::kCurrentUser,
                          "SOFTWARE\\ZAN Inc.\\ZAN\\HistorySearch"),
            nullptr);
}

TEST(RegFileTest, ImportEditsAndDeletes) {
  auto registry = SqliteRegistry::Open(":memory:");
  Fill(*registry);
  std::string error;
  ASSERT_TRUE(
      ImportRegFile(*registry,
                    "REGEDIT4\r\n"
                    "; a comment\r\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN]\r\n"
                    "\"GlobalUpdateFlag\"=\"1\"\r\n"
                    "\"ZAN.tbd\"=-\r\n"
                    "\"New\" = dword:FF\r\n"
                    "\"Wrapped\"=hex:01,02,\\\r\n"
                    "   03\r\n"
                    "[-HKCU\\SOFTWARE\\ZAN Inc.\\ZAN\\POP3 Accounts]\r\n",
                    error))
      << error;
  auto product =
      registry->OpenKey(RegistryHive::kCurrentUser, "SOFTWARE\\ZAN Inc.\\ZAN");
  EXPECT_EQ(product->QueryValue("GlobalUpdateFlag"), Sz("1"));
  EXPECT_EQ(product->QueryValue("ZAN.tbd"), std::nullopt);
  EXPECT_EQ(
      product->QueryValue("new"),
      (RegistryValue{RegistryType::kDword, std::string("\xff\0\0\0", 4)}));
  EXPECT_EQ(product->QueryValue("Wrapped"),
            (RegistryValue{RegistryType::kBinary, "\x01\x02\x03"}));
  EXPECT_EQ(product->OpenKey("POP3 Accounts"), nullptr);
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
TEST(RegFileTest, DeepChainsExportOnASmallStackAndImportUpToTheLimit) {
  constexpr int kLevels = 2000;
  test::TempDir dir;
  const std::string path = dir.File("old.db");
  SqliteRegistry::Open(path)
      ->CreateKey(RegistryHive::kCurrentUser, "Old")
      ->SetValue("top", Sz("t"));
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
  EXPECT_EQ(after->QueryValue("v"), Sz("1"));
}

TEST(RegFileTest, SyntaxErrorsChangeNothing) {
  struct Row {
    const char* text;
    const char* error;
  };
  const Row rows[] = {
      {"", "the file does not begin with REGEDIT4"},
      {"[HKCU\\X]\n", "line 1: the file does not begin with REGEDIT4"},
      {"REGEDIT4\n\"a\"=\"b\"\n", "line 2: a value outside a key"},
      {"REGEDIT4\n[HKCU\\X]\n\"a\"=dword:123456789\n",
       "line 3: bad value data"},
      {"REGEDIT4\n[HKCU\\X]\n\"a\"=hex:0g\n", "line 3: bad value data"},
      {"REGEDIT4\n[HKCU\\X]\n\"a\"=\"unterminated\n", "line 3: bad value data"},
      {"REGEDIT4\n[HKCU\\X]\na=\"b\"\n",
       "line 3: expected a quoted value name or @"},
      {"REGEDIT4\n[HKEY_USERS\\X]\n", "line 2: unknown root key"},
      {"REGEDIT4\n[HKCU\\X\n", "line 2: unterminated key name"},
      {"REGEDIT4\n[-HKCU]\n", "line 2: a root key cannot be deleted"},
  };
  for (const Row& row : rows) {
    auto registry = SqliteRegistry::Open(":memory:");
    std::string error;
    EXPECT_FALSE(ImportRegFile(*registry, row.text, error)) << row.text;
    EXPECT_EQ(error, row.error) << row.text;
    EXPECT_EQ(registry->OpenKey(RegistryHive::kCurrentUser, "X"), nullptr);
  }
}

// The zan-reg program over a real store file, when it has been built.
TEST(ZanRegToolTest, ExportImportRoundTrip) {
  // The build folder: ZAN_BINARY_DIR, else two levels above this test
  // program (tests/settings/settings_tests).
  const char* binary_dir = std::getenv("ZAN_BINARY_DIR");
  const std::string build =
      binary_dir != nullptr ? std::string(binary_dir)
                            : std::filesystem::read_symlink("/proc/self/exe")
                                  .parent_path()
                                  .parent_path()
                                  .parent_path()
                                  .string();
  const std::string tool = build + "/tools/zan-reg";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << tool << " not built";
  test::TempDir dir;
  {
    auto registry = SqliteRegistry::Open(dir.File("a.db"));
    Fill(*registry);
  }
  auto run = [&](const std::string& store, const std::string& args) {
    const std::string command =
        "ZAN_REGISTRY='" + store + "' '" + tool + "' " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run(dir.File("a.db"), "export > '" + dir.File("a.reg") + "'"), 0);
  ASSERT_EQ(run(dir.File("b.db"), "import '" + dir.File("a.reg") + "'"), 0);
  ASSERT_EQ(run(dir.File("b.db"), "export > '" + dir.File("b.reg") + "'"), 0);
  EXPECT_EQ(dir.ReadFile("a.reg"), dir.ReadFile("b.reg"));
  EXPECT_NE(dir.ReadFile("a.reg").find("[HKEY_CURRENT_USER\\SOFTWARE\\ZAN "
                                       "Inc.\\ZAN]"),
            std::string::npos);
  ASSERT_EQ(run(dir.File("b.db"),
                "export 'HKCU\\SOFTWARE\\ZAN Inc.\\ZAN\\POP3 "
                "Accounts' > '" +
                    dir.File("c.reg") + "'"),
            0);
  EXPECT_EQ(dir.ReadFile("c.reg").find("GlobalUpdateFlag"), std::string::npos);
  EXPECT_EQ(run(dir.File("b.db"), "export HKCU\\\\Missing 2>/dev/null"), 1);
  EXPECT_EQ(run(dir.File("b.db"), "bogus 2>/dev/null"), 2);
  // A refused key is named by its line on the error stream; the rest is
  // applied and the status says that not everything was.
  std::string deep;
  for (size_t i = 0; i <= kMaxRegistryKeyDepth; ++i) deep += "\\d";
  dir.WriteFile("deep.reg", "REGEDIT4\n[HKCU" + deep + "]\n\"v\"=\"1\"\n" +
                                "[HKCU\\Rest]\n\"w\"=\"2\"\n");
  EXPECT_EQ(run(dir.File("b.db"), "import '" + dir.File("deep.reg") + "' 2>'" +
                                      dir.File("deep.err") + "'"),
            1);
  EXPECT_EQ(dir.ReadFile("deep.err")
                .find("zan-reg: " + dir.File("deep.reg") +
                      ": line 2: key refused: deeper than 512 levels (d\\d"),
            0u)
      << dir.ReadFile("deep.err");
  EXPECT_EQ(SqliteRegistry::Open(dir.File("b.db"))
                ->OpenKey(RegistryHive::kCurrentUser, "Rest")
                ->QueryValue("w"),
            Sz("2"));
  dir.WriteFile("bad.reg", "not a reg file\n");
  EXPECT_EQ(
      run(dir.File("b.db"), "import '" + dir.File("bad.reg") + "' 2>/dev/null"),
      1);
}

}  // namespace
}  // namespace zan
