#include "commands/service_command.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "commands/highlight.h"
#include "commands/proxy_switch.h"
#include "commands/toolbar_access.h"
#include "definition/toolbar_command.h"
#include "definition/toolbar_model.h"
#include "mail/mail_account_store.h"
#include "mail/mail_toolbar.h"
#include "platform/browser.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "settings/browser_utils.h"
#include "settings/product_constants.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"

namespace zan {
namespace {

constexpr char kLastCheckTime[] = "LastCheckTime";
constexpr char kPopupSetting[] = "PopupBlockingEnabled";

// The account number of a value name "LastCheckTime" + n (n in decimal
// without leading zeros, the name compared as the registry compares names),
// or 0 for any other name.
uint64_t LastCheckTimeNumber(const std::string& name) {
  const size_t prefix = sizeof(kLastCheckTime) - 1;
  if (name.size() <= prefix || name.size() > prefix + 10) return 0;
  if (!EqualsIgnoringAsciiCase(std::string_view(name).substr(0, prefix),
                               kLastCheckTime)) {
    return 0;
  }
  if (name[prefix] == '0') return 0;
  uint64_t number = 0;
  for (size_t i = prefix; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + static_cast<uint64_t>(name[i] - '0');
  }
  return number;
}

// Makes every account due: deletes "LastCheckTime1" to "LastCheckTime" + N.
// Only the names that exist are visited, so a huge stored count costs
// nothing.
void ForgetLastCheckTimes(const SettingsStore& settings) {
  std::unique_ptr<RegistryKey> key =
      settings.FindProductKey(MailAccountStore::kKeyName);
  if (!key) return;
  const uint32_t accounts =
      MailAccountStore(settings).ReadAccountCount().value_or(0);
  if (accounts == 0) return;
  std::vector<std::string> doomed;
  for (uint32_t i = 0;; ++i) {
    std::optional<std::string> name = key->EnumValue(i);
    if (!name) break;
    const uint64_t number = LastCheckTimeNumber(*name);
    if (number >= 1 && number <= accounts) doomed.push_back(*name);
  }
  for (const std::string& name : doomed) key->DeleteValue(name);
}

void TogglePopupBlocking(const SettingsStore& settings, Ui& ui,
                         const std::string& caption) {
  const bool was_on = settings.GetDword(kPopupSetting, 0) != 0;
  settings.SetDword(kPopupSetting, was_on ? 0 : 1);
  const auto halves = SplitCaption(caption);
  std::string message;
  if (!was_on) {
    message = halves ? halves->first : kPopupBlockingEnabledText;
  } else {
    message = halves ? halves->second : kPopupBlockingDisabledText;
  }
  ui.ShowMessageBox(message, ProductName(), MessageBoxButtons::kOk,
                    MessageBoxIcon::kInformation);
}

void ChangeProxy(ProxySettings& proxy, const std::string& caption) {
  if (caption.empty()) {
    DisableConnectionProxy(proxy, std::nullopt);
    return;
  }
  if (const auto halves = SplitCaption(caption)) {
    SetConnectionOptions(proxy, std::nullopt, halves->first, halves->second);
  } else {
    SetConnectionOptions(proxy, std::nullopt, caption, std::nullopt);
  }
}

void ClearHistory(ToolbarControl& toolbar, const SettingsStore& settings,
                  const std::string& caption) {
  // The caption names a search box: only that box's history key goes. The
  // caption itself never names the key to delete, or "POP3 Accounts" would
  // take the mail accounts with it (and an empty one every setting).
  if (std::unique_ptr<RegistryKey> product = settings.FindProductKey()) {
    product->DeleteKey(SettingsStore::HistoryKeyName(caption));
  }
  for (const ComboInput& combo : CollectSearchBoxes(toolbar)) {
    if (combo.name == caption) combo.box->ClearHistory();
  }
}

void Uninstall(ToolbarControl& toolbar, Browser& browser, Ui& ui) {
  if (ui.ShowMessageBox(UninstallPrompt(), AlertTitle(),
                        MessageBoxButtons::kYesNo,
                        MessageBoxIcon::kNone) != MessageBoxAnswer::kYes) {
    return;
  }
  browser.Quit();
  toolbar.UnregisterToolbar();
}

void Update(ToolbarControl& toolbar, Browser& browser,
            const SettingsStore& settings) {
  settings.SetString("GlobalUpdateFlag", "1");
  toolbar.StartToolbar(true);
  browser.Navigate(SiteUpdateUrl(), "", "", "");
}

}  // namespace

std::optional<std::pair<std::string, std::string>> SplitCaption(
    const std::string& caption) {
  if (caption.empty()) return std::nullopt;
  const size_t p = caption.find(';');
  if (p == std::string::npos) return std::make_pair(caption, caption);
  if (p == 0) return std::nullopt;
  return std::make_pair(caption.substr(0, p), caption.substr(p + 1));
}

void ExecuteService(ToolbarControl& toolbar, const ServiceCommand& command) {
  CommandEnvironment& env = toolbar.Environment();
  SettingsStore settings(*env.registry);
  // Copies: a service may rebuild the toolbar and with it the command.
  const std::string type = command.type;
  const std::string caption = command.caption;

  if (type == "HideToolbar") {
    if (Browser* browser = toolbar.GetBrowser()) {
      ShowExplorerBar(*browser, ToolbarClassId(), false);
    }
  } else if (type == "MessageBox") {
    env.ui->ShowMessageBox(caption, ProductName(), MessageBoxButtons::kOk,
                           MessageBoxIcon::kNone);
  } else if (type == "Search") {
    toolbar.RunSearchCommand();
  } else if (type == "ConfigurePOP3") {
    toolbar.ShowMailAccountsDialog();
    toolbar.StartMailTimers();
  } else if (type == "CheckMail") {
    ForgetLastCheckTimes(settings);
    toolbar.RunCheckPass(static_cast<uint32_t>(kMailCheckNowId));
  } else if (type == "ClearHistory") {
    ClearHistory(toolbar, settings, caption);
  } else if (type == "ChangeProxy") {
    ChangeProxy(*env.proxy_settings, caption);
  } else if (type == "TogglePopupBlocking") {
    TogglePopupBlocking(settings, *env.ui, caption);
  } else if (type == "Highlight") {
    ExecuteHighlight(toolbar, caption);
  } else if (type == "Uninstall") {
    if (Browser* browser = toolbar.GetBrowser()) {
      Uninstall(toolbar, *browser, *env.ui);
    }
  } else if (type == "Update") {
    if (Browser* browser = toolbar.GetBrowser()) {
      Update(toolbar, *browser, settings);
    }
  }
}

void ResetService(ToolbarControl& toolbar, const ServiceCommand& command) {
  if (command.type == "Highlight") ResetHighlight(toolbar);
}

}  // namespace zan
