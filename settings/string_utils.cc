#include "settings/string_utils.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/module.h"

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

// `text` with every byte that `kept` refuses written as %XX.
template <typename Kept>
std::string PercentEncode(const std::string& text, Kept kept) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    if (kept(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

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
  if (text.find(pattern) == std::string::npos) return false;
  std::vector<size_t> state;
  state.reserve(text.size());
  std::string pending;  // value bytes still to read, last byte first
  size_t next = 0;      // next byte of `text` once `pending` is empty
  while (count < kMaxReplacements) {
    if (pending.empty() && (state.empty() || state.back() == 0)) {
      // Nothing of the pattern is under way: the bytes up to the next
      // first byte of the pattern are copied as they are.
      size_t to = text.find(pattern[0], next);
      if (to == std::string::npos) to = text.size();
      out.append(text, next, to - next);
      state.resize(state.size() + (to - next), 0);
      next = to;
    }
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

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

std::string UrlEncode(const std::string& text, int keep_mask) {
  return PercentEncode(text, [keep_mask](unsigned char c) {
    return (kUrlClasses[c] & keep_mask) != 0;
  });
}

std::string FormEncode(const std::string& text) {
  return PercentEncode(text, [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
           c == '*';
  });
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

std::string ModuleDirFile(Module& module, const std::string& file_name) {
  return ModuleDirFileOf(module.Path(), file_name, module.PathSeparator());
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

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The scheme of `url` ("http" of "http://x"), empty when it has none.
std::string_view SchemeOf(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url[0])) return {};
  for (size_t i = 1; i < url.size(); ++i) {
    const char c = url[i];
    if (c == ':') return url.substr(0, i);
    const bool digit = c >= '0' && c <= '9';
    if (!IsAsciiLetter(c) && !digit && c != '+' && c != '-' && c != '.') {
      return {};
    }
  }
  return {};
}

// `path` with its "." and ".." segments removed.
std::string RemoveDotSegments(std::string_view path) {
  std::vector<std::string_view> kept;
  const bool absolute = !path.empty() && path[0] == '/';
  size_t pos = absolute ? 1 : 0;
  bool ends_in_folder = false;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(pos, end - pos);
    const bool last = end == path.size();
    if (segment == ".") {
      ends_in_folder = last;
    } else if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      ends_in_folder = last;
    } else {
      kept.push_back(segment);
      ends_in_folder = false;
    }
    pos = end + 1;
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += '/';
    out += kept[i];
  }
  if (ends_in_folder && !kept.empty()) out += '/';
  return out;
}

}  // namespace

std::string ResolveUrl(const std::string& base, const std::string& reference) {
  const std::string_view scheme = SchemeOf(reference);
  if (!scheme.empty()) return reference;
  const std::string_view base_scheme = SchemeOf(base);
  if (base_scheme.empty()) return reference;
  if (reference.rfind("//", 0) == 0) {
    return std::string(base_scheme) + ":" + reference;
  }
  // The base as scheme and authority, path, and query.
  const std::string_view whole(base);
  const size_t fragment = whole.find('#');
  const std::string_view unfragmented = whole.substr(0, fragment);
  size_t path_start = base_scheme.size() + 1;
  if (unfragmented.substr(path_start, 2) == "//") {
    path_start = unfragmented.find_first_of("/?", path_start + 2);
    if (path_start == std::string_view::npos) path_start = unfragmented.size();
  }
  const std::string_view origin = unfragmented.substr(0, path_start);
  const size_t query = unfragmented.find('?', path_start);
  const std::string_view base_path = unfragmented.substr(
      path_start, query == std::string_view::npos ? std::string_view::npos
                                                  : query - path_start);
  if (reference.empty()) return std::string(unfragmented);
  if (reference[0] == '#') return std::string(unfragmented) + reference;
  if (reference[0] == '?') {
    return std::string(origin) + std::string(base_path) + reference;
  }
  // Split the reference's path from its query and fragment.
  const size_t tail = reference.find_first_of("?#");
  const std::string_view ref_path = std::string_view(reference).substr(0, tail);
  const std::string rest =
      tail == std::string::npos ? std::string() : reference.substr(tail);
  std::string merged;
  if (ref_path[0] == '/') {
    merged = std::string(ref_path);
  } else {
    // Appended piece by piece: "/" + std::string(...) sets off a false
    // -Wrestrict warning of GCC 12 at -O2.
    const size_t slash = base_path.rfind('/');
    merged = slash == std::string_view::npos
                 ? std::string("/")
                 : std::string(base_path.substr(0, slash + 1));
    merged.append(ref_path);
  }
  return std::string(origin) + RemoveDotSegments(merged) + rest;
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
