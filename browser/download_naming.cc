#include "browser/download_naming.h"

#include <array>

namespace zan {
namespace {

bool IsBlankOrDot(char c) { return c == ' ' || c == '.' || c == '\t'; }

// Where the extension of `name` begins (its dot), or name.size() without
// one. A leading dot never starts an extension; "x.tar.gz" has ".tar.gz".
size_t ExtensionStart(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name.size();
  if (dot >= 4 && name.compare(dot - 4, 4, ".tar") == 0 && dot - 4 > 0) {
    return dot - 4;
  }
  return dot;
}

// Cuts `text` to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  return text.substr(0, end);
}

// `stem` + `suffix` + `extension` within kMaxDownloadNameBytes: the stem is
// shortened first.
std::string Compose(const std::string& stem, const std::string& suffix,
                    std::string extension) {
  if (extension.size() + suffix.size() > kMaxDownloadNameBytes / 2) {
    extension = CutUtf8(extension, kMaxDownloadNameBytes / 2 - suffix.size());
  }
  size_t room = kMaxDownloadNameBytes - suffix.size() - extension.size();
  return CutUtf8(stem, room) + suffix + extension;
}

}  // namespace

std::string SafeDownloadName(std::string_view suggested) {
  size_t slash = suggested.find_last_of("/\\");
  if (slash != std::string_view::npos) suggested.remove_prefix(slash + 1);
  std::string name;
  name.reserve(suggested.size());
  for (char c : suggested) {
    auto u = static_cast<unsigned char>(c);
    name += (u < 0x20 || u == 0x7F || c == ':') ? '_' : c;
  }
  size_t first = 0;
  while (first < name.size() && IsBlankOrDot(name[first])) ++first;
  size_t last = name.size();
  while (last > first && IsBlankOrDot(name[last - 1])) --last;
  name = name.substr(first, last - first);
  if (name.empty()) return "download";
  size_t ext = ExtensionStart(name);
  return Compose(name.substr(0, ext), "", name.substr(ext));
}

std::optional<std::string> ChooseDownloadName(
    std::string_view suggested,
    const std::function<bool(const std::string& name)>& taken, int max_tries) {
  std::string name = SafeDownloadName(suggested);
  if (!taken(name)) return name;
  size_t ext = ExtensionStart(name);
  std::string stem = name.substr(0, ext);
  std::string extension = name.substr(ext);
  for (int n = 1; n <= max_tries; ++n) {
    std::string candidate =
        Compose(stem, " (" + std::to_string(n) + ")", extension);
    if (!taken(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace zan
