#ifndef ZAN_PLATFORM_REGISTRY_H_
#define ZAN_PLATFORM_REGISTRY_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zan {

// The three roots the toolbar writes under.
enum class RegistryHive { kCurrentUser, kLocalMachine, kClassesRoot };

// Value types, numbered as the Windows registry numbers them.
enum class RegistryType : uint32_t { kString = 1, kBinary = 3, kDword = 4 };

// A value as stored: its type and its bytes exactly as they were written (a
// REG_SZ written by the toolbar carries its terminating zero).
struct RegistryValue {
  RegistryType type = RegistryType::kString;
  std::string data;

  bool operator==(const RegistryValue&) const = default;
};

// A REG_DWORD value: `value` as four little-endian bytes.
inline RegistryValue DwordValue(uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) {
    data[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return {RegistryType::kDword, std::move(data)};
}

// The values of one key, name and value, in writing order.
using RegistryValueList = std::vector<std::pair<std::string, RegistryValue>>;
// Makes the new values of a key from its current ones; std::nullopt leaves
// the key as it is.
using RegistryValueEdit =
    std::function<std::optional<RegistryValueList>(const RegistryValueList&)>;

// Longest value name the store accepts (characters); a longer one is refused.
inline constexpr size_t kMaxRegistryValueName = 16383;
// Longest name of one key in a path (characters).
inline constexpr size_t kMaxRegistryKeyName = 255;

// An open key. Key and value names are case-insensitive (ASCII folding) and
// keep the spelling they were created with; a path is names joined by a
// backslash ("SOFTWARE\\ZAN Inc.\\ZAN"); the empty path is the key itself.
// The empty value name is the key's default value. A key that was deleted
// while open reads as empty and refuses writes.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // Opens the sub key at `path`, creating it and every missing parent;
  // nullptr when that is impossible (bad name, store unusable, this key
  // deleted).
  virtual std::unique_ptr<RegistryKey> CreateKey(const std::string& path) = 0;
  // Opens an existing sub key; nullptr when it does not exist.
  virtual std::unique_ptr<RegistryKey> OpenKey(const std::string& path) = 0;
  // Deletes the sub key at `path` with all its sub keys and values; false
  // when it did not exist or could not be deleted.
  virtual bool DeleteKey(const std::string& path) = 0;

  virtual std::optional<RegistryValue> QueryValue(const std::string& name) = 0;
  // Writes a value in one transaction. A value written again keeps its
  // place in the enumeration order and the spelling of its first name.
  virtual bool SetValue(const std::string& name,
                        const RegistryValue& value) = 0;
  // Writes `desired` only when the value currently equals `expected`
  // (std::nullopt: when it is absent), in one transaction, so that several
  // processes can update one value without losing a write.
  virtual bool CompareAndSetValue(const std::string& name,
                                  const std::optional<RegistryValue>& expected,
                                  const RegistryValue& desired) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
  // Reads every value of this key and replaces them all by what `edit`
  // makes of them (the new list gives the writing order; a name that comes
  // twice keeps its first place and its last value), in one step that no
  // other writer, thread or process, comes between. `edit` must not use
  // the registry. False when nothing was written (`edit` declined, the key
  // is gone, a name is too long, the store failed).
  virtual bool RewriteValues(const RegistryValueEdit& edit) = 0;

  // The name of the value at `index` in writing order; std::nullopt past the
  // last one.
  virtual std::optional<std::string> EnumValue(uint32_t index) = 0;
  // The name of the sub key at `index` in case-insensitive name order;
  // std::nullopt past the last one.
  virtual std::optional<std::string> EnumKey(uint32_t index) = 0;
};

// One user's registry store: the roots of its hives.
class Registry {
 public:
  virtual ~Registry() = default;
  // The root key of `hive`; nullptr when the store is unusable.
  virtual std::unique_ptr<RegistryKey> OpenHive(RegistryHive hive) = 0;

  std::unique_ptr<RegistryKey> CreateKey(RegistryHive hive,
                                         const std::string& path) {
    auto root = OpenHive(hive);
    return root ? root->CreateKey(path) : nullptr;
  }
  std::unique_ptr<RegistryKey> OpenKey(RegistryHive hive,
                                       const std::string& path) {
    auto root = OpenHive(hive);
    return root ? root->OpenKey(path) : nullptr;
  }
  bool DeleteKey(RegistryHive hive, const std::string& path) {
    auto root = OpenHive(hive);
    return root ? root->DeleteKey(path) : false;
  }
};

}  // namespace zan

#endif  // ZAN_PLATFORM_REGISTRY_H_
