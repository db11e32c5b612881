#ifndef ZAN_BROWSER_SEARCH_BOX_H_
#define ZAN_BROWSER_SEARCH_BOX_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/toolbar_view.h"
#include "commands/toolbar_control.h"
#include "definition/toolbar_item.h"
#include "platform/registry.h"
#include "settings/settings_store.h"

namespace zan {

// The longest history line that is written to the settings: a line is the
// name of a value, and the store refuses longer names. A longer line stays
// in the list on screen but is not stored, so it is gone at the next
// refresh of the list.
inline constexpr size_t kMaxStoredHistoryLine = kMaxRegistryValueName;
// The longest text GetValue returns (bytes); longer texts are cut.
inline constexpr size_t kMaxSearchValue = 1023;

// The window side of a COMBO item: a history box (its list is the search
// history kept under "History" + name), a value list (its entries are the
// COMBOVALUEs, the choice stored in "LastSearchWith"), or a plain edit box
// (type "edit").
class SearchBox : public SearchBoxAccess {
 public:
  SearchBox(const ToolbarCombo& combo, std::unique_ptr<SearchBoxView> view,
            const SettingsStore& settings);

  bool IsValueList() const { return !IsEditBox() && !combo_.values.empty(); }
  bool IsEditBox() const { return combo_.type == "edit"; }
  const std::string& name() const { return combo_.name; }
  SearchBoxView& view() { return *view_; }
  const std::vector<std::string>& history() const { return history_; }
  // Called after every AddToHistory, also one that stores nothing, so the
  // owner can recount the search words.
  void SetHistoryListener(std::function<void()> listener) {
    history_listener_ = std::move(listener);
  }

  // Fills the box: the stored history and the last text of a history box,
  // the entries and the stored choice of a value list; an edit box stays
  // empty.
  void Fill(const std::string& last_text);
  // The user chose entry `index` of a value list.
  void OnValueChosen(int index);
  // Shows the stored history again when it changed since the list was
  // filled (another box of this name recorded or cleared lines).
  void RefreshHistory();
  // The first history line that begins with `typed` (ignoring ASCII case);
  // nullopt for an empty text or when none does.
  std::optional<std::string> Complete(const std::string& typed) const;

  // SearchBoxAccess:
  std::string GetValue() override;
  void AddToHistory(const std::string& text) override;
  void ClearHistory() override;

 private:
  // Puts `text` at the top of the stored history and of the list, in one
  // step against other writers; false when the list does not change (blank
  // text, storing off, no history box).
  bool Record(const std::string& text);
  std::vector<std::string> ReadHistory() const;

  const ToolbarCombo& combo_;
  std::unique_ptr<SearchBoxView> view_;
  const SettingsStore& settings_;
  std::vector<std::string> history_;
  std::function<void()> history_listener_;
};

// Entries of a value list as shown: each COMBOVALUE's caption, its value
// when the caption is empty.
std::vector<std::string> ValueListEntries(const ToolbarCombo& combo);

// The stored provider choice: the first character of "LastSearchWith"
// minus "0".
int LastSearchWith(const SettingsStore& settings);

}  // namespace zan

#endif  // ZAN_BROWSER_SEARCH_BOX_H_
