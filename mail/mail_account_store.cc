#include "mail/mail_account_store.h"

#include <climits>

namespace zan {
namespace {

constexpr char kScrambleKey[] = "MHR461QX%@58TTB";
constexpr size_t kScrambleKeyLength = sizeof kScrambleKey - 1;

std::optional<uint32_t> DwordOf(const std::optional<RegistryValue>& value) {
  if (!value || value->data.size() < 4) return std::nullopt;
  uint32_t result = 0;
  for (int i = 3; i >= 0; --i) {
    result = (result << 8) | static_cast<unsigned char>(value->data[i]);
  }
  return result;
}

}  // namespace

std::string MailAccountStore::ScramblePassword(std::string_view password) {
  std::string result(password);
  for (size_t i = 0; i < result.size(); ++i) {
    result[i] =
        static_cast<char>(result[i] ^ kScrambleKey[i % kScrambleKeyLength]);
  }
  return result;
}

std::unique_ptr<RegistryKey> MailAccountStore::OpenKey() const {
  return settings_.OpenProductSubKey(kKeyName);
}

std::unique_ptr<RegistryKey> MailAccountStore::FindKey() const {
  return settings_.FindProductKey(kKeyName);
}

std::optional<std::string> MailAccountStore::ReadString(
    const std::string& name) const {
  auto key = FindKey();
  if (!key) return std::nullopt;
  std::optional<RegistryValue> value = key->QueryValue(name);
  if (!value || value->data.size() > kMaxStringBytes) return std::nullopt;
  std::string text = value->data;
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void MailAccountStore::WriteString(RegistryKey& key, const std::string& name,
                                   const std::string& text) const {
  RegistryValue value;
  value.type = RegistryType::kString;
  value.data = text;
  value.data.push_back('\0');
  key.SetValue(name, value);
}

std::optional<uint32_t> MailAccountStore::ReadDword(
    const std::string& name) const {
  auto key = FindKey();
  if (!key) return std::nullopt;
  return DwordOf(key->QueryValue(name));
}

void MailAccountStore::WriteDword(const std::string& name,
                                  uint32_t value) const {
  auto key = OpenKey();
  if (key) key->SetValue(name, DwordValue(value));
}

std::optional<uint32_t> MailAccountStore::ReadAccountCount() const {
  return ReadDword("NumberOfConfiguredAccounts");
}

std::optional<std::string> MailAccountStore::ReadServer(
    const std::string& number) const {
  return ReadString("POP3Server" + number);
}

std::optional<std::string> MailAccountStore::ReadUser(
    const std::string& number) const {
  return ReadString("POP3Account" + number);
}

std::optional<std::string> MailAccountStore::ReadPassword(
    const std::string& number) const {
  auto key = FindKey();
  if (!key) return std::nullopt;
  std::optional<RegistryValue> value = key->QueryValue("POP3Password" + number);
  if (!value || value->data.size() > kMaxStringBytes) return std::nullopt;
  return ScramblePassword(value->data);
}

std::optional<std::string> MailAccountStore::ReadInterval(
    const std::string& number) const {
  return ReadString("CheckInterval" + number);
}

std::string MailAccountStore::ReadSecureFlag(const std::string& number) const {
  return ReadString("UseSPA" + number).value_or("0");
}

MailSecurity MailAccountStore::ReadSecurity(const std::string& number) const {
  std::optional<std::string> text = ReadString("POP3Security" + number);
  return SecurityOfText(text ? &*text : nullptr);
}

uint16_t MailAccountStore::ReadPort(const std::string& number) const {
  std::optional<uint32_t> port = ReadDword("POP3Port" + number);
  if (!port || *port == 0 || *port > 65535) {
    return DefaultPortOf(ReadSecurity(number));
  }
  return static_cast<uint16_t>(*port);
}

std::vector<MailAccount> MailAccountStore::LoadAccounts() const {
  std::vector<MailAccount> accounts;
  uint32_t count = AccountCount();
  for (uint32_t n = 1; n <= count; ++n) {
    std::string number = std::to_string(n);
    std::optional<std::string> password = ReadPassword(number);
    std::optional<std::string> user = ReadUser(number);
    std::optional<std::string> server = ReadServer(number);
    std::optional<std::string> interval = ReadInterval(number);
    if (!password || !user || !server || !interval) continue;
    accounts.push_back(MailAccount{*server, *user, *password, *interval,
                                   ReadSecureFlag(number), ReadSecurity(number),
                                   ReadPort(number)});
  }
  return accounts;
}

void MailAccountStore::SaveAccounts(
    const std::vector<MailAccount>& accounts) const {
  auto product = settings_.OpenProductKey();
  if (!product) return;
  product->DeleteKey(kKeyName);
  auto key = product->CreateKey(kKeyName);
  if (!key) return;
  if (!key->SetValue("NumberOfConfiguredAccounts",
                     DwordValue(static_cast<uint32_t>(accounts.size()))) ||
      accounts.empty()) {
    return;
  }
  for (size_t i = 0; i < accounts.size(); ++i) {
    const MailAccount& account = accounts[i];
    std::string number = std::to_string(i + 1);
    RegistryValue password;
    password.type = RegistryType::kBinary;
    password.data = ScramblePassword(account.password);
    key->SetValue("POP3Password" + number, password);
    WriteString(*key, "POP3Account" + number, account.account);
    WriteString(*key, "POP3Server" + number, account.server);
    WriteString(*key, "CheckInterval" + number, account.check_interval);
    WriteString(*key, "UseSPA" + number, account.secure_authentication);
    // A plain account on port 110 is stored as it always was.
    if (account.security != MailSecurity::kNone || account.port != kPop3Port) {
      WriteString(*key, "POP3Security" + number,
                  SecurityText(account.security));
      key->SetValue("POP3Port" + number, DwordValue(account.port));
    }
  }
}

std::optional<uint32_t> MailAccountStore::ReadBusy(
    const std::string& number) const {
  return ReadDword("AccountBusy" + number);
}

void MailAccountStore::WriteBusy(const std::string& number,
                                 uint32_t busy) const {
  WriteDword("AccountBusy" + number, busy);
}

bool MailAccountStore::TakeBusy(const std::string& number) const {
  auto key = OpenKey();
  if (!key) return false;
  const std::string name = "AccountBusy" + number;
  // A few rounds are enough: each failed round means another instance
  // changed the value in between.
  for (int round = 0; round < 8; ++round) {
    std::optional<RegistryValue> current = key->QueryValue(name);
    if (DwordOf(current) == 1u) return false;
    if (key->CompareAndSetValue(name, current, DwordValue(1))) return true;
  }
  return false;
}

std::optional<std::string> MailAccountStore::ReadStats(
    const std::string& number) const {
  return ReadString("AccountStats" + number);
}

void MailAccountStore::WriteStats(const std::string& number,
                                  const std::string& stats) const {
  auto key = OpenKey();
  if (key) WriteString(*key, "AccountStats" + number, stats);
}

std::string MailAccountStore::ReadError(const std::string& number) const {
  return ReadString("AccountError" + number).value_or("");
}

void MailAccountStore::WriteError(const std::string& number,
                                  const std::string& text) const {
  if (text.empty()) {
    if (auto key = FindKey()) key->DeleteValue("AccountError" + number);
  } else if (auto key = OpenKey()) {
    WriteString(*key, "AccountError" + number, text);
  }
}

std::optional<uint32_t> MailAccountStore::ReadLastCheckTime(
    const std::string& number) const {
  return ReadDword("LastCheckTime" + number);
}

void MailAccountStore::WriteLastCheckTime(const std::string& number,
                                          uint32_t time) const {
  WriteDword("LastCheckTime" + number, time);
}

void MailAccountStore::DeleteLastCheckTime(const std::string& number) const {
  auto key = FindKey();
  if (key) key->DeleteValue("LastCheckTime" + number);
}

}  // namespace zan
