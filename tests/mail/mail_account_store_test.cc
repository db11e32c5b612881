#include "mail/mail_account_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/mail/mail_fakes.h"

namespace zan {
namespace {

MailAccount Account(const std::string& server, const std::string& user,
                    const std::string& password,
                    const std::string& interval = "10",
                    const std::string& spa = "0") {
  return MailAccount{server, user, password, interval, spa};
}

TEST(MailAccountStoreTest, ScramblePassword) {
  EXPECT_EQ(MailAccountStore::ScramblePassword(""), "");
  // The key itself scrambles to zero bytes.
  std::string key = "MHR461QX%@58TTB";
  EXPECT_EQ(MailAccountStore::ScramblePassword(key), std::string(15, '\0'));
  // Position 15 uses the key's first byte again.
  std::string long_one = std::string(15, 'a') + "M";
  EXPECT_EQ(MailAccountStore::ScramblePassword(long_one).back(), '\0');
  std::string any = "p\xE4ss\x01word with blanks and more than fifteen";
  EXPECT_EQ(MailAccountStore::ScramblePassword(
                MailAccountStore::ScramblePassword(any)),
            any);
}

TEST(MailAccountStoreTest, PasswordsKeepTheirExactBytes) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  // "M" and "H" equal the key at positions 0 and 1: stored as zero bytes.
  std::vector<MailAccount> accounts = {Account("s1", "u1", "MHx"),
                                       Account("s2", "u2", "")};
  store.SaveAccounts(accounts);
  auto first = disk.Key()->QueryValue("POP3Password1");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->type, RegistryType::kBinary);
  EXPECT_EQ(first->data, std::string("\0\0", 2) + static_cast<char>('x' ^ 'R'));
  auto second = disk.Key()->QueryValue("POP3Password2");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->type, RegistryType::kBinary);
  EXPECT_EQ(second->data.size(), 0u);
  auto server = disk.Key()->QueryValue("POP3Server1");
  ASSERT_TRUE(server);
  EXPECT_EQ(server->data, std::string("s1\0", 3));
  EXPECT_EQ(store.LoadAccounts(), accounts);
}

TEST(MailAccountStoreTest, SaveRewritesTheWholeKey) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  std::vector<MailAccount> accounts = {Account("one", "a", "x"),
                                       Account("two", "b", "y", "0", "1"),
                                       Account("three", "c", "z", "30")};
  store.SaveAccounts(accounts);
  store.WriteStats("1", "3 5120");
  store.WriteError("2", "Hostname Error!");
  store.WriteBusy("3", 1);
  store.WriteLastCheckTime("1", 12345);
  EXPECT_EQ(store.LoadAccounts(), accounts);

  accounts.erase(accounts.begin() + 1);
  store.SaveAccounts(accounts);
  std::vector<std::string> expected = {"NumberOfConfiguredAccounts",
                                       "POP3Password1",
                                       "POP3Account1",
                                       "POP3Server1",
                                       "CheckInterval1",
                                       "UseSPA1",
                                       "POP3Password2",
                                       "POP3Account2",
                                       "POP3Server2",
                                       "CheckInterval2",
                                       "UseSPA2"};
  std::vector<std::string> names = disk.ValueNames();
  if (!test::ValuesKeepWritingOrder()) {
    // Wine lists the values by name, not in writing order.
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(store.ReadServer("2"), "three");
  EXPECT_EQ(store.AccountCount(), 2u);

  store.SaveAccounts({});
  EXPECT_EQ(disk.ValueNames(),
            std::vector<std::string>{"NumberOfConfiguredAccounts"});
  EXPECT_EQ(store.ReadAccountCount(), 0u);
  EXPECT_TRUE(store.LoadAccounts().empty());
}

TEST(MailAccountStoreTest, SecurityAndPort) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  MailAccount stls = Account("s", "u1", "p");
  stls.security = MailSecurity::kStls;
  MailAccount tls = Account("t", "u2", "p");
  tls.security = MailSecurity::kTls;
  tls.port = 995;
  MailAccount odd_port = Account("o", "u3", "p");
  odd_port.port = 1110;
  std::vector<MailAccount> accounts = {stls, tls, odd_port,
                                       Account("plain", "u4", "p")};
  store.SaveAccounts(accounts);
  EXPECT_EQ(store.LoadAccounts(), accounts);
  EXPECT_EQ(disk.Key()->QueryValue("POP3Security1")->data,
            std::string("1\0", 2));
  EXPECT_EQ(disk.Key()->QueryValue("POP3Security2")->data,
            std::string("2\0", 2));
  // A plain account on port 110 is stored as an older version stores it.
  EXPECT_FALSE(disk.Key()->QueryValue("POP3Security4"));
  EXPECT_FALSE(disk.Key()->QueryValue("POP3Port4"));

  // Values this version does not know never weaken an account; a port that
  // is no port falls back to the default of the account's security.
  auto key = disk.Key();
  RegistryValue text{RegistryType::kString, std::string("ssl\0", 4)};
  key->SetValue("POP3Security3", text);
  key->SetValue("POP3Port3", DwordValue(70000));
  EXPECT_EQ(store.ReadSecurity("3"), MailSecurity::kTls);
  EXPECT_EQ(store.ReadPort("3"), 995);
  key->DeleteValue("POP3Security2");
  key->DeleteValue("POP3Port2");
  EXPECT_EQ(store.ReadSecurity("2"), MailSecurity::kNone);
  EXPECT_EQ(store.ReadPort("2"), 110);
}

TEST(MailAccountStoreTest, LoadSkipsAccountsWithMissingValues) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  EXPECT_EQ(store.ReadAccountCount(), std::nullopt);
  EXPECT_TRUE(store.LoadAccounts().empty());

  store.SaveAccounts({Account("a", "1", "p"), Account("b", "2", "p"),
                      Account("c", "3", "p", "5", "1"),
                      Account("d", "4", "p")});
  auto key = disk.Key();
  key->DeleteValue("CheckInterval2");
  key->DeleteValue("UseSPA3");
  key->DeleteValue("POP3Password4");
  std::vector<MailAccount> loaded = store.LoadAccounts();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].server, "a");
  EXPECT_EQ(loaded[1].server, "c");
  EXPECT_EQ(loaded[1].secure_authentication, "0");  // missing reads as "0"

  // A value longer than a read can hold counts as missing.
  RegistryValue huge{RegistryType::kString, std::string(1000, 'x') + '\0'};
  key->SetValue("POP3Server1", huge);
  EXPECT_EQ(store.ReadServer("1"), std::nullopt);
  RegistryValue fits{RegistryType::kString, std::string(999, 'x') + '\0'};
  key->SetValue("POP3Server1", fits);
  EXPECT_EQ(store.ReadServer("1"), std::string(999, 'x'));
}

TEST(MailAccountStoreTest, StatusValues) {
  StoreOnDisk disk;
  const MailAccountStore& store = disk.store();
  store.WriteError("4", "Connection TimeOut!");
  EXPECT_EQ(store.ReadError("4"), "Connection TimeOut!");
  store.WriteError("4", "");
  EXPECT_EQ(store.ReadError("4"), "");
  EXPECT_FALSE(disk.Key()->QueryValue("AccountError4"));

  EXPECT_TRUE(store.TakeBusy("1"));
  EXPECT_EQ(store.ReadBusy("1"), 1u);
  EXPECT_FALSE(store.TakeBusy("1"));
  store.WriteBusy("1", 0);
  EXPECT_TRUE(store.TakeBusy("1"));

  store.WriteLastCheckTime("2", 77);
  EXPECT_EQ(store.ReadLastCheckTime("2"), 77u);
  store.DeleteLastCheckTime("2");
  EXPECT_EQ(store.ReadLastCheckTime("2"), std::nullopt);
}

}  // namespace
}  // namespace zan
