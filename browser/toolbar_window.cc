#include "browser/toolbar_window.h"

#include <cstdlib>
#include <utility>

#include "browser/bitmap_size.h"
#include "browser/chevron_layout.h"
#include "browser/command_ids.h"
#include "browser/current_search.h"
#include "browser/toolbar_startup.h"
#include "commands/highlight.h"
#include "commands/macro_expansion.h"
#include "commands/macro_state.h"
#include "commands/run_command.h"
#include "mail/mail_indicator.h"
#include "mail/mailbox_menu.h"
#include "platform/browser.h"

namespace zan {
namespace {

constexpr int kSeparatorWidth = 8;
constexpr int kButtonStyle = kStyleAutoSize | kStyleShowText;  // 0x50

int ReadWidthPercent(const std::string& width) {
  return std::atoi(width.empty() ? "10" : width.c_str());
}

// The width of a search box: `percent` of the toolbar's total width, kept
// between 0 and what a window can be, whatever the definition says.
int ComboWidth(int percent, int total_width) {
  constexpr int64_t kMaxWidth = 32767;
  int64_t width = static_cast<int64_t>(percent) * total_width / 100;
  if (width < 0) width = 0;
  if (width > kMaxWidth) width = kMaxWidth;
  return static_cast<int>(width);
}

// Puts entry `index` of the box's open list into the box: a value list
// takes that value, a history box shows that line. False for a value list.
bool TakeListEntry(SearchBox& box, int index) {
  if (box.IsValueList()) {
    box.OnValueChosen(index);
    return false;
  }
  if (index < static_cast<int>(box.history().size())) {
    box.view().SetText(box.history()[static_cast<size_t>(index)]);
  }
  return true;
}

}  // namespace

// What the mail checker asks of this toolbar.
class ToolbarWindow::MailBridge : public MailToolbar {
 public:
  explicit MailBridge(ToolbarWindow& toolbar) : toolbar_(toolbar) {}
  void StartTimer(int id, int period_ms) override {
    toolbar_.view_.StartTimer(id, period_ms);
  }
  void KillTimer(int id) override { toolbar_.view_.KillTimer(id); }
  void ShowIndicator(const ToolbarIndicator& indicator) override {
    if (indicator.item_index < 0) return;
    ButtonInfo info;
    info.text = indicator.caption;
    info.image = indicator.GetImage();
    toolbar_.view_.SetButtonInfo(ButtonCommandId(indicator.item_index), info);
  }
  void RunCommand(int command_index, const std::string& parameter) override {
    toolbar_.RunCommandWith(command_index, false, parameter);
  }

 private:
  ToolbarWindow& toolbar_;
};

Rect PaneRect(Rect button, int width, int border) {
  return Rect{button.left, button.top, button.left + width,
              border != 0 ? 22 : button.bottom + 20};
}

int MenuImageButtonWidth(int bitmap_width, const std::string& menu_type) {
  int width = bitmap_width + 20;
  if (menu_type == "Split") width += 6;
  if (menu_type == "None") width -= 8;
  return width;
}

ToolbarWindow::ToolbarWindow(ToolbarView& view, CommandEnvironment& environment,
                             ResourceSource& resources, ToolbarHooks hooks)
    : view_(view),
      environment_(environment),
      resources_(resources),
      hooks_(std::move(hooks)),
      settings_(*environment.registry) {
  view_.SetEvents(this);
}

ToolbarWindow::~ToolbarWindow() {
  // Timers first, then the model, the windows of the items, and the mail
  // session last (it stops its reader before it goes).
  view_.KillTimer(kMailCheckTimerId);
  view_.KillTimer(kBlinkTimerId);
  if (mail_checker_) mail_checker_->SetModel(nullptr);
  ReleaseItemWindows();
  holder_.DestroyModel();
  view_.SetEvents(nullptr);
  mail_checker_.reset();
}

void ToolbarWindow::EnableMail(const MailServices& services) {
  if (!services.connections || !services.pump || !services.clock) return;
  mail_store_ = std::make_unique<MailAccountStore>(settings_);
  mail_bridge_ = std::make_unique<MailBridge>(*this);
  mail_checker_ = std::make_unique<MailChecker>(
      *mail_store_, *services.connections, *services.pump, *services.clock,
      *mail_bridge_);
  mail_checker_->SetModel(holder_.model());
}

void ToolbarWindow::ReleaseItemWindows() { windows_.clear(); }

ToolbarItem* ToolbarWindow::Item(int index) const {
  ToolbarModel* model = holder_.model();
  if (!model || index < 0 || index >= static_cast<int>(model->items.size())) {
    return nullptr;
  }
  return model->items[static_cast<size_t>(index)].get();
}

ToolbarWindow::ItemWindow* ToolbarWindow::Window(int index) {
  if (index < 0 || index >= static_cast<int>(windows_.size())) return nullptr;
  return &windows_[static_cast<size_t>(index)];
}

void ToolbarWindow::StartToolbar(bool update) {
  if (!StillInstalled()) return;
  view_.SetWaitCursor(true);
  if (update) settings_.SetString("GlobalUpdateFlag", "1");
  // The definition loads into a model of its own. The toolbar in use (its
  // model, the windows of its items, its timers) stays until that one has
  // loaded, so a failed update costs nothing that works.
  ToolbarModelHolder fresh;
  fresh.set_diagnostics(holder_.diagnostics());
  fresh.set_definition_file_name(holder_.definition_file_name());
  const bool had_model = holder_.model() != nullptr;
  bool loaded;
  if (hooks_.load_toolbar) {
    loaded = hooks_.load_toolbar(fresh, update);
  } else {
    loaded = LoadToolbar(fresh, settings_, resources_, *environment_.ui, {},
                         /*fall_back=*/!had_model);
  }
  if ((loaded && fresh.model()) || !had_model) {
    // The item windows refer to the items of the model they were made for.
    if (mail_checker_) mail_checker_->SetModel(nullptr);
    ReleaseItemWindows();
    holder_.SwapModel(fresh);
    if (loaded && holder_.model()) {
      if (hooks_.load_toolbar) {
        if (mail_checker_) mail_checker_->SetModel(holder_.model());
      } else {
        StartMailTimers();
      }
      AssembleToolbar();
    }
  }
  view_.SetWaitCursor(false);
}

void ToolbarWindow::AssembleToolbar() {
  ToolbarModel* model = holder_.model();
  if (!model) return;
  const int count = static_cast<int>(model->items.size());
  ReleaseItemWindows();

  view_.SetFont(FontDesc{"Tahoma", 13, 400, 0x20});
  view_.SetExtendedStyle(kExStyleDrawDropDownArrows);

  text_button_count_ = 0;
  model->ResolveItemCommands();

  std::vector<ToolbarButtonDesc> buttons;
  buttons.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    ToolbarItem& item = *model->items[static_cast<size_t>(i)];
    item.item_index = i;
    ToolbarButtonDesc desc;
    desc.command_id = ButtonCommandId(i);
    if (item.GetKind() == ItemKind::kSeparator) {
      desc.image = kSeparatorWidth;
      desc.state = 0;
      desc.style = kStyleSep;
      desc.string_index = 0;
    } else {
      desc.image = item.GetImage();
      desc.state = kStateEnabled;
      desc.style = kButtonStyle;
      desc.string_index = text_button_count_++;
    }
    buttons.push_back(desc);
  }

  if (!model->image_list_file.empty()) {
    std::string normal = model->image_list_file;
    int height = 0;
    if (resources_.DownloadResource(normal)) {
      if (auto size = ReadBitmapSize(normal)) height = size->height;
    }
    view_.SetBitmapSize(Size{height, height});
    std::string hot = model->hot_image_list_file;
    if (!hot.empty() && !resources_.DownloadResource(hot)) hot.clear();
    if (hot.empty()) hot = normal;
    view_.SetImageLists(normal, hot, height);
  }

  for (int i = view_.ButtonCount() - 1; i >= 0; --i) view_.DeleteButton(i);
  view_.AddButtons(buttons);

  windows_.resize(static_cast<size_t>(count));
  total_width_ = 0;
  for (int i = 0; i < count; ++i) {
    AttachItem(i);
    if (auto rect = view_.GetItemRect(i)) total_width_ += rect->Width();
  }

  RefreshAll();
  view_.SetIdealWidth(VisibleWidth());
  int highlight = FindHighlightItem();
  if (highlight >= 0) {
    view_.EnableButton(ButtonCommandId(highlight), false);
    view_.CheckButton(ButtonCommandId(highlight), false);
    // Boxes that show words again (a new window, an update) can be
    // highlighted at once.
    UpdateHighlightButton(*this);
  }
  view_.AutoSize();
  shown_menu_.reset();
  UpdateChevron();
}

int ToolbarWindow::FindHighlightItem() const {
  ToolbarModel* model = holder_.model();
  if (!model) return -1;
  for (size_t i = 0; i < model->items.size(); ++i) {
    int c = model->items[i]->command_index;
    if (c < 0 || c >= static_cast<int>(model->commands.commands.size())) {
      continue;
    }
    const ToolbarCommand& command =
        *model->commands.commands[static_cast<size_t>(c)];
    if (command.GetCommandKind() == CommandKind::kService &&
        static_cast<const ServiceCommand&>(command).type == "Highlight") {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void ToolbarWindow::AttachItem(int index) {
  ToolbarItem* item = Item(index);
  if (!item) return;
  switch (item->GetKind()) {
    case ItemKind::kButton:
    case ItemKind::kText:
    case ItemKind::kIndicator:
      AttachButton(index, static_cast<ToolbarButton&>(*item));
      break;
    case ItemKind::kCombo:
      AttachCombo(index, static_cast<ToolbarCombo&>(*item));
      break;
    case ItemKind::kWebPage: {
      ItemWindow& w = windows_[static_cast<size_t>(index)];
      w.pane = view_.CreatePane();
      ReloadPane(index);
      break;
    }
    case ItemKind::kSeparator:
      break;
  }
}

void ToolbarWindow::AttachButton(int index, ToolbarButton& button) {
  view_.AddString(button.caption);
  const int id = ButtonCommandId(index);
  const ButtonMenu& menu = button.menu;
  if (menu.image.empty()) {
    if (!menu.type.empty()) {
      ButtonInfo info;
      info.style =
          kStyleShowText | kStyleAutoSize |
          (menu.type == "Single" ? kStyleWholeDropDown : kStyleDropDown);
      view_.SetButtonInfo(id, info);
    }
    return;
  }
  std::string image = menu.image;
  std::optional<Size> size;
  if (resources_.DownloadResource(image)) size = ReadBitmapSize(image);
  if (!size) size = Size{16, 16};
  std::string hot = menu.hotimage.empty() ? menu.image : menu.hotimage;
  if (!resources_.DownloadResource(hot)) hot = image;
  ButtonInfo info;
  info.width = MenuImageButtonWidth(size->width, menu.type);
  info.style = kStyleButton;
  info.state = kStateIndeterminate;
  view_.SetButtonInfo(id, info);
  MenuButtonDesc desc;
  desc.caption = button.caption;
  desc.image_file = image;
  desc.hot_image_file = hot;
  desc.image_size = *size;
  desc.draw_arrows = menu.type != "None";
  desc.whole_dropdown = menu.type == "Single";
  desc.command_id = id;
  ItemWindow& w = windows_[static_cast<size_t>(index)];
  w.menu_button = view_.CreateMenuButton(desc);
  if (auto rect = view_.GetItemRect(index)) w.menu_button->Move(*rect);
}

void ToolbarWindow::AttachCombo(int index, ToolbarCombo& combo) {
  const int id = ButtonCommandId(index);
  ButtonInfo info;
  info.style = kStyleShowText;
  if (auto rect = view_.GetItemRect(index)) info.width = rect->Width();
  view_.SetButtonInfo(id, info);
  SearchBoxDesc desc;
  desc.value_list = combo.type != "edit" && !combo.values.empty();
  desc.edit_only = combo.type == "edit";
  desc.password = combo.password != 0;
  // "maxchars" limits the text of a combo box; an edit box takes any.
  desc.max_chars = desc.edit_only ? 0 : combo.max_chars;
  desc.hint = combo.hint;
  ItemWindow& w = windows_[static_cast<size_t>(index)];
  w.search_box = std::make_unique<SearchBox>(
      combo, view_.CreateSearchBox(index, desc), settings_);
  std::string last;
  if (environment_.last_combo_values) {
    last = environment_.last_combo_values->Get(combo.name).value_or("");
  }
  w.search_box->Fill(last);
  // Every change of a history recounts the search words.
  w.search_box->SetHistoryListener([this] { UpdateHighlightButton(*this); });
  UpdateHighlightButton(*this);
  view_.EnableButton(id, false);
}

void ToolbarWindow::RefreshAll() {
  ToolbarModel* model = holder_.model();
  if (!model) return;
  for (int i = 0; i < static_cast<int>(model->items.size()); ++i) {
    RefreshItem(i);
  }
}

bool ToolbarWindow::ApplyVisibility(int index) {
  ToolbarItem* item = Item(index);
  if (!item || item->command.empty()) return true;
  bool shown = settings_.GetFlag(item->command, true);
  view_.HideButton(ButtonCommandId(index), !shown);
  return shown;
}

void ToolbarWindow::RefreshItem(int index) {
  ToolbarItem* item = Item(index);
  if (!item || index >= static_cast<int>(windows_.size())) return;
  const int id = ButtonCommandId(index);
  ItemWindow& w = windows_[static_cast<size_t>(index)];
  switch (item->GetKind()) {
    case ItemKind::kButton:
    case ItemKind::kText:
    case ItemKind::kIndicator: {
      // An indicator shows what the stored mail results say, from the
      // first assembly on.
      if (item->GetKind() == ItemKind::kIndicator && mail_store_) {
        EvaluateIndicator(static_cast<ToolbarIndicator&>(*item), *mail_store_);
      }
      ButtonInfo info;
      info.text = item->caption;
      info.image = item->GetImage();
      view_.SetButtonInfo(id, info);
      bool shown = ApplyVisibility(index);
      if (w.menu_button) {
        if (auto rect = view_.GetItemRect(index)) w.menu_button->Move(*rect);
        w.menu_button->Show(shown && OnToolbar(index));
      }
      break;
    }
    case ItemKind::kWebPage:
      LayoutPane(index);
      break;
    case ItemKind::kCombo:
      RefreshCombo(index, static_cast<ToolbarCombo&>(*item));
      break;
    case ItemKind::kSeparator:
      ApplyVisibility(index);
      break;
  }
}

void ToolbarWindow::RefreshCombo(int index, ToolbarCombo& combo) {
  ItemWindow& w = windows_[static_cast<size_t>(index)];
  const int id = ButtonCommandId(index);
  bool shown = ApplyVisibility(index);
  if (!w.search_box) return;
  w.search_box->view().Show(shown);
  int width = ComboWidth(ReadWidthPercent(combo.width), total_width_);
  ButtonInfo info;
  info.width = width;
  info.text = "";
  view_.SetButtonInfo(id, info);
  if (auto rect = view_.GetItemRect(index)) {
    Rect box = *rect;
    box.right = box.left + width;
    w.search_box->view().Move(box);
  }
}

void ToolbarWindow::LayoutPane(int index) {
  ToolbarItem* item = Item(index);
  ItemWindow* w = Window(index);
  if (!item || !w || item->GetKind() != ItemKind::kWebPage || !w->pane) return;
  const auto& page = static_cast<const ToolbarWebPage&>(*item);
  auto rect = view_.GetItemRect(index);
  if (!rect) return;
  ButtonInfo info;
  info.width = page.width;
  info.text = "";  // the pane covers the button
  info.style = kStyleButton;
  info.state = kStateIndeterminate;
  view_.SetButtonInfo(ButtonCommandId(index), info);
  w->pane->Move(PaneRect(*rect, page.width, page.border));
  w->pane->Show(true);
  if (!ApplyVisibility(index) || !OnToolbar(index)) w->pane->Show(false);
}

MacroInputs ToolbarWindow::MakeMacroInputs() {
  MacroInputs inputs;
  ToolbarModel* model = holder_.model();
  if (model) {
    for (size_t i = 0; i < model->items.size() && i < windows_.size(); ++i) {
      if (windows_[i].search_box) {
        inputs.combos.push_back(ComboInput{model->items[i]->GetName(),
                                           windows_[i].search_box.get()});
      }
    }
  }
  inputs.document = browser_ ? browser_->GetCurrentDocument() : nullptr;
  inputs.button_face = [this] { return GetButtonFaceColor(); };
  inputs.settings = &settings_;
  inputs.random = environment_.random;
  inputs.last_combo_values = environment_.last_combo_values;
  inputs.last_page_url = environment_.last_page_url;
  return inputs;
}

void ToolbarWindow::ReloadPane(int index) {
  ToolbarItem* item = Item(index);
  ItemWindow* w = Window(index);
  if (!item || !w || item->GetKind() != ItemKind::kWebPage) return;
  const auto& page = static_cast<const ToolbarWebPage&>(*item);
  if (!w->pane) w->pane = view_.CreatePane();
  MacroInputs inputs = MakeMacroInputs();
  if (!inputs.random || !inputs.last_combo_values || !inputs.last_page_url) {
    return;
  }
  std::optional<std::string> url = ExpandPaneTemplate(
      inputs, page.name, page.url, page.dynamic, w->pane_last_domain);
  if (url) w->pane->Navigate(*url);
}

PaneView* ToolbarWindow::GetPane(int item_index) {
  ItemWindow* w = Window(item_index);
  return w ? w->pane.get() : nullptr;
}

SearchBox* ToolbarWindow::GetSearchBoxOf(int item_index) {
  ItemWindow* w = Window(item_index);
  return w ? w->search_box.get() : nullptr;
}

SearchBoxAccess* ToolbarWindow::GetSearchBox(int item_index) {
  return GetSearchBoxOf(item_index);
}

int ToolbarWindow::VisibleWidth() const {
  int width = 0;
  for (int i = 0; i < view_.ButtonCount(); ++i) {
    int id = ButtonCommandId(i);
    if (view_.GetButtonState(id) & kStateHidden) continue;
    if (auto rect = view_.GetItemRect(i)) width += rect->Width();
  }
  return width;
}

int ToolbarWindow::MinimumWidth() const {
  ToolbarModel* model = holder_.model();
  if (!model) return 0;
  int last_combo = -1;
  for (size_t i = 0; i < model->items.size(); ++i) {
    if (model->items[i]->GetKind() == ItemKind::kCombo) {
      last_combo = static_cast<int>(i);
    }
  }
  int width = 0;
  for (int i = 0; i <= last_combo && i < view_.ButtonCount(); ++i) {
    if (view_.GetButtonState(ButtonCommandId(i)) & kStateHidden) continue;
    if (auto rect = view_.GetItemRect(i)) width += rect->Width();
  }
  return width;
}

void ToolbarWindow::EnableButton(int button_id, bool enable) {
  view_.EnableButton(button_id, enable);
}

void ToolbarWindow::CheckButton(int button_id, bool check) {
  view_.CheckButton(button_id, check);
}

RgbColor ToolbarWindow::GetButtonFaceColor() {
  Color c = view_.ButtonFaceColor();
  return RgbColor{c.r, c.g, c.b};
}

void ToolbarWindow::RunCommand(int command_index, bool reset) {
  RunCommandWith(command_index, reset, std::string());
}

void ToolbarWindow::RunCommandWith(int command_index, bool reset,
                                   const std::string& parameter) {
  if (command_index < 0) return;
  if (hooks_.run_command) {
    hooks_.run_command(*this, command_index, reset, parameter);
  } else {
    zan::RunCommand(*this, command_index, reset, parameter);
  }
}

void ToolbarWindow::RunSearchCommand() {
  ToolbarModel* model = holder_.model();
  if (!model) return;
  int c = CurrentSearchCommand(*model, LastSearchWith(settings_));
  if (c >= 0) RunCommand(c, false);
}

void ToolbarWindow::ShowMailAccountsDialog() {
  if (hooks_.show_mail_accounts_dialog) hooks_.show_mail_accounts_dialog();
}

void ToolbarWindow::StartMailTimers() {
  if (!mail_checker_) return;
  mail_checker_->SetModel(holder_.model());
  mail_checker_->StartMailTimers();
}

void ToolbarWindow::RunCheckPass(uint32_t timer_id) {
  if (mail_checker_) mail_checker_->RunCheckPass(static_cast<int>(timer_id));
}

void ToolbarWindow::UnregisterToolbar() {
  if (hooks_.unregister_toolbar) hooks_.unregister_toolbar();
}

void ToolbarWindow::OnButtonCommand(int command_id) {
  if (!StillInstalled()) return;
  ToolbarModel* model = holder_.model();
  if (!model) return;
  auto index =
      ItemOfButtonId(command_id, static_cast<int>(model->items.size()));
  if (!index) return;
  last_clicked_item_ = *index;
  bool checked = view_.IsButtonChecked(command_id);
  const ToolbarItem& item = *model->items[static_cast<size_t>(*index)];
  if (item.command_index != -1) RunCommand(item.command_index, checked);
}

std::optional<PopupMenu> ToolbarWindow::BuildItemMenu(int item_index,
                                                      int* extra_ids) const {
  ToolbarItem* item = Item(item_index);
  if (!item) return std::nullopt;
  ItemKind kind = item->GetKind();
  if (kind != ItemKind::kButton && kind != ItemKind::kText &&
      kind != ItemKind::kIndicator) {
    return std::nullopt;
  }
  MenuBuildContext context;
  context.item_index = item_index;
  context.toolbar_extension = toolbar_extension_;
  context.sidebar_allowed = true;
  context.extra_id_counter = extra_ids;
  if (mail_store_) {
    const MailAccountStore* store = mail_store_.get();
    context.expand_mailboxes = [store](PopupMenu& popup, const MenuItem& entry,
                                       int id, int extra_flags) {
      for (const MailboxMenuEntry& e :
           ExpandMailboxMenu(entry.caption, id, *store)) {
        PopupMenuEntry p;
        p.id = e.command_id;
        p.flags = kMenuFlagOwnerDraw | extra_flags |
                  (e.enabled ? 0 : kMenuFlagGrayed);
        p.data.text = e.label;
        p.data.image = -1;
        popup.entries.push_back(std::move(p));
      }
    };
  }
  return BuildMenu(static_cast<const ToolbarButton&>(*item).menu, context);
}

void ToolbarWindow::OnDropDown(int command_id, Rect button_rect) {
  if (!StillInstalled()) return;
  ToolbarModel* model = holder_.model();
  if (!model) return;
  auto index =
      ItemOfButtonId(command_id, static_cast<int>(model->items.size()));
  if (!index) return;
  std::optional<PopupMenu> menu = BuildItemMenu(*index);
  if (!menu) return;
  TrackMenu(std::move(*menu), Point{button_rect.left, button_rect.bottom});
}

void ToolbarWindow::TrackMenu(PopupMenu menu, Point at) {
  // Kept after it closes: its entries tell what identifiers outside the
  // blocks of the items and the chevron's buttons stand for. The local
  // reference keeps it alive while it is shown, whatever runs meanwhile.
  auto shown = std::make_shared<PopupMenu>(std::move(menu));
  shown_menu_ = shown;
  view_.TrackPopupMenu(*shown, at);
}

void ToolbarWindow::OnMenuCommand(int command_id) {
  if (!StillInstalled()) return;
  const PopupMenuEntry* shown =
      shown_menu_ ? shown_menu_->Find(command_id) : nullptr;
  if (command_id >= kButtonIdBase && command_id < kMenuIdBase) {
    // A button of the chevron's menu: as a click on it.
    if (shown && command_id != kSidebarId && !shown->submenu) {
      OnButtonCommand(command_id);
    }
    return;
  }
  if (command_id >= kFirstExtraMenuId && command_id <= kLastExtraMenuId) {
    ToolbarModel* model = holder_.model();
    if (!shown || shown->submenu || !model) return;
    int command = model->FindCommandIndex(shown->command);
    if (command >= 0) RunCommand(command, false);
    return;
  }
  if (command_id < kMenuIdBase || command_id > kLastCommandId) return;
  if (command_id >= kFirstMailboxId) {
    if (mail_checker_) mail_checker_->HandleMailboxCommand(command_id);
    return;
  }
  ToolbarModel* model = holder_.model();
  if (!model) return;
  MenuEntry* entry = model->FindMenuEntry(static_cast<uint32_t>(command_id));
  if (!entry) return;
  int command = model->FindCommandIndex(entry->command);
  if (command >= 0) RunCommand(command, false);
}

void ToolbarWindow::OnMenuSelect(int command_id, bool popup) {
  if (!browser_) return;
  if (command_id == 0 || popup) {
    browser_->SetStatusText("");
    return;
  }
  if (command_id >= kFirstExtraMenuId || command_id < kMenuIdBase) {
    // Entries that only the shown menu knows: extra identifiers and the
    // chevron's buttons.
    const PopupMenuEntry* shown =
        shown_menu_ ? shown_menu_->Find(command_id) : nullptr;
    std::string hint;
    if (shown && command_id >= kFirstExtraMenuId) {
      hint = shown->hint;
    } else if (shown) {
      hint = GetTooltip(command_id);
    }
    browser_->SetStatusText(hint);
    return;
  }
  if (command_id >= kFirstMailboxId) {
    browser_->SetStatusText(kMailboxStatusText);
    return;
  }
  ToolbarModel* model = holder_.model();
  MenuEntry* entry =
      model ? model->FindMenuEntry(static_cast<uint32_t>(command_id)) : nullptr;
  browser_->SetStatusText(entry ? entry->hint : std::string());
}

std::string ToolbarWindow::GetTooltip(int command_id) {
  ToolbarModel* model = holder_.model();
  if (!model) return {};
  auto index =
      ItemOfButtonId(command_id, static_cast<int>(model->items.size()));
  if (!index) return {};
  return model->items[static_cast<size_t>(*index)]->hint;
}

bool ToolbarWindow::SearchBoxHasFocus() const {
  for (const ItemWindow& w : windows_) {
    if (w.search_box && w.search_box->view().HasFocus()) return true;
  }
  return false;
}

bool ToolbarWindow::FocusFirstSearchBox() {
  for (ItemWindow& w : windows_) {
    if (w.search_box) {
      w.search_box->view().SetFocus();
      return true;
    }
  }
  return false;
}

bool ToolbarWindow::OnTabKey(bool shift) {
  // The boxes the user can see: a box whose button is hidden is skipped.
  std::vector<SearchBox*> boxes;
  for (size_t i = 0; i < windows_.size(); ++i) {
    ItemWindow& w = windows_[i];
    if (!w.search_box) continue;
    const int state =
        view_.GetButtonState(ButtonCommandId(static_cast<int>(i)));
    if (state != -1 && (state & kStateHidden)) continue;
    boxes.push_back(w.search_box.get());
  }
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (!boxes[i]->view().HasFocus()) continue;
    if (shift ? i == 0 : i + 1 == boxes.size()) {
      view_.FocusParent();
    } else {
      boxes[shift ? i - 1 : i + 1]->view().SetFocus();
    }
    return true;
  }
  if (boxes.empty()) return false;
  boxes.front()->view().SetFocus();
  return true;
}

void ToolbarWindow::OnSearchBoxEnter(int item_index) {
  if (!StillInstalled()) return;
  SearchBox* box = GetSearchBoxOf(item_index);
  if (!box) return;
  RunSearchCommand();
  // The command may have rebuilt the toolbar.
  if (SearchBox* again = GetSearchBoxOf(item_index)) {
    again->AddToHistory(again->GetValue());
  }
  UpdateHighlightButton(*this);
}

void ToolbarWindow::OnSearchBoxChanged(int item_index) {
  if (!StillInstalled()) return;
  SearchBox* box = GetSearchBoxOf(item_index);
  if (!box) return;
  if (box->IsValueList()) {
    box->OnValueChosen(box->view().CurrentIndex());
    return;
  }
  SearchBoxView& view = box->view();
  if (settings_.GetFlag("UseAutoComplete", true) &&
      view.LastEditAllowsCompletion()) {
    // Completion offers what is stored now, also lines that other windows
    // recorded, and nothing that they cleared.
    box->RefreshHistory();
    std::string typed = view.GetText();
    if (std::optional<std::string> line = box->Complete(typed)) {
      view.ShowCompletion(*line, static_cast<int>(typed.size()));
    }
  }
  // The Highlight button follows the search words.
  UpdateHighlightButton(*this);
}

void ToolbarWindow::OnSearchBoxSelected(int item_index, int index) {
  if (!StillInstalled()) return;
  SearchBox* box = GetSearchBoxOf(item_index);
  if (!box || index < 0) return;
  const bool history = TakeListEntry(*box, index);
  UpdateHighlightButton(*this);
  if (history && settings_.GetFlag("ActivateSearchOnComboSelection", true)) {
    OnSearchBoxEnter(item_index);
  }
}

void ToolbarWindow::OnSearchBoxDrop(int item_index, const std::string& text) {
  if (!StillInstalled()) return;
  SearchBox* box = GetSearchBoxOf(item_index);
  if (!box) return;
  box->view().SetText(text);
  UpdateHighlightButton(*this);
  if (settings_.GetFlag("RunSearchDragAutomatically", true)) {
    OnSearchBoxEnter(item_index);
  }
}

void ToolbarWindow::OnSearchBoxBrowsed(int item_index, int index) {
  if (!StillInstalled()) return;
  SearchBox* box = GetSearchBoxOf(item_index);
  if (!box || index < 0) return;
  // Only the text changes: a search starts from a choice in the open list,
  // Enter, or a drop.
  TakeListEntry(*box, index);
  UpdateHighlightButton(*this);
}

bool ToolbarWindow::OnToolbar(int index) const {
  return first_overflow_ < 0 || index < first_overflow_;
}

bool ToolbarWindow::HasDropDown(int index) const {
  ToolbarItem* item = Item(index);
  if (!item) return false;
  ItemKind kind = item->GetKind();
  if (kind != ItemKind::kButton && kind != ItemKind::kText &&
      kind != ItemKind::kIndicator) {
    return false;
  }
  const ButtonMenu& menu = static_cast<const ToolbarButton&>(*item).menu;
  // A face of its own shows an arrow unless the type is "None"; a plain
  // button has one when the menu has a type.
  return menu.image.empty() ? !menu.type.empty() : menu.type != "None";
}

bool ToolbarWindow::IsWholeDropDown(int index) const {
  ToolbarItem* item = Item(index);
  return HasDropDown(index) &&
         static_cast<const ToolbarButton&>(*item).menu.type == "Single";
}

void ToolbarWindow::OnToolbarResized(int width) {
  if (width == available_width_) return;
  available_width_ = width;
  UpdateChevron();
}

void ToolbarWindow::UpdateChevron() {
  ToolbarModel* model = holder_.model();
  const int count = model ? static_cast<int>(model->items.size()) : 0;
  int last_combo = -1;
  for (int i = 0; i < count; ++i) {
    if (model->items[static_cast<size_t>(i)]->GetKind() == ItemKind::kCombo) {
      last_combo = i;
    }
  }
  std::vector<int> widths;
  bool any_after = false;
  for (int i = 0; i < view_.ButtonCount(); ++i) {
    int w = 0;
    if (!(view_.GetButtonState(ButtonCommandId(i)) & kStateHidden)) {
      if (auto rect = view_.GetItemRect(i)) w = rect->Width();
    }
    widths.push_back(w);
    if (i > last_combo && w > 0) any_after = true;
  }
  // First the minimum: the view may grow to it at once and report its new
  // width (a call of its own), so that the width read below is the latest.
  view_.SetMinimumWidth(MinimumWidth() + (any_after ? kChevronButtonWidth : 0));
  const int first =
      available_width_ < 0
          ? -1
          : FirstOverflowButton(widths, last_combo, available_width_);
  const bool changed = first != first_overflow_;
  first_overflow_ = first;
  view_.SetChevron(first);
  if (!changed) return;
  // The windows over the buttons follow their buttons.
  for (int i = 0; i < count && i < static_cast<int>(windows_.size()); ++i) {
    ItemWindow& w = windows_[static_cast<size_t>(i)];
    if (w.menu_button) {
      bool hidden = view_.GetButtonState(ButtonCommandId(i)) & kStateHidden;
      w.menu_button->Show(!hidden && OnToolbar(i));
    }
    if (w.pane) LayoutPane(i);
  }
}

PopupMenu ToolbarWindow::BuildChevronMenu() const {
  PopupMenu menu;
  ToolbarModel* model = holder_.model();
  if (!model || first_overflow_ < 0) return menu;
  int extra_ids = kFirstExtraMenuId;
  const int count = static_cast<int>(model->items.size());
  for (int i = first_overflow_; i < count; ++i) {
    const int id = ButtonCommandId(i);
    if (view_.GetButtonState(id) & kStateHidden) continue;
    ToolbarItem& item = *model->items[static_cast<size_t>(i)];
    switch (item.GetKind()) {
      case ItemKind::kSeparator:
        if (!menu.empty() && !menu.entries.back().IsSeparator()) {
          PopupMenuEntry e;
          e.id = 0;
          e.flags = kMenuFlagOwnerDraw | kMenuFlagSeparator;
          e.data.type = kMenuFlagSeparator;
          menu.entries.push_back(std::move(e));
        }
        continue;
      case ItemKind::kWebPage:
      case ItemKind::kCombo:
        continue;
      case ItemKind::kButton:
      case ItemKind::kText:
      case ItemKind::kIndicator:
        break;
    }
    PopupMenuEntry own;
    own.id = id;
    own.flags = kMenuFlagOwnerDraw;
    own.data.text = item.caption;
    own.data.image = item.GetImage();
    own.hint = item.hint;
    own.checked = view_.IsButtonChecked(id);
    // Disabled as on the toolbar; also an item so far on that its button
    // identifier would read as a menu entry's.
    if (!(view_.GetButtonState(id) & kStateEnabled) || id >= kMenuIdBase) {
      own.flags |= kMenuFlagGrayed;
    }
    std::optional<PopupMenu> sub;
    if (HasDropDown(i)) sub = BuildItemMenu(i, &extra_ids);
    if (!sub || sub->empty()) {
      menu.entries.push_back(std::move(own));
      continue;
    }
    // A submenu has no banner of its own: the sidebar stays out.
    if (sub->entries.front().IsSidebar()) {
      sub->entries.erase(sub->entries.begin());
      if (!sub->empty()) sub->entries.front().flags &= ~kMenuFlagMenuBreak;
    }
    auto child = std::make_unique<PopupMenu>();
    if (!IsWholeDropDown(i)) {
      // The button's own command first, as its click would run it.
      child->entries.push_back(std::move(own));
      PopupMenuEntry line;
      line.flags = kMenuFlagOwnerDraw | kMenuFlagSeparator;
      line.data.type = kMenuFlagSeparator;
      child->entries.push_back(std::move(line));
    }
    for (PopupMenuEntry& e : sub->entries)
      child->entries.push_back(std::move(e));
    PopupMenuEntry opener;
    opener.flags = kMenuFlagOwnerDraw | kMenuFlagPopup;
    opener.data.text = item.caption;
    opener.data.image = item.GetImage();
    opener.submenu = std::move(child);
    menu.entries.push_back(std::move(opener));
  }
  if (!menu.empty() && menu.entries.back().IsSeparator()) {
    menu.entries.pop_back();
  }
  return menu;
}

void ToolbarWindow::OnChevron(Rect button_rect) {
  if (!StillInstalled()) return;
  PopupMenu menu = BuildChevronMenu();
  if (menu.empty()) return;
  TrackMenu(std::move(menu), Point{button_rect.left, button_rect.bottom});
}

void ToolbarWindow::OnSearchBoxListOpening(int item_index) {
  if (!StillInstalled()) return;
  // The list shows what is stored now: lines other windows recorded, none
  // that they cleared.
  if (SearchBox* box = GetSearchBoxOf(item_index)) box->RefreshHistory();
}

void ToolbarWindow::OnTimer(int timer_id) {
  if (!StillInstalled()) return;
  RunCheckPass(static_cast<uint32_t>(timer_id));
}

void ToolbarWindow::OnBrowserEvent(int dispid) {
  if (!StillInstalled()) return;
  if (dispid != kDispidNavigateComplete2) return;
  ToolbarModel* model = holder_.model();
  if (!model) return;
  for (ToolbarWebPage* page : model->dynamic_web_pages) {
    ReloadPane(page->item_index);
    LayoutPane(page->item_index);
  }
}

bool ToolbarWindow::StillInstalled() {
  if (uninstalled_) return false;
  if (!hooks_.still_registered || hooks_.still_registered()) return true;
  uninstalled_ = true;
  if (hooks_.uninstalled) {
    hooks_.uninstalled();
  } else {
    DropToolbar();
  }
  return false;
}

void ToolbarWindow::DropToolbar() {
  uninstalled_ = true;
  view_.KillTimer(kMailCheckTimerId);
  view_.KillTimer(kBlinkTimerId);
  if (mail_checker_) mail_checker_->SetModel(nullptr);
  ReleaseItemWindows();
  for (int i = view_.ButtonCount() - 1; i >= 0; --i) view_.DeleteButton(i);
  holder_.DestroyModel();
}

void ToolbarWindow::OnQuit() {
  browser_ = nullptr;
  // The item windows read the model's items: they go with it.
  if (mail_checker_) mail_checker_->SetModel(nullptr);
  ReleaseItemWindows();
  holder_.DestroyModel();
}

}  // namespace zan
