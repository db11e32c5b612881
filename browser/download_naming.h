#ifndef ZAN_BROWSER_DOWNLOAD_NAMING_H_
#define ZAN_BROWSER_DOWNLOAD_NAMING_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zan {

// The longest file name (bytes) a download gets; file systems take 255.
inline constexpr size_t kMaxDownloadNameBytes = 255;

// A plain file name for a download from the name a page or server
// suggested: only its last path part, control characters, slashes,
// backslashes and colons made "_", leading dots and blanks and trailing
// dots and blanks dropped, cut to kMaxDownloadNameBytes on a character
// boundary with the extension kept; "download" when nothing is left.
std::string SafeDownloadName(std::string_view suggested);

// The name under which a download is saved in its folder: the safe name,
// or while `taken` answers true for it, "name (1).ext", "name (2).ext" ...
// (".tar.gz" and the like count as one extension). nullopt when the first
// `max_tries` numbers are all taken.
std::optional<std::string> ChooseDownloadName(
    std::string_view suggested,
    const std::function<bool(const std::string& name)>& taken,
    int max_tries = 9999);

}  // namespace zan

#endif  // ZAN_BROWSER_DOWNLOAD_NAMING_H_
