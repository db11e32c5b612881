#include "platform/posix/xdg_mail_handler.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>

namespace zan {
namespace {

constexpr std::string_view kMailtoType = "x-scheme-handler/mailto";

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return value;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' ||
                         text[end - 1] == '\r')) {
    --end;
  }
  return std::string(text.substr(begin, end - begin));
}

// Reads `key` of `group` from an ini-style desktop file; nullopt when the
// file, the group or the key is missing.
std::optional<std::string> ReadKey(const std::string& path,
                                   std::string_view group,
                                   std::string_view key) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::string line;
  bool in_group = false;
  while (std::getline(in, line)) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    if (trimmed[0] == '[') {
      in_group = trimmed.size() == group.size() + 2 && trimmed.back() == ']' &&
                 std::string_view(trimmed).substr(1, group.size()) == group;
      continue;
    }
    if (!in_group) continue;
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos) continue;
    if (Trim(std::string_view(trimmed).substr(0, equals)) == key) {
      return Trim(std::string_view(trimmed).substr(equals + 1));
    }
  }
  return std::nullopt;
}

// Resolves the escapes of a desktop entry string value.
std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    char next = value[++i];
    switch (next) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

// Candidate paths of a desktop file id below one "applications" folder: the
// id itself, then with its dashes read as folder separators from the left
// ("kde-mail.desktop" may live in "kde/mail.desktop").
std::vector<std::string> DesktopFileCandidates(const std::string& folder,
                                               const std::string& id) {
  std::vector<std::string> paths = {folder + "/" + id};
  std::string relative = id;
  for (size_t dash = relative.find('-'); dash != std::string::npos;
       dash = relative.find('-', dash + 1)) {
    relative[dash] = '/';
    paths.push_back(folder + "/" + relative);
  }
  return paths;
}

std::optional<std::string> ExecOfDesktopId(const XdgFolders& folders,
                                           const std::string& id) {
  if (id.find('/') != std::string::npos || id.empty()) return std::nullopt;
  for (const std::string& data_dir : folders.data_dirs) {
    for (const std::string& path :
         DesktopFileCandidates(data_dir + "/applications", id)) {
      std::optional<std::string> exec = ReadKey(path, "Desktop Entry", "Exec");
      if (exec) return Unescape(*exec);
    }
  }
  return std::nullopt;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  const std::string home = EnvOr("HOME", "");
  XdgFolders folders;
  folders.config_dirs.push_back(EnvOr("XDG_CONFIG_HOME", home + "/.config"));
  for (std::string& dir :
       SplitList(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) {
    folders.config_dirs.push_back(std::move(dir));
  }
  folders.data_dirs.push_back(EnvOr("XDG_DATA_HOME", home + "/.local/share"));
  for (std::string& dir :
       SplitList(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':')) {
    folders.data_dirs.push_back(std::move(dir));
  }
  for (const std::string& data_dir : folders.data_dirs) {
    folders.config_dirs.push_back(data_dir + "/applications");
  }
  return folders;
}

std::string RemoveDesktopFieldCodes(const std::string& exec) {
  static constexpr std::string_view kCodes = "fFuUdDnNickvm";
  std::string out;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '%' && i + 1 < exec.size()) {
      char code = exec[i + 1];
      if (code == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (kCodes.find(code) != std::string_view::npos) {
        ++i;
        continue;
      }
    }
    out += exec[i];
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) {
    out.pop_back();
  }
  return out;
}

std::string FindMailtoCommand(const XdgFolders& folders) {
  for (const std::string& dir : folders.config_dirs) {
    std::optional<std::string> ids =
        ReadKey(dir + "/mimeapps.list", "Default Applications", kMailtoType);
    if (!ids) continue;
    for (const std::string& raw_id : SplitList(*ids, ';')) {
      std::optional<std::string> exec = ExecOfDesktopId(folders, Trim(raw_id));
      if (exec) {
        std::string command = RemoveDesktopFieldCodes(*exec);
        if (!command.empty()) return command;
      }
    }
  }
  return "";
}

}  // namespace zan
