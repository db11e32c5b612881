#ifndef ZAN_SETTINGS_SETTINGS_STORE_H_
#define ZAN_SETTINGS_SETTINGS_STORE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace zan {

// The toolbar's persistent settings: values of the product key
// HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.\ZAN. Every operation opens the key,
// works and closes it again, so all toolbar instances of the user (in any
// process) see each other's writes at once. Nothing here reports a failure:
// a read that fails yields the caller's default, a write that fails is
// dropped. Reads never create a key: only writes do, so that a toolbar that
// was removed leaves nothing behind when something still asks.
class SettingsStore {
 public:
  // Longest REG_SZ (terminating zero included) that GetString reads.
  static constexpr size_t kMaxStringBytes = 1000;

  explicit SettingsStore(Registry& registry) : registry_(registry) {}

  Registry& registry() const { return registry_; }

  // HKEY_CURRENT_USER\SOFTWARE\ZAN Inc., created when missing; nullptr when
  // the store is unusable.
  std::unique_ptr<RegistryKey> OpenCompanyKey() const;
  // The product key under the company key, created when missing.
  std::unique_ptr<RegistryKey> OpenProductKey() const;
  // A sub key of the product key, created when missing.
  std::unique_ptr<RegistryKey> OpenProductSubKey(const std::string& path) const;
  // The product key, or a sub key of it (`path` not empty), only when it
  // exists: for reading.
  std::unique_ptr<RegistryKey> FindProductKey(
      const std::string& path = std::string()) const;
  // Whether the store can be used at all.
  bool IsUsable() const;

  // The text of a value up to its first zero byte; `default_value` when the
  // value is missing or longer than kMaxStringBytes. The type is not
  // examined.
  std::string GetString(const std::string& name,
                        const std::string& default_value) const;
  // Writes REG_SZ with the terminating zero.
  void SetString(const std::string& name, const std::string& value) const;
  // The value's four bytes (little-endian); `default_value` when the value
  // is missing or not four bytes long.
  uint32_t GetDword(const std::string& name, uint32_t default_value) const;
  void SetDword(const std::string& name, uint32_t value) const;
  // On exactly when the value's text is "1"; a missing value gives
  // `default_on`.
  bool GetFlag(const std::string& name, bool default_on) const;
  // True when `amount` hours (or minutes) have passed since the time stamp
  // stored in `name` (a missing one counts as 1970), and then stores the
  // current time there. A negative `amount` is always elapsed.
  bool IsPeriodElapsed(const std::string& name, int amount,
                       bool in_hours) const;

  static std::string HistoryKeyName(const std::string& name) {
    return "History" + name;
  }

 private:
  Registry& registry_;
};

// Walks the value names of a sub key of the product key (or of its history
// key "History" + name); a missing key has none and is not created. Use: while
// (e.HasName()) { ... e.Name() ...; e.Next(); }
class SettingsValueEnumerator {
 public:
  SettingsValueEnumerator(const SettingsStore& store, const std::string& name,
                          bool is_history);

  bool HasName() const { return has_name_; }
  const std::string& Name() const { return name_; }
  void Next();

 private:
  void Fetch();

  std::unique_ptr<RegistryKey> key_;
  std::string name_;
  uint32_t index_ = 0;
  bool has_name_ = false;
};

}  // namespace zan

#endif  // ZAN_SETTINGS_SETTINGS_STORE_H_
