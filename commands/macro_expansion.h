#ifndef ZAN_COMMANDS_MACRO_EXPANSION_H_
#define ZAN_COMMANDS_MACRO_EXPANSION_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "commands/toolbar_control.h"

namespace zan {

class HtmlDocument;
class LastComboValues;
class LastPageUrl;
class RandomSource;
class SettingsStore;

// An expanded text never grows beyond this many bytes: a replacement that
// would make it longer is not made (the macro stays). Values that contain
// their own macro would otherwise double the text at every pass. Every
// search box reads the whole text in each of the three passes, so the
// bound also bounds the time a definition with many boxes takes; 64 KiB is
// far more than any address or form a search sends.
inline constexpr size_t kMaxExpandedLength = 64 * 1024;

// One search box as the expansion sees it: the COMBO's name and its window.
struct ComboInput {
  std::string name;
  SearchBoxAccess* box = nullptr;
};

// Everything a template expansion reads. Pointers other than `document` and
// `button_face` must be set.
struct MacroInputs {
  std::vector<ComboInput> combos;
  // The page the browser shows, or nullptr.
  HtmlDocument* document = nullptr;
  // Asked only when a template holds "%bgcolor".
  std::function<RgbColor()> button_face;
  const SettingsStore* settings = nullptr;
  RandomSource* random = nullptr;
  LastComboValues* last_combo_values = nullptr;
  LastPageUrl* last_page_url = nullptr;
};

struct ExpandedTemplates {
  std::string url;
  std::string post;
};

// Expands the url and post templates of a GOTOURL command: combo values in
// three passes, "%csp(", the page, "%cmdparam" (only for a non-empty
// parameter), the mail account macros (post only), "%bgcolor", the page
// macros and "%rndhex". Records every box's value in LastComboValues and the
// page address in LastPageUrl. Always ends.
ExpandedTemplates ExpandTemplates(const MacroInputs& inputs,
                                  const std::string& url,
                                  const std::string& post,
                                  const std::string& parameter);

// Expands the address of a WEBPAGE pane named `name` whose definition url is
// `url`; `last_domain` is the pane's memory of the domain it last showed.
// nullopt when the pane is not to load (its "%newdomain" is unchanged).
std::optional<std::string> ExpandPaneTemplate(const MacroInputs& inputs,
                                              const std::string& name,
                                              const std::string& url,
                                              bool dynamic,
                                              std::string& last_domain);

// True when a pane with this url follows the browser's page ("%url",
// "%domain" or "%newdomain"; "%curl" and "%cdomain" do not count).
bool IsDynamicPaneUrl(const std::string& url);

// Replaces every macro opener + argument + ")" in `text` by the value that
// `lookup` gives for the argument (asked once per distinct macro text). An
// opener without a following ")" or with an empty argument stays as written.
// Inserted values are not searched again, so a value that holds a macro, even
// its own, stays as it is and the expansion always ends.
void ExpandParenthesisedMacro(
    std::string& text, const std::string& opener,
    const std::function<std::string(const std::string&)>& lookup);

// The first "%rndhex" count "%" of `url`: count random lower-case hex digits
// (a count above 51, read unsigned, becomes 50), replacing every occurrence
// of that exact macro text in `url` and then in `post`. A count of 0, or no
// closing "%", leaves the text unchanged.
void ExpandRandomHex(std::string& url, std::string& post, RandomSource& random);

// Six upper-case hex digits RRGGBB.
std::string FormatColorHex(RgbColor color);

// The page address and domain as the macros use them.
struct PageMacroValues {
  // UrlEncode(address, 1), or nullopt when there is no document or it
  // cannot tell its address.
  std::optional<std::string> encoded_url;
  // Empty when unknown.
  std::string domain;
};
PageMacroValues ReadPageMacroValues(HtmlDocument* document);

}  // namespace zan

#endif  // ZAN_COMMANDS_MACRO_EXPANSION_H_
