#ifndef ZAN_TESTS_MAIL_MAIL_FAKES_H_
#define ZAN_TESTS_MAIL_MAIL_FAKES_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "definition/toolbar_model.h"
#include "mail/mail_account_store.h"
#include "mail/mail_toolbar.h"
#include "mail/pop3_session.h"
#include "platform/clock.h"
#include "settings/settings_store.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace zan {

class FakeClock : public Clock {
 public:
  int64_t Now() override { return now; }
  int64_t now = 1'800'000'000;
};

// The loopback connections and the message pump that a mail fixture's
// sessions run on. A fixture derives from it, so that its own members can be
// built on connections_ and pump_.
class MailTestNetwork {
 private:
  std::unique_ptr<TcpConnectionFactory> owned_connections_ =
      test::MakeTestConnections();
  std::unique_ptr<test::TestMessagePump> owned_pump_ =
      test::MakeTestMessagePump();

 protected:
  TcpConnectionFactory& connections_ = *owned_connections_;
  test::TestMessagePump& pump_ = *owned_pump_;
};

// Records what the checker asks of the toolbar control window.
class RecordingMailToolbar : public MailToolbar {
 public:
  struct Shown {
    int item_index;
    std::string caption;
    int image;
    std::string hint;
  };
  void StartTimer(int id, int period_ms) override {
    started.push_back({id, period_ms});
  }
  void KillTimer(int id) override { killed.push_back(id); }
  void ShowIndicator(const ToolbarIndicator& indicator) override {
    shown.push_back({indicator.item_index, indicator.caption,
                     indicator.GetImage(), indicator.hint});
  }
  void RunCommand(int command_index, const std::string& parameter) override {
    commands.push_back({command_index, parameter});
  }

  std::vector<std::pair<int, int>> started;
  std::vector<int> killed;
  std::vector<Shown> shown;
  std::vector<std::pair<int, std::string>> commands;
};

// The real settings store on an SQLite file in a fresh folder.
class StoreOnDisk {
 public:
  StoreOnDisk()
      : registry_(test::MakeTestRegistry(dir_)),
        settings_(*registry_),
        store_(settings_) {}

  const MailAccountStore& store() const { return store_; }
  const SettingsStore& settings() const { return settings_; }
  std::string path() const { return dir_.File("registry.db"); }
  // The open "POP3 Accounts" key, for looking at raw values.
  std::unique_ptr<RegistryKey> Key() const {
    return settings_.OpenProductSubKey(MailAccountStore::kKeyName);
  }
  std::vector<std::string> ValueNames() const {
    std::vector<std::string> names;
    auto key = Key();
    for (uint32_t i = 0;; ++i) {
      auto name = key->EnumValue(i);
      if (!name) break;
      names.push_back(*name);
    }
    return names;
  }

 private:
  test::TempDir dir_;
  std::unique_ptr<Registry> registry_;
  SettingsStore settings_;
  MailAccountStore store_;
};

// A model with one indicator of `type` (images 11, 12, 13).
inline std::unique_ptr<ToolbarModel> ModelWithIndicator(
    const std::string& type, const std::string& param1 = "",
    const std::string& param3 = "") {
  auto model = std::make_unique<ToolbarModel>();
  auto indicator = std::make_unique<ToolbarIndicator>();
  indicator->caption = "Mail";
  indicator->type = type;
  indicator->additional_images[0] = 11;
  indicator->additional_images[1] = 12;
  indicator->additional_images[2] = 13;
  indicator->parameters[0] = param1;
  indicator->parameters[2] = param3;
  model->items.push_back(std::make_unique<ToolbarButton>());
  model->items.push_back(std::move(indicator));
  model->RebuildReferenceLists();
  return model;
}

// Keeps the error values the session writes, as the registry would: an
// empty text deletes the account's value.
class ErrorRecord {
 public:
  Pop3Session::ErrorSink Sink() {
    return [this](const std::string& account, const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (text.empty()) {
        errors_.erase(account);
      } else {
        errors_[account] = text;
      }
    };
  }
  std::string ErrorOf(const std::string& account) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = errors_.find(account);
    return it == errors_.end() ? std::string() : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> errors_;
};

}  // namespace zan

#endif  // ZAN_TESTS_MAIL_MAIL_FAKES_H_
