// zan-mail: the toolbar's mail checker without a browser.
//
//   zan-mail list
//   zan-mail add --server HOST --user NAME [--apop] [--interval MINUTES]
//       [--starttls | --tls] [--port PORT]
//       (the password is the first line of standard input)
//   zan-mail remove N
//   zan-mail check [--force] [--port PORT]
//
// The accounts live in the user's registry store ($ZAN_REGISTRY, else
// $XDG_CONFIG_HOME/zan/registry.db, else ~/.config/zan/registry.db), shared
// with every toolbar of the user.

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "definition/toolbar_item.h"
#include "mail/mail_account_store.h"
#include "mail/mail_checker.h"
#include "mail/mail_indicator.h"
#include "mail/mail_toolbar.h"
#include "platform/std/plain_message_pump.h"
#include "platform/std/system_clock.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"
#include "tools/tool_platform.h"

namespace zan {
namespace {

int Usage() {
  std::cerr
      << "usage: zan-mail list\n"
         "       zan-mail add --server HOST --user NAME [--apop] "
         "[--interval MINUTES]\n"
         "                [--starttls | --tls] [--port PORT]\n"
         "                (reads the password from standard input)\n"
         "       zan-mail remove N\n"
         "       zan-mail check [--force] [--port PORT]\n"
         "MINUTES is 0 (no automatic check) or 10 to 180; the default is "
         "10.\n"
         "--starttls upgrades the connection with STLS (port 110 by "
         "default),\n--tls speaks TLS from the first byte (port 995 by "
         "default); without them\nthe account is plain text on port 110. "
         "check --port replaces every account's port.\n"
         "check runs one pass over the accounts that are due (all of them "
         "with --force)\nand exits 0 when every account was checked without "
         "error, 1 otherwise.\n";
  return 2;
}

int Fail(const std::string& message) {
  std::cerr << "zan-mail: " << message << "\n";
  return 2;
}

// A whole decimal number in [lowest, highest], nothing else.
std::optional<long> ParseNumber(const std::string& text, long lowest,
                                long highest) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

// The accounts with their numbers in the store; accounts that cannot be
// read are left out, as the dialog leaves them out.
std::vector<std::pair<uint32_t, MailAccount>> NumberedAccounts(
    const MailAccountStore& store) {
  std::vector<std::pair<uint32_t, MailAccount>> accounts;
  uint32_t count = store.AccountCount();
  for (uint32_t n = 1; n <= count; ++n) {
    std::string number = std::to_string(n);
    auto password = store.ReadPassword(number);
    auto user = store.ReadUser(number);
    auto server = store.ReadServer(number);
    auto interval = store.ReadInterval(number);
    if (!password || !user || !server || !interval) continue;
    accounts.push_back(
        {n, MailAccount{*server, *user, *password, *interval,
                        store.ReadSecureFlag(number),
                        store.ReadSecurity(number), store.ReadPort(number)}});
  }
  return accounts;
}

std::string SecurityName(MailSecurity security) {
  switch (security) {
    case MailSecurity::kNone:
      return "plain";
    case MailSecurity::kStls:
      return "starttls";
    case MailSecurity::kTls:
      return "tls";
  }
  return "tls";
}

int List(const MailAccountStore& store) {
  for (const auto& [number, account] : NumberedAccounts(store)) {
    long minutes = ReadInteger(account.check_interval);
    std::cout << number << "\t" << account.server << "\t" << account.account
              << "\t"
              << (minutes >= 1 ? "every " + std::to_string(minutes) + " min"
                               : std::string("manual"))
              << "\t"
              << (account.secure_authentication == "1" ? "apop" : "user/pass")
              << "\t" << SecurityName(account.security) << " " << account.port
              << "\n";
  }
  return 0;
}

int Add(const MailAccountStore& store, const std::vector<std::string>& args) {
  MailAccount account;
  std::optional<long> port;
  bool starttls = false;
  bool tls = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool has_value = i + 1 < args.size();
    if (arg == "--apop") {
      account.secure_authentication = "1";
    } else if (arg == "--starttls") {
      starttls = true;
    } else if (arg == "--tls") {
      tls = true;
    } else if (arg == "--port" && has_value) {
      port = ParseNumber(args[++i], 1, 65535);
      if (!port) return Fail("--port must be a number from 1 to 65535");
    } else if (arg == "--server" && has_value) {
      account.server = args[++i];
    } else if (arg == "--user" && has_value) {
      account.account = args[++i];
    } else if (arg == "--interval" && has_value) {
      std::optional<long> minutes = ParseNumber(args[++i], 0, 180);
      if (!minutes || (*minutes != 0 && *minutes < 10)) {
        return Fail("--interval must be 0 or 10 to 180 minutes");
      }
      account.check_interval = std::to_string(*minutes);
    } else {
      return Usage();
    }
  }
  if (account.server.empty() || account.account.empty()) return Usage();
  if (starttls && tls) return Fail("--starttls and --tls exclude each other");
  account.security = tls        ? MailSecurity::kTls
                     : starttls ? MailSecurity::kStls
                                : MailSecurity::kNone;
  account.port =
      port ? static_cast<uint16_t>(*port) : DefaultPortOf(account.security);
  for (const std::string* field : {&account.server, &account.account}) {
    if (field->size() > MailAccountStore::kMaxStringBytes - 1) {
      return Fail("server and user name are at most 999 characters");
    }
    if (field->find_first_of("\r\n") != std::string::npos) {
      return Fail("server and user name must not hold line breaks");
    }
  }
  std::string password;
  std::getline(std::cin, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.size() > MailAccountStore::kMaxStringBytes) {
    return Fail("the password is at most 1000 characters");
  }
  account.password = password;
  std::vector<MailAccount> accounts;
  for (auto& numbered : NumberedAccounts(store)) {
    accounts.push_back(numbered.second);
  }
  accounts.push_back(account);
  store.SaveAccounts(accounts);
  std::cout << accounts.size() << "\t" << account.server << "\t"
            << account.account << "\t" << SecurityName(account.security) << " "
            << account.port << "\n";
  return 0;
}

int Remove(const MailAccountStore& store, const std::string& which) {
  std::optional<long> number = ParseNumber(which, 1, 0x7FFFFFFF);
  if (!number) return Fail("N must be an account number from 'zan-mail list'");
  std::vector<MailAccount> kept;
  bool found = false;
  for (auto& [n, account] : NumberedAccounts(store)) {
    if (n == static_cast<uint32_t>(*number)) {
      found = true;
    } else {
      kept.push_back(account);
    }
  }
  if (!found) return Fail("there is no account " + which);
  store.SaveAccounts(kept);
  return 0;
}

int Check(const MailAccountStore& store, const std::vector<std::string>& args) {
  bool force = false;
  std::optional<uint16_t> port;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--force") {
      force = true;
    } else if (args[i] == "--port" && i + 1 < args.size()) {
      std::optional<long> value = ParseNumber(args[++i], 1, 65535);
      if (!value) return Fail("--port must be a number from 1 to 65535");
      port = static_cast<uint16_t>(*value);
    } else {
      return Usage();
    }
  }
  std::unique_ptr<TcpConnectionFactory> connections = CreateToolConnections();
  PlainMessagePump pump;
  SystemClock clock;
  NoMailToolbar toolbar;
  bool all_good = true;
  {
    MailChecker checker(store, *connections, pump, clock, toolbar);
    if (port) checker.set_port(*port);
    if (force) {
      checker.CheckMailNow();
    } else {
      checker.RunCheckPass(kMailCheckTimerId);
    }
    for (bool result : checker.last_pass_results()) {
      all_good = all_good && result;
    }
  }
  uint32_t count = store.AccountCount();
  for (uint32_t n = 1; n <= count; ++n) {
    std::string number = std::to_string(n);
    std::string error = store.ReadError(number);
    if (!error.empty()) all_good = false;
    std::cout << n << "\t" << store.ReadServer(number).value_or("") << "\t"
              << store.ReadUser(number).value_or("") << "\t"
              << (error.empty() ? store.ReadStats(number).value_or("") : error)
              << "\n";
  }
  ToolbarIndicator indicator;
  indicator.type = "POP3";
  EvaluateIndicator(indicator, store);
  std::cout << indicator.hint << "\n";
  return all_good ? 0 : 1;
}

}  // namespace
}  // namespace zan

int main(int argc, char** argv) {
  if (argc < 2) return zan::Usage();
  const std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  std::unique_ptr<zan::Registry> registry = zan::OpenToolRegistry();
  if (!registry) return zan::Fail("cannot open the registry store");
  zan::SettingsStore settings(*registry);
  zan::MailAccountStore store(settings);
  if (command == "list" && args.empty()) return zan::List(store);
  if (command == "add") return zan::Add(store, args);
  if (command == "remove" && args.size() == 1) {
    return zan::Remove(store, args[0]);
  }
  if (command == "check") return zan::Check(store, args);
  return zan::Usage();
}
