#include "settings/string_utils.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

namespace zan {

namespace {

// Upper bound on the replacements of one ReplaceAll, a guard against
// replacement chains that would otherwise grow the text for ever.
constexpr size_t kMaxReplacements = 1 << 20;

constexpr std::array<unsigned char, 256> MakeUrlClasses() {
  std::array<unsigned char, 256> classes{};
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] = kUrlUnreserved;
  for (int c = 'a'; c <= 'z'; ++c) classes[c] = kUrlUnreserved;
  for (int c = '0'; c <= '9'; ++c) classes[c] = kUrlUnreserved;
  for (unsigned char c : std::string_view("!$()*+,-._")) {
    classes[c] = kUrlUnreserved;
  }
  for (unsigned char c : std::string_view(" \"#%'<>[\\]^`{|}~")) {
    classes[c] = kUrlUnsafe;
  }
  for (unsigned char c : std::string_view("&/:;=?@")) {
    classes[c] = kUrlReserved;
  }
  return classes;
}

constexpr std::array<unsigned char, 256> kUrlClasses = MakeUrlClasses();

}  // namespace

bool ReplaceFirst(std::string& text, const std::string& pattern,
                  const std::string& value) {
  if (pattern.empty()) return false;
  const size_t at = text.find(pattern);
  if (at == std::string::npos) return false;
  text.replace(at, pattern.size(), value);
  return true;
}

bool ReplaceAll(std::string& text, const std::string& pattern,
                const std::string& value) {
  if (pattern.empty()) return false;
  const size_t p = pattern.size();
  size_t count = 0;
  std::string out;
  out.reserve(text.size());
  if (value.find(pattern) != std::string::npos) {
    // A value that contains the pattern would be found again for ever, so
    // the search resumes after the inserted value: one pass over the text.
    size_t from = 0;
    for (size_t at = text.find(pattern);
         at != std::string::npos && count < kMaxReplacements;
         at = text.find(pattern, from)) {
      out.append(text, from, at - from);
      out += value;
      from = at + p;
      ++count;
    }
    if (count == 0) return false;
    out.append(text, from, std::string::npos);
    text = std::move(out);
    return true;
  }
  // Searching again from the start after every replacement finds the
  // occurrence that ends first in the changed text: nothing before the
  // replaced spot changed. So the text is read once, byte by byte, into
  // `out`, and whenever `out` ends in the pattern, the pattern is taken off
  // and the value is read next, before the rest of the text, so that an
  // occurrence the value completes is found like any other. `state[i]` is
  // how much of the pattern the first i + 1 bytes of `out` end in (the
  // matcher's state there), so that taking the pattern off restores it.
  std::vector<size_t> fail(p, 0);  // longest proper border of pattern[0..i]
  for (size_t i = 1, k = 0; i < p; ++i) {
    while (k > 0 && pattern[i] != pattern[k]) k = fail[k - 1];
    if (pattern[i] == pattern[k]) ++k;
    fail[i] = k;
  }
  std::vector<size_t> state;
  state.reserve(text.size());
  std::string pending;  // value bytes still to read, last byte first
  size_t next = 0;      // next byte of `text` once `pending` is empty
  while (count < kMaxReplacements) {
    char c;
    if (!pending.empty()) {
      c = pending.back();
      pending.pop_back();
    } else if (next < text.size()) {
      c = text[next++];
    } else {
      break;
    }
    size_t k = state.empty() ? 0 : state.back();
    while (k > 0 && pattern[k] != c) k = fail[k - 1];
    if (pattern[k] == c) ++k;
    out.push_back(c);
    state.push_back(k);
    if (k == p) {
      out.resize(out.size() - p);
      state.resize(state.size() - p);
      pending.append(value.rbegin(), value.rend());
      ++count;
    }
  }
  if (count == 0) return false;
  out.append(pending.rbegin(), pending.rend());
  out.append(text, next, std::string::npos);
  text = std::move(out);
  return true;
}

bool ReplaceFirstUnlessEmpty(std::string& text, const std::string& pattern,
                             const std::string& value) {
  return !value.empty() && ReplaceFirst(text, pattern, value);
}

bool ReplaceAllUnlessEmpty(std::string& text, const std::string& pattern,
                           const std::string& value) {
  return !value.empty() && ReplaceAll(text, pattern, value);
}

std::string UrlEncode(const std::string& text, int keep_mask) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    if ((kUrlClasses[c] & keep_mask) != 0) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

std::string JoinSearchWords(const std::string& text,
                            std::vector<std::string>& words) {
  if (text.empty()) return "";
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = text.find_first_not_of(' ', pos);
    if (start == std::string::npos) break;
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    pos = end;
  }
  std::string joined;
  for (const std::string& word : words) {
    joined += word;
    joined += '+';
  }
  if (!joined.empty()) joined.pop_back();
  return joined;
}

std::string ModulePath() {
  std::error_code error;
  std::filesystem::path exe =
      std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) exe = "zan";
  const char* home = std::getenv("ZAN_HOME");
  if (home != nullptr && *home != '\0') {
    return (std::filesystem::path(home) / exe.filename()).string();
  }
  return exe.string();
}

std::string ModuleDirFile(const std::string& file_name) {
  return ModuleDirFileOf(ModulePath(), file_name, '/');
}

std::string ModuleDirFileOf(const std::string& module_path,
                            const std::string& file_name, char separator) {
  std::string dir = module_path;
  const size_t last = dir.rfind(separator);
  dir.erase(last == std::string::npos ? 0 : last + 1);
  const std::string conflict = std::string(1, separator) + "CONFLICT";
  const size_t at = dir.find(conflict);
  if (at != std::string::npos) dir.erase(at + 1);
  return dir + file_name;
}

int32_t ReadInteger(std::string_view text) {
  size_t i = 0;
  auto is_blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
           c == '\r';
  };
  while (i < text.size() && is_blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude in 64 bits and stop growing once it is past
  // the 32-bit range, so that no amount of digits overflows.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(
      std::clamp<int64_t>(signed_value, std::numeric_limits<int32_t>::min(),
                          std::numeric_limits<int32_t>::max()));
}

std::string MakePostData(const std::string& text) { return text; }

}  // namespace zan
