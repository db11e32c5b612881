#ifndef ZAN_COMMANDS_GOTO_URL_H_
#define ZAN_COMMANDS_GOTO_URL_H_

#include <optional>
#include <string>

#include "commands/macro_expansion.h"
#include "commands/toolbar_control.h"

namespace zan {

class GoToUrlCommand;
class ToolbarWebPage;

// The header of a form post.
inline constexpr char kFormContentTypeHeader[] =
    "Content-Type: application/x-www-form-urlencoded\r\n";
// A url that begins with this marker sends the post text.
inline constexpr char kPostMarker[] = "POST!";

// The url and post texts of `command`, expanded for this toolbar (the
// command itself is not changed). `parameter` is the caller's text for
// "%cmdparam".
ExpandedTemplates ExpandCommandTemplates(ToolbarControl& toolbar,
                                         const GoToUrlCommand& command,
                                         const std::string& parameter);

// The address that the WEBPAGE pane is to load now, or nullopt when it keeps
// its page. `last_domain` is the pane's own memory of the domain it showed
// (empty when the pane is created).
std::optional<std::string> ExpandPaneUrl(ToolbarControl& toolbar,
                                         const ToolbarWebPage& pane,
                                         std::string& last_domain);

// The request a GOTOURL command makes once expanded: the url without the
// "POST!" marker, the post bytes (only with the marker) and the headers.
struct GoToUrlRequest {
  std::string url;
  std::string post_data;
  std::string headers;
};
GoToUrlRequest MakeGoToUrlRequest(const ExpandedTemplates& expanded);

// Runs a GOTOURL command: expands its templates and opens the address where
// `newwindow` says: "New" (a new browser window), "ModalDialog" (a dialog of
// the current page), "BrowserButton" (the toolbar's panes named `target`) or
// else the toolbar's own window with `target` as the frame.
void ExecuteGoToUrl(ToolbarControl& toolbar, const GoToUrlCommand& command,
                    const std::string& parameter);

}  // namespace zan

#endif  // ZAN_COMMANDS_GOTO_URL_H_
