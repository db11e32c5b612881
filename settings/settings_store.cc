#include "settings/settings_store.h"

#include <ctime>
#include <limits>
#include <mutex>

#include "settings/product_constants.h"

namespace zan {

namespace {

// localtime keeps its result in one static buffer; the toolbar's threads
// share it through this lock.
bool LocalTime(std::time_t when, std::tm& out) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const std::tm* broken = std::localtime(&when);
  if (broken == nullptr) return false;
  out = *broken;
  return true;
}

}  // namespace

std::unique_ptr<RegistryKey> SettingsStore::OpenCompanyKey() const {
  return registry_.CreateKey(RegistryHive::kCurrentUser, CompanyKeyPath());
}

std::unique_ptr<RegistryKey> SettingsStore::OpenProductKey() const {
  // The company key, then the product key under it, created when missing,
  // in one walk of the path.
  return registry_.CreateKey(RegistryHive::kCurrentUser, ProductKeyPath());
}

std::unique_ptr<RegistryKey> SettingsStore::OpenProductSubKey(
    const std::string& path) const {
  auto product = OpenProductKey();
  return product ? product->CreateKey(path) : nullptr;
}

std::unique_ptr<RegistryKey> SettingsStore::FindProductKey(
    const std::string& path) const {
  return registry_.OpenKey(
      RegistryHive::kCurrentUser,
      path.empty() ? ProductKeyPath() : ProductKeyPath() + "\\" + path);
}

bool SettingsStore::IsUsable() const {
  return registry_.OpenHive(RegistryHive::kCurrentUser) != nullptr;
}

std::string SettingsStore::GetString(const std::string& name,
                                     const std::string& default_value) const {
  auto key = FindProductKey();
  if (!key) return default_value;
  auto value = key->QueryValue(name);
  if (!value || value->data.size() > kMaxStringBytes) return default_value;
  const std::string& data = value->data;
  return data.substr(0, data.find('\0'));
}

void SettingsStore::SetString(const std::string& name,
                              const std::string& value) const {
  auto key = OpenProductKey();
  if (!key) return;
  std::string data = value;
  data.push_back('\0');
  key->SetValue(name, {RegistryType::kString, std::move(data)});
}

uint32_t SettingsStore::GetDword(const std::string& name,
                                 uint32_t default_value) const {
  auto key = FindProductKey();
  if (!key) return default_value;
  auto value = key->QueryValue(name);
  if (!value || value->data.size() != 4) return default_value;
  const auto* bytes =
      reinterpret_cast<const unsigned char*>(value->data.data());
  return static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
}

void SettingsStore::SetDword(const std::string& name, uint32_t value) const {
  auto key = OpenProductKey();
  if (!key) return;
  key->SetValue(name, DwordValue(value));
}

bool SettingsStore::GetFlag(const std::string& name, bool default_on) const {
  return GetString(name, default_on ? "1" : "0") == "1";
}

bool SettingsStore::IsPeriodElapsed(const std::string& name, int amount,
                                    bool in_hours) const {
  const std::time_t last = static_cast<std::time_t>(GetDword(name, 0));
  const std::time_t now = std::time(nullptr);
  if (amount >= 0) {
    std::tm calendar{};
    if (!LocalTime(last, calendar)) return false;
    int& field = in_hours ? calendar.tm_hour : calendar.tm_min;
    // A period too long for the calendar never ends.
    const int64_t moved = static_cast<int64_t>(field) + amount;
    if (moved > std::numeric_limits<int>::max()) return false;
    field = static_cast<int>(moved);
    const std::time_t due = std::mktime(&calendar);
    if (due == static_cast<std::time_t>(-1)) return false;
    if (std::difftime(due, now) >= 0) return false;
  }
  SetDword(name, static_cast<uint32_t>(now));
  return true;
}

SettingsValueEnumerator::SettingsValueEnumerator(const SettingsStore& store,
                                                 const std::string& name,
                                                 bool is_history)
    : key_(store.FindProductKey(is_history ? SettingsStore::HistoryKeyName(name)
                                           : name)) {
  Fetch();
}

void SettingsValueEnumerator::Next() {
  if (!has_name_) return;
  ++index_;
  Fetch();
}

void SettingsValueEnumerator::Fetch() {
  has_name_ = false;
  name_.clear();
  if (!key_) return;
  auto name = key_->EnumValue(index_);
  if (!name) return;
  name_ = std::move(*name);
  has_name_ = true;
}

}  // namespace zan
