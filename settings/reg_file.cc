#include "settings/reg_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "settings/string_utils.h"

namespace zan {

namespace {

constexpr char kHeader[] = "REGEDIT4";
// Bytes per line of a hex value before it continues on the next line.
constexpr size_t kHexBytesPerLine = 24;

struct HiveName {
  RegistryHive hive;
  const char* name;
  const char* abbreviation;
};

constexpr HiveName kHives[] = {
    {RegistryHive::kCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryHive::kLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryHive::kClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
};

// Splits "HIVE\rest" into the hive and the rest.
bool SplitKeyPath(const std::string& path, RegistryHive& hive,
                  std::string& rest) {
  const size_t slash = path.find('\\');
  const std::string first = path.substr(0, slash);
  rest = slash == std::string::npos ? "" : path.substr(slash + 1);
  for (const HiveName& name : kHives) {
    if (EqualsIgnoringAsciiCase(first, name.name) ||
        EqualsIgnoringAsciiCase(first, name.abbreviation)) {
      hive = name.hive;
      return true;
    }
  }
  return false;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  size_t on_line = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
    if (i + 1 < bytes.size()) {
      out.push_back(',');
      if (++on_line == kHexBytesPerLine) {
        out += "\\\n  ";
        on_line = 0;
      }
    }
  }
  return out;
}

// A REG_SZ that reads back the same from "text": one zero, at the end, and
// no line breaks inside.
bool IsPlainText(const std::string& data) {
  if (data.empty() || data.back() != '\0') return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == '\0' || data[i] == '\n' || data[i] == '\r') return false;
  }
  return true;
}

std::string FormatValue(const std::string& name, const RegistryValue& value) {
  std::string line = name.empty() ? "@" : Quote(name);
  line += '=';
  if (value.type == RegistryType::kString && IsPlainText(value.data)) {
    return line + Quote(value.data.substr(0, value.data.size() - 1));
  }
  if (value.type == RegistryType::kDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = number << 8 | static_cast<unsigned char>(value.data[i]);
    }
    char text[16];
    std::snprintf(text, sizeof(text), "%08x", number);
    return line + "dword:" + text;
  }
  if (value.type == RegistryType::kBinary) {
    line += "hex:";
  } else {
    line += "hex(" + std::to_string(static_cast<uint32_t>(value.type)) + "):";
  }
  return line + Hex(value.data);
}

// Prints one key: its header and its values.
void WriteKey(RegistryKey& key, const std::string& path, bool is_hive_root,
              std::ostream& out) {
  std::vector<std::string> lines;
  for (uint32_t i = 0;; ++i) {
    auto name = key.EnumValue(i);
    if (!name) break;
    auto value = key.QueryValue(*name);
    if (value) lines.push_back(FormatValue(*name, *value));
  }
  // Hive roots appear only when they hold values; every other key appears,
  // so that empty keys come back on import.
  if (!is_hive_root || !lines.empty()) {
    out << '[' << path << "]\n";
    for (const std::string& line : lines) out << line << '\n';
    out << '\n';
  }
}

// Prints `key` and every key below it, parents before their sub keys. The
// walk keeps its own stack of open keys, one per level, so a tree of any
// depth prints without deep recursion, and one path text that grows and
// shrinks with the walk.
void ExportTree(std::unique_ptr<RegistryKey> key, std::string path,
                bool is_hive_root, std::ostream& out) {
  struct Level {
    std::unique_ptr<RegistryKey> key;
    uint32_t next_child = 0;
    size_t path_length = 0;
  };
  WriteKey(*key, path, is_hive_root, out);
  std::vector<Level> levels;
  levels.push_back({std::move(key), 0, path.size()});
  while (!levels.empty()) {
    Level& level = levels.back();
    const std::optional<std::string> name =
        level.key->EnumKey(level.next_child++);
    if (!name) {
      levels.pop_back();
      continue;
    }
    std::unique_ptr<RegistryKey> child = level.key->OpenKey(*name);
    if (!child) continue;
    path.resize(level.path_length);
    path += '\\';
    path += *name;
    WriteKey(*child, path, false, out);
    levels.push_back({std::move(child), 0, path.size()});
  }
}

// One step of an import.
struct Operation {
  enum class Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
  RegistryHive hive = RegistryHive::kCurrentUser;
  std::string key;
  std::string name;
  RegistryValue value;
  size_t line = 0;  // where the step stands in the file
};

// Refusals an import reports one by one before it sums up the rest.
constexpr size_t kMaxReportedRefusals = 100;
// Longest key path or value name quoted in a refusal.
constexpr size_t kMaxQuotedName = 80;

// `text` as it may be quoted in a message: cut after kMaxQuotedName bytes,
// control bytes written as \xNN.
std::string Shortened(const std::string& text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string shown;
  for (size_t i = 0; i < text.size() && i < kMaxQuotedName; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 0x0F];
    } else {
      shown += text[i];
    }
  }
  if (text.size() > kMaxQuotedName) shown += "...";
  return shown;
}

// Levels of a key path below its hive root.
size_t PathDepth(const std::string& path) {
  if (path.empty()) return 0;
  size_t depth = 1;
  for (char c : path) depth += c == '\\';
  return depth;
}

// Why the store would not make the key at `path`.
std::string KeyRefusal(const std::string& path) {
  std::string why;
  if (PathDepth(path) > kMaxRegistryKeyDepth) {
    why = "deeper than " + std::to_string(kMaxRegistryKeyDepth) + " levels";
  } else if (path.find('\0') != std::string::npos) {
    why = "a name holds a zero byte";
  } else {
    for (size_t start = 0;;) {
      const size_t end = path.find('\\', start);
      const size_t length =
          (end == std::string::npos ? path.size() : end) - start;
      if (length == 0) why = "an empty name in the path";
      if (length > kMaxRegistryKeyName) {
        why = "a name longer than " + std::to_string(kMaxRegistryKeyName) +
              " characters";
      }
      if (end == std::string::npos || !why.empty()) break;
      start = end + 1;
    }
  }
  if (why.empty()) return "cannot create key " + Shortened(path);
  return "key refused: " + why + " (" + Shortened(path) + ")";
}

std::string ValueRefusal(const std::string& name) {
  if (name.find('\0') != std::string::npos) {
    return "value refused: its name holds a zero byte (" + Shortened(name) +
           ")";
  }
  return "cannot write value " + Shortened(name);
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the
// closing quote.
bool ReadQuoted(const std::string& text, size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  out.clear();
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '"') return true;
    if (c == '\\' && pos < text.size()) {
      out.push_back(text[pos++]);
    } else {
      out.push_back(c);
    }
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHexBytes(const std::string& text, std::string& out) {
  out.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size()) break;
    if (pos + 1 >= text.size()) return false;
    const int high = HexDigit(text[pos]);
    const int low = HexDigit(text[pos + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<char>(high << 4 | low));
    pos += 2;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos < text.size()) {
      if (text[pos] != ',') return false;
      ++pos;
    }
  }
  return true;
}

std::string TrimRight(std::string text) {
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

bool ParseData(const std::string& data, Operation& op) {
  if (data == "-") {
    op.kind = Operation::Kind::kDeleteValue;
    return true;
  }
  op.kind = Operation::Kind::kSetValue;
  if (!data.empty() && data.front() == '"') {
    size_t pos = 0;
    std::string text;
    if (!ReadQuoted(data, pos, text) || pos != data.size()) return false;
    op.value = {RegistryType::kString, text + std::string(1, '\0')};
    return true;
  }
  if (data.rfind("dword:", 0) == 0) {
    const std::string digits = data.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t number = 0;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      number = number << 4 | static_cast<uint32_t>(digit);
    }
    op.value = DwordValue(number);
    return true;
  }
  uint32_t type = static_cast<uint32_t>(RegistryType::kBinary);
  size_t colon = std::string::npos;
  if (data.rfind("hex:", 0) == 0) {
    colon = 3;
  } else if (data.rfind("hex(", 0) == 0) {
    const size_t close = data.find("):");
    if (close == std::string::npos || close == 4) return false;
    type = 0;
    for (size_t i = 4; i < close; ++i) {
      const int digit = HexDigit(data[i]);
      if (digit < 0) return false;
      type = type * 16 + static_cast<uint32_t>(digit);
    }
    colon = close + 1;
  } else {
    return false;
  }
  op.value.type = static_cast<RegistryType>(type);
  return ReadHexBytes(data.substr(colon + 1), op.value.data);
}

}  // namespace

bool ExportRegFile(Registry& registry, const std::string& key_path,
                   std::ostream& out, std::string& error) {
  if (key_path.empty()) {
    out << kHeader << "\n\n";
    for (const HiveName& name : kHives) {
      if (auto root = registry.OpenHive(name.hive)) {
        ExportTree(std::move(root), name.name, true, out);
      }
    }
    return true;
  }
  RegistryHive hive;
  std::string rest;
  if (!SplitKeyPath(key_path, hive, rest)) {
    error = "unknown root key in " + key_path;
    return false;
  }
  auto key = registry.OpenKey(hive, rest);
  if (!key) {
    error = "no such key: " + key_path;
    return false;
  }
  // Show the path in the spelling the keys were created with.
  std::string shown;
  for (const HiveName& name : kHives) {
    if (name.hive == hive) shown = name.name;
  }
  auto walk = registry.OpenHive(hive);
  size_t start = 0;
  while (walk && start < rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string wanted = rest.substr(start, end - start);
    std::string spelled = wanted;
    for (uint32_t i = 0;; ++i) {
      auto child = walk->EnumKey(i);
      if (!child) break;
      if (EqualsIgnoringAsciiCase(*child, wanted)) {
        spelled = *child;
        break;
      }
    }
    shown += "\\" + spelled;
    walk = walk->OpenKey(wanted);
    start = end + 1;
  }
  out << kHeader << "\n\n";
  ExportTree(std::move(key), shown, rest.empty(), out);
  return true;
}

bool ExportRegFile(Registry& registry, const std::string& key_path,
                   std::string& out, std::string& error) {
  std::ostringstream text;
  const bool ok = ExportRegFile(registry, key_path, text, error);
  out = ok ? std::move(text).str() : std::string();
  return ok;
}

bool ImportRegFile(Registry& registry, const std::string& text,
                   std::string& error) {
  // Join continued lines (a hex value ending in a backslash) and number
  // them by their first physical line.
  std::vector<std::pair<size_t, std::string>> lines;
  {
    size_t number = 0;
    size_t pos = 0;
    bool continuing = false;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = TrimRight(text.substr(pos, end - pos));
      pos = end + 1;
      ++number;
      if (continuing) {
        const size_t start = line.find_first_not_of(" \t");
        lines.back().second +=
            start == std::string::npos ? "" : line.substr(start);
      } else {
        lines.emplace_back(number, line);
      }
      // Only a hex value can end in a backslash: texts end in a quote.
      const std::string& joined = lines.back().second;
      continuing = !joined.empty() && joined.back() == '\\' &&
                   joined.find("=hex") != std::string::npos;
      if (continuing) lines.back().second.pop_back();
    }
  }

  std::vector<Operation> operations;
  bool header_seen = false;
  bool in_key = false;
  RegistryHive hive = RegistryHive::kCurrentUser;
  std::string key;
  for (const auto& [number, line] : lines) {
    auto fail = [&, number = number](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == ';') continue;
    const std::string content = line.substr(start);
    if (!header_seen) {
      if (content != kHeader &&
          content != "Windows Registry Editor Version 5.00") {
        return fail("the file does not begin with REGEDIT4");
      }
      header_seen = true;
      continue;
    }
    if (content.front() == '[') {
      if (content.back() != ']') return fail("unterminated key name");
      std::string path = content.substr(1, content.size() - 2);
      const bool remove = !path.empty() && path.front() == '-';
      if (remove) path.erase(0, 1);
      std::string rest;
      if (!SplitKeyPath(path, hive, rest)) return fail("unknown root key");
      if (remove && rest.empty()) return fail("a root key cannot be deleted");
      key = rest;
      in_key = !remove;
      Operation op{
          remove ? Operation::Kind::kDeleteKey : Operation::Kind::kCreateKey,
          hive,
          key,
          "",
          {},
          number};
      operations.push_back(std::move(op));
      continue;
    }
    if (!in_key) return fail("a value outside a key");
    Operation op{Operation::Kind::kSetValue, hive, key, "", {}, number};
    size_t pos = 0;
    if (content.front() == '@') {
      pos = 1;
    } else if (!ReadQuoted(content, pos, op.name)) {
      return fail("expected a quoted value name or @");
    }
    while (pos < content.size() && content[pos] == ' ') ++pos;
    if (pos >= content.size() || content[pos] != '=') return fail("expected =");
    ++pos;
    while (pos < content.size() && content[pos] == ' ') ++pos;
    if (op.name.size() > kMaxRegistryValueName)
      return fail("value name too long");
    if (!ParseData(content.substr(pos), op)) return fail("bad value data");
    operations.push_back(std::move(op));
  }
  if (!header_seen) {
    error = "the file does not begin with REGEDIT4";
    return false;
  }

  // Apply every step; a refused one is reported by its line and the rest
  // goes on. The values of a refused key are skipped with it.
  std::vector<std::string> refusals;
  size_t refused = 0;
  auto refuse = [&](size_t line, const std::string& why) {
    if (++refused <= kMaxReportedRefusals) {
      refusals.push_back("line " + std::to_string(line) + ": " + why);
    }
  };
  std::unique_ptr<RegistryKey> open;
  for (const Operation& op : operations) {
    switch (op.kind) {
      case Operation::Kind::kCreateKey:
        open = registry.CreateKey(op.hive, op.key);
        if (!open) refuse(op.line, KeyRefusal(op.key));
        break;
      case Operation::Kind::kDeleteKey:
        open.reset();
        registry.DeleteKey(op.hive, op.key);
        break;
      case Operation::Kind::kSetValue:
        if (open && !open->SetValue(op.name, op.value)) {
          refuse(op.line, ValueRefusal(op.name));
        }
        break;
      case Operation::Kind::kDeleteValue:
        if (open) open->DeleteValue(op.name);
        break;
    }
  }
  if (refused == 0) return true;
  error.clear();
  for (const std::string& line : refusals) {
    if (!error.empty()) error += '\n';
    error += line;
  }
  if (refused > refusals.size()) {
    error +=
        "\nand " + std::to_string(refused - refusals.size()) + " more refused";
  }
  return false;
}

}  // namespace zan
