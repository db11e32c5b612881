#include "platform/posix/registry_proxy_settings.h"

#include <algorithm>

namespace zan {
namespace {

RegistryValue StringValue(const std::string& text) {
  // Strings are stored with their terminating zero.
  return RegistryValue{RegistryType::kString, text + std::string(1, '\0')};
}

std::optional<std::string> ReadText(RegistryKey& key, const std::string& name) {
  std::optional<RegistryValue> value = key.QueryValue(name);
  if (!value) return std::nullopt;
  const std::string& data = value->data;
  return data.substr(0, std::min(data.find('\0'), data.size()));
}

}  // namespace

ProxyRecord ReadProxyRecord(Registry& registry) {
  ProxyRecord record;
  std::unique_ptr<RegistryKey> key =
      registry.OpenKey(RegistryHive::kCurrentUser, kInternetSettingsKey);
  if (!key) return record;
  std::optional<RegistryValue> enable = key->QueryValue("ProxyEnable");
  if (enable && enable->data.size() >= 4) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      value |=
          static_cast<uint32_t>(static_cast<unsigned char>(enable->data[i]))
          << (8 * i);
    }
    record.enabled = value != 0;
  }
  record.server = ReadText(*key, "ProxyServer").value_or("");
  record.bypass = ReadText(*key, "ProxyOverride");
  return record;
}

bool RegistryProxySettings::SetPerConnectionOptions(
    const ProxyOptionList& list) {
  if (list.connection) return false;
  std::unique_ptr<RegistryKey> key =
      registry_.CreateKey(RegistryHive::kCurrentUser, kInternetSettingsKey);
  if (!key) return false;
  bool ok = true;
  for (const ProxyOptionEntry& entry : list.options) {
    switch (entry.option) {
      case ProxyOption::kFlags:
        ok &= key->SetValue(
            "ProxyEnable",
            DwordValue((entry.flags & kProxyTypeProxy) != 0 ? 1 : 0));
        break;
      case ProxyOption::kProxyServer:
        ok &=
            key->SetValue("ProxyServer", StringValue(entry.text.value_or("")));
        break;
      case ProxyOption::kProxyBypass:
        if (entry.text) {
          ok &= key->SetValue("ProxyOverride", StringValue(*entry.text));
        } else if (key->QueryValue("ProxyOverride")) {
          ok &= key->DeleteValue("ProxyOverride");
        }
        break;
      default:
        ok = false;
    }
  }
  return ok;
}

void RegistryProxySettings::Refresh() {
  if (listener_) listener_(ReadProxyRecord(registry_));
}

}  // namespace zan
