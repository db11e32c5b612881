#ifndef ZAN_COMMANDS_TOOLBAR_CONTROL_H_
#define ZAN_COMMANDS_TOOLBAR_CONTROL_H_

#include <cstdint>
#include <string>

namespace zan {

class Browser;
class BrowserFactory;
class DesktopMailHandler;
class LastComboValues;
class LastPageUrl;
class ProcessLauncher;
class ProxySettings;
class RandomSource;
class Registry;
class ToolbarModel;
class Ui;

// What command execution needs from the window of one COMBO item.
class SearchBoxAccess {
 public:
  virtual ~SearchBoxAccess() = default;
  // The box's text, or the value of the chosen COMBOVALUE of a value list.
  virtual std::string GetValue() = 0;
  // Records `text` in the box's history (and refreshes the Highlight
  // button, as every history change does).
  virtual void AddToHistory(const std::string& text) = 0;
  // A history box deletes its history key and empties its list and its
  // text; a value list keeps its entries.
  virtual void ClearHistory() = 0;
};

// A colour as red, green and blue bytes.
struct RgbColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The process-wide services that commands reach through their toolbar. The
// host fills one per process; pointers marked optional may be null, the
// others may not.
struct CommandEnvironment {
  Registry* registry = nullptr;
  Ui* ui = nullptr;
  BrowserFactory* browser_factory = nullptr;  // optional: no "New" windows
  ProcessLauncher* process_launcher = nullptr;
  // Optional: the desktop's mailto handler, asked when the registry names
  // no default e-mail program.
  DesktopMailHandler* mail_handler = nullptr;
  ProxySettings* proxy_settings = nullptr;
  RandomSource* random = nullptr;
  LastComboValues* last_combo_values = nullptr;
  LastPageUrl* last_page_url = nullptr;
};

// The one interface that command execution needs from the toolbar control
// it runs in. The browser host implements it; item indexes are positions in
// the model's item list, button identifiers are 1024 + item index.
class ToolbarControl {
 public:
  virtual ~ToolbarControl() = default;

  virtual CommandEnvironment& Environment() = 0;
  // The loaded toolbar, or nullptr while none is loaded.
  virtual ToolbarModel* GetModel() = 0;
  // The browser window the toolbar lives in, or nullptr.
  virtual Browser* GetBrowser() = 0;

  // The window of the COMBO item at `item_index`, or nullptr when that item
  // has none.
  virtual SearchBoxAccess* GetSearchBox(int item_index) = 0;

  // The WEBPAGE pane at `item_index` loads again: it runs ExpandPaneUrl and,
  // unless that declines, creates its browser control or navigates it.
  virtual void ReloadPane(int item_index) = 0;
  // The pane at `item_index` takes its place and size in the toolbar.
  virtual void LayoutPane(int item_index) = 0;

  // The state of the toolbar button `button_id` (1024 + item index).
  virtual void EnableButton(int button_id, bool enable) = 0;
  virtual void CheckButton(int button_id, bool check) = 0;

  // The system's button-face colour.
  virtual RgbColor GetButtonFaceColor() = 0;

  // Runs the current search (the search-capable item chosen by
  // "LastSearchWith").
  virtual void RunSearchCommand() = 0;
  // Loads the definition again and rebuilds the toolbar; `update` forces
  // fresh downloads.
  virtual void StartToolbar(bool update) = 0;

  // Shows the mail accounts dialog modally; returns when it is closed.
  virtual void ShowMailAccountsDialog() = 0;
  // (Re)starts the mail check timer and runs a check pass at once.
  virtual void StartMailTimers() = 0;
  // Runs one mail check pass for the timer (or forced-check) id.
  virtual void RunCheckPass(uint32_t timer_id) = 0;

  // Removes the toolbar's registration from the system. "Uninstall" calls it
  // right after Browser::Quit, so a host must not destroy the toolbar
  // inside Quit but once the running command has returned.
  virtual void UnregisterToolbar() = 0;
};

}  // namespace zan

#endif  // ZAN_COMMANDS_TOOLBAR_CONTROL_H_
