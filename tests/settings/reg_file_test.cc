#include "settings/reg_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

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
  test::TempDir dir;
  auto registry = test::MakeTestRegistry(dir);
  auto product = registry->CreateKey(RegistryHive::kCurrentUser,
                                     "SOFTWARE\\ZAN Inc.\\ZAN");
  product->SetValue("GlobalUpdateFlag", Sz("1"));
  product->SetValue("AutoUpdatePeriod",
                    {RegistryType::kDword, std::string("\x0a\0\0\0", 4)});
  product->SetValue("Bin", {RegistryType::kBinary, std::string("\x01\xab", 2)});
  product->SetValue("", Sz("d"));
  // Values in writing order (Wine's registry lists them by name).
  EXPECT_EQ(Export(*registry, "HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN"),
            test::ValuesKeepWritingOrder()
                ? "REGEDIT4\n\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN]\n"
                  "\"GlobalUpdateFlag\"=\"1\"\n"
                  "\"AutoUpdatePeriod\"=dword:0000000a\n"
                  "\"Bin\"=hex:01,ab\n"
                  "@=\"d\"\n\n"
                : "REGEDIT4\n\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN]\n"
                  "@=\"d\"\n"
                  "\"AutoUpdatePeriod\"=dword:0000000a\n"
                  "\"Bin\"=hex:01,ab\n"
                  "\"GlobalUpdateFlag\"=\"1\"\n\n");
  // Abbreviated roots and any spelling find the same key.
  EXPECT_EQ(Export(*registry, "hkcu\\software\\zan inc.\\zan"),
            Export(*registry, "HKEY_CURRENT_USER\\SOFTWARE\\ZAN Inc.\\ZAN"));
  std::string out, error;
  EXPECT_FALSE(ExportRegFile(*registry, "HKCU\\Nothing", out, error));
  EXPECT_EQ(error, "no such key: HKCU\\Nothing");
  EXPECT_FALSE(ExportRegFile(*registry, "HKEY_USERS\\x", out, error));
}

TEST(RegFileTest, ExportThenImportGivesTheSameStore) {
  test::TempDir dir;
  auto original = test::MakeTestRegistry(dir);
  Fill(*original);
  const std::string text = Export(*original);
  EXPECT_NE(text.find("hex:5a,5a"), std::string::npos);
  EXPECT_NE(text.find(",\\\n  5a"), std::string::npos);  // long values wrap

  test::TempDir copy_dir;
  auto copy = test::MakeTestRegistry(copy_dir);
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
  test::TempDir dir;
  auto registry = test::MakeTestRegistry(dir);
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
    test::TempDir dir;
    auto registry = test::MakeTestRegistry(dir);
    std::string error;
    EXPECT_FALSE(ImportRegFile(*registry, row.text, error)) << row.text;
    EXPECT_EQ(error, row.error) << row.text;
    EXPECT_EQ(registry->OpenKey(RegistryHive::kCurrentUser, "X"), nullptr);
  }
}

}  // namespace
}  // namespace zan
