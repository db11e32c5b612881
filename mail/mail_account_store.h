#ifndef ZAN_MAIL_MAIL_ACCOUNT_STORE_H_
#define ZAN_MAIL_MAIL_ACCOUNT_STORE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "settings/settings_store.h"

namespace zan {

// One POP3 account as the dialog and the check use it.
struct MailAccount {
  std::string server;
  std::string account;                // user name
  std::string password;               // plain; scrambled only in the registry
  std::string check_interval = "10";  // decimal minutes; below 1: no timer
  std::string secure_authentication = "0";  // "1": APOP

  bool operator==(const MailAccount&) const = default;
};

// The POP3 accounts and their status values in the sub key "POP3 Accounts"
// of the product key, shared by every toolbar instance of the user. The key
// is opened (created when missing) for each operation. Accounts are
// numbered from 1; `number` arguments are that number in decimal.
class MailAccountStore {
 public:
  static constexpr const char* kKeyName = "POP3 Accounts";
  // Capacity of a string read, terminating zero included.
  static constexpr size_t kMaxStringBytes = 1000;

  explicit MailAccountStore(const SettingsStore& settings)
      : settings_(settings) {}

  // Byte i XOR byte (i mod 15) of the key; the same call unscrambles.
  static std::string ScramblePassword(std::string_view password);

  std::vector<MailAccount> LoadAccounts() const;
  // Deletes the key with every value (status values included) and writes
  // the accounts again, numbered 1 to N in list order.
  void SaveAccounts(const std::vector<MailAccount>& accounts) const;

  // "NumberOfConfiguredAccounts"; std::nullopt when missing.
  std::optional<uint32_t> ReadAccountCount() const;
  uint32_t AccountCount() const { return ReadAccountCount().value_or(0); }

  // One account's settings; std::nullopt when the value cannot be read.
  std::optional<std::string> ReadServer(const std::string& number) const;
  std::optional<std::string> ReadUser(const std::string& number) const;
  // Unscrambled.
  std::optional<std::string> ReadPassword(const std::string& number) const;
  std::optional<std::string> ReadInterval(const std::string& number) const;
  // "UseSPA%u"; "0" when missing.
  std::string ReadSecureFlag(const std::string& number) const;

  // Status values.
  std::optional<uint32_t> ReadBusy(const std::string& number) const;
  void WriteBusy(const std::string& number, uint32_t busy) const;
  // Sets "AccountBusy%u" from anything but 1 to 1 in one step, so that two
  // instances never both take the account; false when it already was 1.
  bool TakeBusy(const std::string& number) const;
  std::optional<std::string> ReadStats(const std::string& number) const;
  void WriteStats(const std::string& number, const std::string& stats) const;
  // The empty text when there is no error.
  std::string ReadError(const std::string& number) const;
  // An empty text deletes the value.
  void WriteError(const std::string& number, const std::string& text) const;
  std::optional<uint32_t> ReadLastCheckTime(const std::string& number) const;
  void WriteLastCheckTime(const std::string& number, uint32_t time) const;
  void DeleteLastCheckTime(const std::string& number) const;

 private:
  // The key of the accounts, created when missing (for writes).
  std::unique_ptr<RegistryKey> OpenKey() const;
  // The key of the accounts when it exists (for reads).
  std::unique_ptr<RegistryKey> FindKey() const;
  std::optional<std::string> ReadString(const std::string& name) const;
  void WriteString(RegistryKey& key, const std::string& name,
                   const std::string& text) const;
  std::optional<uint32_t> ReadDword(const std::string& name) const;
  void WriteDword(const std::string& name, uint32_t value) const;

  const SettingsStore& settings_;
};

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_ACCOUNT_STORE_H_
