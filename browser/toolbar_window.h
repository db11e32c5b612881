#ifndef ZAN_BROWSER_TOOLBAR_WINDOW_H_
#define ZAN_BROWSER_TOOLBAR_WINDOW_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/geometry.h"
#include "browser/menu_builder.h"
#include "browser/search_box.h"
#include "browser/toolbar_view.h"
#include "commands/toolbar_control.h"
#include "definition/load_definition.h"
#include "mail/mail_account_store.h"
#include "mail/mail_checker.h"
#include "mail/mail_toolbar.h"
#include "settings/resource_source.h"
#include "settings/settings_store.h"

namespace zan {

// What the toolbar control calls outside its own logic. Unset members do
// nothing, except `run_command`.
struct ToolbarHooks {
  // Runs command `command_index` of the model: `Reset` when `reset`, else
  // `Execute` with `parameter`. Unset: the command runs in this toolbar.
  std::function<void(ToolbarControl&, int command_index, bool reset,
                     const std::string& parameter)>
      run_command;
  // The first half of start-up: the update decision, the load of the
  // definition into `holder` and the settings written after a good load.
  // True when the toolbar is to be rebuilt. Unset: a plain load.
  std::function<bool(ToolbarModelHolder& holder, bool update)> load_toolbar;
  std::function<void()> show_mail_accounts_dialog;
  std::function<void()> unregister_toolbar;
  // Whether the toolbar is still installed, asked before the toolbar acts
  // on an event or a timer. Unset: always.
  std::function<bool()> still_registered;
  // The toolbar found itself uninstalled and acts on nothing any more; the
  // host calls DropToolbar once the running event is over (and hides its
  // band). Unset: the toolbar drops itself at once.
  std::function<void()> uninstalled;
};

// What the mail checker of a toolbar runs on.
struct MailServices {
  TcpConnectionFactory* connections = nullptr;
  MessagePump* pump = nullptr;
  Clock* clock = nullptr;
};

// Where a web-page pane goes: from the button's top-left corner, `width`
// wide, down to 20 pixels below the button, or to y = 22 with a border.
Rect PaneRect(Rect button, int width, int border);
// The reserved width of a button whose face is a bitmap `bitmap_width`
// wide, by the menu type.
int MenuImageButtonWidth(int bitmap_width, const std::string& menu_type);

// The toolbar control: the buttons of the loaded model on a toolbar view,
// the windows of its items, clicks, menus, status texts, visibility, panes
// and keyboard navigation. It is the toolbar that commands run in.
class ToolbarWindow : public ToolbarControl, public ToolbarViewEvents {
 public:
  ToolbarWindow(ToolbarView& view, CommandEnvironment& environment,
                ResourceSource& resources, ToolbarHooks hooks = {});
  // Gives the toolbar its mail checker (the POP3 indicator, the mailbox
  // menu, the check timers).
  void EnableMail(const MailServices& services);
  MailChecker* mail_checker() { return mail_checker_.get(); }
  ~ToolbarWindow() override;
  ToolbarWindow(const ToolbarWindow&) = delete;
  ToolbarWindow& operator=(const ToolbarWindow&) = delete;

  void SetBrowser(Browser* browser) { browser_ = browser; }
  // The "Toolbar Extension" setting as read when the program started.
  void SetToolbarExtension(std::string value) {
    toolbar_extension_ = std::move(value);
  }
  ToolbarHooks& hooks() { return hooks_; }
  ToolbarModelHolder& model_holder() { return holder_; }
  const SettingsStore& settings() const { return settings_; }
  ToolbarView& view() { return view_; }

  // Fills the view from the installed model: fonts, buttons, image lists,
  // the items' windows, widths and the Highlight button.
  void AssembleToolbar();
  // Every item's refresh, in model order.
  void RefreshAll();
  // After a browser event: NavigateComplete2 reloads the dynamic panes.
  void OnBrowserEvent(int dispid);
  // The band goes away: the browser is forgotten, the model destroyed.
  void OnQuit();
  // The toolbar was uninstalled while its window stays open: timers, item
  // windows, buttons and model go, and nothing is written any more.
  void DropToolbar();
  // False once the toolbar was uninstalled (see ToolbarHooks).
  bool StillInstalled();

  // Sum of the widths of all buttons, as of the last assembly.
  int total_width() const { return total_width_; }
  // Sum of the widths of the visible buttons.
  int VisibleWidth() const;
  // Sum of the widths of the visible buttons up to the last COMBO item; 0
  // without one.
  int MinimumWidth() const;
  int last_clicked_item() const { return last_clicked_item_; }
  // Whether a search box holds the keyboard focus.
  bool SearchBoxHasFocus() const;
  // Gives the keyboard focus to the first search box; false without one.
  bool FocusFirstSearchBox();
  // The popup menu a button's drop-down would show. `extra_ids` is shared
  // by the items of one popup menu (the chevron's).
  std::optional<PopupMenu> BuildItemMenu(int item_index,
                                         int* extra_ids = nullptr) const;
  // The first button that went into the chevron, -1 when all fit.
  int first_overflow() const { return first_overflow_; }
  // The chevron's menu: each button that went into it as an entry that runs
  // its command (its button identifier), a button with a drop-down menu as
  // a submenu with that menu (after its own command when a click on the
  // button runs one), separators as separators; panes stay out.
  PopupMenu BuildChevronMenu() const;
  // The pane of a WEBPAGE item, or null.
  PaneView* GetPane(int item_index);
  SearchBox* GetSearchBoxOf(int item_index);

  // ToolbarControl:
  CommandEnvironment& Environment() override { return environment_; }
  ToolbarModel* GetModel() override { return holder_.model(); }
  Browser* GetBrowser() override { return browser_; }
  SearchBoxAccess* GetSearchBox(int item_index) override;
  void ReloadPane(int item_index) override;
  void LayoutPane(int item_index) override;
  void EnableButton(int button_id, bool enable) override;
  void CheckButton(int button_id, bool check) override;
  RgbColor GetButtonFaceColor() override;
  void RunSearchCommand() override;
  void StartToolbar(bool update) override;
  void ShowMailAccountsDialog() override;
  void StartMailTimers() override;
  void RunCheckPass(uint32_t timer_id) override;
  void UnregisterToolbar() override;

  // ToolbarViewEvents:
  void OnButtonCommand(int command_id) override;
  void OnDropDown(int command_id, Rect button_rect) override;
  void OnMenuCommand(int command_id) override;
  void OnMenuSelect(int command_id, bool popup) override;
  std::string GetTooltip(int command_id) override;
  bool OnTabKey(bool shift) override;
  void OnSearchBoxEnter(int item_index) override;
  void OnSearchBoxChanged(int item_index) override;
  void OnSearchBoxSelected(int item_index, int index) override;
  void OnSearchBoxDrop(int item_index, const std::string& text) override;
  void OnSearchBoxListOpening(int item_index) override;
  void OnTimer(int timer_id) override;
  void OnToolbarResized(int width) override;
  void OnChevron(Rect button_rect) override;
  void OnSearchBoxBrowsed(int item_index, int index) override;

 private:
  struct ItemWindow {
    std::unique_ptr<PaneView> pane;
    std::string pane_last_domain;
    std::unique_ptr<MenuButtonView> menu_button;
    std::unique_ptr<SearchBox> search_box;
  };

  ToolbarItem* Item(int index) const;
  ItemWindow* Window(int index);
  void RunCommand(int command_index, bool reset);
  void RunCommandWith(int command_index, bool reset,
                      const std::string& parameter);
  void AttachItem(int index);
  void RefreshItem(int index);
  void AttachButton(int index, ToolbarButton& button);
  void AttachCombo(int index, ToolbarCombo& combo);
  void RefreshCombo(int index, ToolbarCombo& combo);
  // Applies the visibility rule; returns whether the button is shown.
  bool ApplyVisibility(int index);
  void ReleaseItemWindows();
  struct MacroInputs MakeMacroInputs();
  // Which buttons fit into the available width, the chevron, the item
  // windows of the buttons that left, and the minimum width.
  void UpdateChevron();
  // Whether the button of item `index` is on the toolbar (not in the
  // chevron).
  bool OnToolbar(int index) const;
  // Whether a click on the item's button opens its menu, and whether it
  // opens it without running the item's command.
  bool HasDropDown(int index) const;
  bool IsWholeDropDown(int index) const;
  // Shows a built menu at a screen point and keeps it for the choice.
  void TrackMenu(PopupMenu menu, Point at);
  int FindHighlightItem() const;

  ToolbarView& view_;
  CommandEnvironment& environment_;
  ResourceSource& resources_;
  ToolbarHooks hooks_;
  SettingsStore settings_;
  ToolbarModelHolder holder_;
  Browser* browser_ = nullptr;
  std::string toolbar_extension_;
  std::vector<ItemWindow> windows_;
  int text_button_count_ = 0;
  int total_width_ = 0;
  int last_clicked_item_ = -1;
  int available_width_ = -1;  // unknown until the view reports it
  int first_overflow_ = -1;
  std::shared_ptr<PopupMenu> shown_menu_;
  bool uninstalled_ = false;
  class MailBridge;
  std::unique_ptr<MailAccountStore> mail_store_;
  std::unique_ptr<MailBridge> mail_bridge_;
  std::unique_ptr<MailChecker> mail_checker_;
};

}  // namespace zan

#endif  // ZAN_BROWSER_TOOLBAR_WINDOW_H_
