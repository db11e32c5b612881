#ifndef ZAN_SETTINGS_STRING_UTILS_H_
#define ZAN_SETTINGS_STRING_UTILS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zan {

class Module;

// Replaces the first occurrence of `pattern` in `text` by `value`; false
// when there is none (or `pattern` is empty).
bool ReplaceFirst(std::string& text, const std::string& pattern,
                  const std::string& value);
// Replaces occurrences of `pattern` until none is left, so that text which
// becomes an occurrence only through a replacement is replaced too. When
// `value` itself contains `pattern`, the search resumes after each inserted
// value, so the operation always ends. False when there was no occurrence.
bool ReplaceAll(std::string& text, const std::string& pattern,
                const std::string& value);
// The forms that placeholder expansion uses: an empty `value` changes
// nothing and returns false, so the placeholder stays in the text.
bool ReplaceFirstUnlessEmpty(std::string& text, const std::string& pattern,
                             const std::string& value);
bool ReplaceAllUnlessEmpty(std::string& text, const std::string& pattern,
                           const std::string& value);

// Whether `a` and `b` are equal with the letters A-Z taken as a-z; every
// other byte compares as it is (as the registry compares names).
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Byte classes of UrlEncode.
inline constexpr int kUrlUnreserved = 1;  // letters, digits, !$()*+,-._
inline constexpr int kUrlUnsafe = 2;      // blank "#%'<>[\]^`{|}~
inline constexpr int kUrlReserved = 4;    // &/:;=?@
// Copies bytes whose class shares a bit with `keep_mask`, writes every other
// byte as "%" and two upper-case hex digits. Callers pass kUrlUnreserved.
std::string UrlEncode(const std::string& text, int keep_mask);

// A text as a value of a form (application/x-www-form-urlencoded): every
// byte but the letters A-Z and a-z, the digits and -_.* becomes "%" and two
// upper-case hex digits, so "+", "&" and "=" inside it reach the server as
// characters of the value.
std::string FormEncode(const std::string& text);

// Splits `text` at blanks, appends each word to `words` and returns all of
// `words` joined by "+". An empty `text` gives "" and leaves `words` alone.
std::string JoinSearchWords(const std::string& text,
                            std::vector<std::string>& words);

// The module's folder (ending in its separator) followed by `file_name`. A
// module in a numbered conflict copy folder ("/CONFLICT.2/") uses that
// folder's parent.
std::string ModuleDirFile(Module& module, const std::string& file_name);
// The rule of ModuleDirFile for a given module path and path separator.
std::string ModuleDirFileOf(const std::string& module_path,
                            const std::string& file_name, char separator);

// `reference` resolved against the absolute address `base` as a browser
// resolves a link: an address with a scheme stays as it is; "//host/x",
// "/x", "?q", "#f" and relative paths take the rest from `base`, with "."
// and ".." segments removed.
std::string ResolveUrl(const std::string& base, const std::string& reference);

// Reads a number as the C library's atoi does: leading blanks, an optional
// sign, then decimal digits up to the first other byte; no digits gives 0.
// Values beyond the 32-bit range saturate at its ends instead of overflowing.
int32_t ReadInteger(std::string_view text);

// The bytes of a form post: the text's bytes without a terminating zero.
std::string MakePostData(const std::string& text);

}  // namespace zan

#endif  // ZAN_SETTINGS_STRING_UTILS_H_
