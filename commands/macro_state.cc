#include "commands/macro_state.h"

#include <cstdlib>

namespace zan {

LastComboValues& LastComboValues::Instance() {
  static LastComboValues* instance = new LastComboValues();
  return *instance;
}

void LastComboValues::Set(const std::string& combo_name,
                          const std::string& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_[combo_name] = value;
}

std::optional<std::string> LastComboValues::Get(
    const std::string& combo_name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = values_.find(combo_name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void LastComboValues::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.clear();
}

LastPageUrl& LastPageUrl::Instance() {
  static LastPageUrl* instance = new LastPageUrl();
  return *instance;
}

std::string LastPageUrl::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return value_;
}

void LastPageUrl::Set(const std::string& encoded_url) {
  std::lock_guard<std::mutex> lock(mutex_);
  value_ = encoded_url;
}

int StdRandomSource::Next() { return std::rand(); }

}  // namespace zan
