#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace zan {
namespace {

// Deepest key created: levels below the hive root, as Windows allows.
constexpr size_t kMaxKeyDepth = 512;
// Most levels one RegCreateKeyExA call creates.
constexpr size_t kMaxLevelsPerCall = 32;
// How long a write waits for another process's compare-and-set.
constexpr DWORD kLockTimeoutMs = 10000;
constexpr char kWriteMutexName[] = "Local\\ZAN.Toolbar.RegistryWrite";

std::string Fold(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The number of names in `path`; nullopt for an empty name (two backslashes
// in a row, a leading or a trailing one), an overlong one or a zero byte.
std::optional<size_t> PathDepth(const std::string& path) {
  if (path.empty()) return 0;
  if (path.find('\0') != std::string::npos) return std::nullopt;
  size_t count = 0;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const size_t length =
        (end == std::string::npos ? path.size() : end) - start;
    if (length == 0 || length > kMaxRegistryKeyName) return std::nullopt;
    ++count;
    if (end == std::string::npos) return count;
    start = end + 1;
  }
}

bool ValidValueName(const std::string& name) {
  return name.size() <= kMaxRegistryValueName &&
         name.find('\0') == std::string::npos;
}

HKEY HiveHandle(RegistryHive hive) {
  switch (hive) {
    case RegistryHive::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryHive::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryHive::kClassesRoot:
      return HKEY_CLASSES_ROOT;
  }
  return HKEY_CURRENT_USER;
}

const char* HiveName(RegistryHive hive) {
  switch (hive) {
    case RegistryHive::kCurrentUser:
      return "HKEY_CURRENT_USER";
    case RegistryHive::kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RegistryHive::kClassesRoot:
      return "HKEY_CLASSES_ROOT";
  }
  return "HKEY_CURRENT_USER";
}

// Holds the session-wide write mutex while it lives; `held()` is false when
// the mutex could not be had in time.
class WriteLock {
 public:
  WriteLock() {
    static HANDLE mutex = CreateMutexA(nullptr, FALSE, kWriteMutexName);
    mutex_ = mutex;
    if (mutex_ == nullptr) return;
    const DWORD result = WaitForSingleObject(mutex_, kLockTimeoutMs);
    // An abandoned mutex (its holder died) is ours now; the registry itself
    // is consistent, since each call is atomic.
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  ~WriteLock() {
    if (held_) ReleaseMutex(mutex_);
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

  bool held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};

class Win32Key : public RegistryKey {
 public:
  // `owned`: the handle is closed with the object (hive roots are not).
  Win32Key(HKEY key, bool owned, size_t depth)
      : key_(key), owned_(owned), depth_(depth) {}
  ~Win32Key() override {
    if (owned_) RegCloseKey(key_);
  }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::unique_ptr<RegistryKey> CreateKey(const std::string& path) override {
    const std::optional<size_t> depth = PathDepth(path);
    if (!depth || depth_ + *depth > kMaxKeyDepth) return nullptr;
    HKEY created = nullptr;
    if (*depth <= kMaxLevelsPerCall) {
      if (RegCreateKeyExA(key_, path.c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &created, nullptr) != ERROR_SUCCESS) {
        return nullptr;
      }
    } else {
      created = CreateDeep(path);
      if (created == nullptr) return nullptr;
    }
    return std::make_unique<Win32Key>(created, true, depth_ + *depth);
  }

  std::unique_ptr<RegistryKey> OpenKey(const std::string& path) override {
    const std::optional<size_t> depth = PathDepth(path);
    if (!depth) return nullptr;
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(key_, path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    // Keys of the machine are often readable only.
    if (result == ERROR_ACCESS_DENIED) {
      result = RegOpenKeyExA(key_, path.c_str(), 0, KEY_READ, &opened);
    }
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(opened, true, depth_ + *depth);
  }

  bool DeleteKey(const std::string& path) override {
    const std::optional<size_t> depth = PathDepth(path);
    if (!depth || *depth == 0) return false;
    WriteLock lock;
    // The tree goes leaf first: RegDeleteKeyA deletes only keys without
    // sub keys. Each level holds its open handle and its name.
    struct Level {
      HKEY handle;
      std::string name;
    };
    std::vector<Level> levels;
    HKEY top = nullptr;
    if (RegOpenKeyExA(key_, path.c_str(), 0, KEY_ALL_ACCESS, &top) !=
        ERROR_SUCCESS) {
      return false;
    }
    levels.push_back({top, path});
    bool ok = true;
    while (!levels.empty()) {
      char name[kMaxRegistryKeyName + 1];
      DWORD length = sizeof name;
      const LONG found = RegEnumKeyExA(levels.back().handle, 0, name, &length,
                                       nullptr, nullptr, nullptr, nullptr);
      if (found == ERROR_SUCCESS) {
        HKEY child = nullptr;
        if (RegOpenKeyExA(levels.back().handle, name, 0, KEY_ALL_ACCESS,
                          &child) != ERROR_SUCCESS) {
          ok = false;
          break;
        }
        levels.push_back({child, std::string(name, length)});
        continue;
      }
      Level leaf = levels.back();
      levels.pop_back();
      RegCloseKey(leaf.handle);
      HKEY parent = levels.empty() ? key_ : levels.back().handle;
      if (RegDeleteKeyA(parent, leaf.name.c_str()) != ERROR_SUCCESS) {
        ok = false;
        break;
      }
    }
    for (const Level& level : levels) RegCloseKey(level.handle);
    return ok;
  }

  std::optional<RegistryValue> QueryValue(const std::string& name) override {
    if (!ValidValueName(name)) return std::nullopt;
    std::string data(256, '\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD type = 0;
      DWORD size = static_cast<DWORD>(data.size());
      const LONG result =
          RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(data.data()), &size);
      if (result == ERROR_MORE_DATA) {
        data.resize(std::max<size_t>(size, data.size() * 2));
        continue;
      }
      if (result != ERROR_SUCCESS) return std::nullopt;
      data.resize(size);
      return RegistryValue{static_cast<RegistryType>(type), std::move(data)};
    }
    return std::nullopt;
  }

  bool SetValue(const std::string& name, const RegistryValue& value) override {
    if (!ValidValueName(name)) return false;
    WriteLock lock;
    return lock.held() && Write(name, value);
  }

  bool CompareAndSetValue(const std::string& name,
                          const std::optional<RegistryValue>& expected,
                          const RegistryValue& desired) override {
    if (!ValidValueName(name)) return false;
    WriteLock lock;
    if (!lock.held() || QueryValue(name) != expected) return false;
    return Write(name, desired);
  }

  bool DeleteValue(const std::string& name) override {
    if (!ValidValueName(name)) return false;
    WriteLock lock;
    return lock.held() && RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
  }

  bool RewriteValues(const RegistryValueEdit& edit) override {
    WriteLock lock;
    if (!lock.held()) return false;
    std::optional<RegistryValueList> current = AllValues();
    if (!current) return false;
    std::optional<RegistryValueList> values = edit(*current);
    if (!values) return false;
    for (const auto& [name, value] : *values) {
      if (!ValidValueName(name)) return false;
    }
    // Clear the key, then write the new list in its order; a write that
    // fails puts the old values back as well as it can.
    auto replace = [&](const RegistryValueList& list) {
      const std::optional<RegistryValueList> old = AllValues();
      if (!old) return false;
      for (const auto& entry : *old) {
        if (RegDeleteValueA(key_, entry.first.c_str()) != ERROR_SUCCESS) {
          return false;
        }
      }
      for (const auto& [name, value] : list) {
        if (!Write(name, value)) return false;
      }
      return true;
    };
    if (replace(*values)) return true;
    replace(*current);
    return false;
  }

  std::optional<std::string> EnumValue(uint32_t index) override {
    std::string name(kMaxRegistryValueName + 1, '\0');
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueA(key_, index, name.data(), &length, nullptr, nullptr,
                      nullptr, nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    name.resize(length);
    return name;
  }

  // The registry's own order differs between systems (Windows folds to
  // upper case, so "_a" comes after "B"); the names are sorted here with
  // lower-case folding, as the emulated store sorts them. Index 0 takes a
  // fresh list; later indexes read it.
  std::optional<std::string> EnumKey(uint32_t index) override {
    if (index == 0 || !sub_keys_) {
      std::vector<std::string> names;
      for (DWORD i = 0;; ++i) {
        char name[kMaxRegistryKeyName + 1];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key_, i, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
          break;
        }
        names.emplace_back(name, length);
      }
      std::stable_sort(names.begin(), names.end(),
                       [](const std::string& a, const std::string& b) {
                         return Fold(a) < Fold(b);
                       });
      sub_keys_ = std::move(names);
    }
    if (index >= sub_keys_->size()) return std::nullopt;
    return (*sub_keys_)[index];
  }

 private:
  // Every value of the key with its data, in the registry's order; nullopt
  // when the key cannot be read (deleted, say).
  std::optional<RegistryValueList> AllValues() {
    DWORD count = 0;
    if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    RegistryValueList values;
    for (uint32_t index = 0;; ++index) {
      std::optional<std::string> name = EnumValue(index);
      if (!name) break;
      std::optional<RegistryValue> value = QueryValue(*name);
      if (!value) return std::nullopt;
      values.emplace_back(std::move(*name), std::move(*value));
    }
    return values;
  }

  // Creates a path of more levels than one registry call creates: the part
  // that exists is opened, the rest created a slice at a time. When a slice
  // fails, what this call created is deleted again.
  HKEY CreateDeep(const std::string& path) {
    std::vector<std::string> names;
    for (size_t start = 0;;) {
      const size_t end = path.find('\\', start);
      names.push_back(path.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    auto join = [&](size_t from, size_t to) {
      std::string joined;
      for (size_t i = from; i < to; ++i) {
        if (i > from) joined += '\\';
        joined += names[i];
      }
      return joined;
    };
    // Open the existing part, a slice at a time.
    std::vector<HKEY> opened;
    auto close_all = [&] {
      for (HKEY handle : opened) RegCloseKey(handle);
    };
    HKEY current = key_;
    size_t done = 0;
    while (done < names.size()) {
      size_t take = std::min(kMaxLevelsPerCall, names.size() - done);
      HKEY next = nullptr;
      while (take > 0 &&
             RegOpenKeyExA(current, join(done, done + take).c_str(), 0,
                           KEY_ALL_ACCESS, &next) != ERROR_SUCCESS) {
        take = take > 1 ? take / 2 : 0;
      }
      if (take == 0) break;
      opened.push_back(next);
      current = next;
      done += take;
    }
    // Create the rest.
    HKEY first_parent = current;
    const size_t first_created = done;
    while (done < names.size()) {
      const size_t take = std::min(kMaxLevelsPerCall, names.size() - done);
      HKEY next = nullptr;
      if (RegCreateKeyExA(current, join(done, done + take).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &next, nullptr) != ERROR_SUCCESS) {
        if (done > first_created) {
          Win32Key parent(first_parent, false, 0);
          parent.DeleteKey(names[first_created]);
        }
        close_all();
        return nullptr;
      }
      opened.push_back(next);
      current = next;
      done += take;
    }
    // Keep the last handle, close the others.
    opened.pop_back();
    close_all();
    return current;
  }

  bool Write(const std::string& name, const RegistryValue& value) {
    // RegSetValueExA counts a string's terminating zero in when the caller
    // left it out and a zero byte follows the data; a non-zero byte after
    // the data keeps the value exactly as long as it was given.
    std::string data = value.data;
    data.push_back('\x01');
    return RegSetValueExA(key_, name.c_str(), 0, static_cast<DWORD>(value.type),
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(value.data.size())) ==
           ERROR_SUCCESS;
  }

  HKEY key_;
  bool owned_;
  size_t depth_;
  std::optional<std::vector<std::string>> sub_keys_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenHive(RegistryHive hive) {
  if (root_path_.empty()) {
    return std::make_unique<Win32Key>(HiveHandle(hive), false, 0);
  }
  const std::string path = root_path_ + "\\" + HiveName(hive);
  HKEY root = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &root,
                      nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(root, true, 0);
}

}  // namespace zan
