#include "browser/search_box.h"

#include <algorithm>

#include "settings/string_utils.h"

namespace zan {

std::vector<std::string> ValueListEntries(const ToolbarCombo& combo) {
  std::vector<std::string> entries;
  for (const auto& v : combo.values) {
    entries.push_back(v->caption.empty() ? v->value : v->caption);
  }
  return entries;
}

int LastSearchWith(const SettingsStore& settings) {
  std::string value = settings.GetString("LastSearchWith", "0");
  if (value.empty()) return -'0';
  return static_cast<unsigned char>(value[0]) - '0';
}

SearchBox::SearchBox(const ToolbarCombo& combo,
                     std::unique_ptr<SearchBoxView> view,
                     const SettingsStore& settings)
    : combo_(combo), view_(std::move(view)), settings_(settings) {}

void SearchBox::Fill(const std::string& last_text) {
  // Only a history box shows its last text again; an edit box (maybe a
  // password field) starts empty.
  if (IsEditBox()) return;
  if (IsValueList()) {
    view_->SetEntries(ValueListEntries(combo_));
    view_->SetCurrentIndex(LastSearchWith(settings_));
    return;
  }
  history_ = ReadHistory();
  view_->SetEntries(history_);
  view_->SetText(last_text);
}

void SearchBox::OnValueChosen(int index) {
  if (!IsValueList() || index < 0) return;
  settings_.SetString("LastSearchWith",
                      std::string(1, static_cast<char>('0' + index)));
  view_->SetCurrentIndex(index);
}

std::optional<std::string> SearchBox::Complete(const std::string& typed) const {
  if (typed.empty() || IsValueList() || IsEditBox()) return std::nullopt;
  for (const std::string& line : history_) {
    if (line.size() >= typed.size() &&
        EqualsIgnoringAsciiCase(line.substr(0, typed.size()), typed)) {
      return line;
    }
  }
  return std::nullopt;
}

std::string SearchBox::GetValue() {
  std::string text = view_->GetText();
  if (text.size() > kMaxSearchValue) {
    // Cut at a character boundary: the host's texts are UTF-8.
    size_t end = kMaxSearchValue;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
      --end;
    }
    text.resize(end);
  }
  if (!IsValueList()) return text;
  int index = view_->CurrentIndex();
  if (index >= 0 && index < static_cast<int>(combo_.values.size())) {
    return combo_.values[static_cast<size_t>(index)]->value;
  }
  return text;
}

void SearchBox::AddToHistory(const std::string& text) {
  if (Record(text)) {
    view_->SetEntries(history_);
    view_->SetText(text);
  }
  if (history_listener_) history_listener_();
}

bool SearchBox::Record(const std::string& text) {
  if (text.find_first_not_of(' ') == std::string::npos) return false;
  if (!settings_.GetFlag("StoreValueHistory", true)) return false;
  if (IsValueList() || IsEditBox()) return false;
  // The list starts from what is stored now, so that the lines other boxes
  // of this name (other windows, other processes) recorded or cleared since
  // this one was filled stay as they are.
  const size_t limit =
      static_cast<size_t>(std::max(combo_.max_history_lines, 1));
  auto put_first = [&](std::vector<std::string>& lines) {
    auto found =
        std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
          return EqualsIgnoringAsciiCase(line, text);
        });
    if (found != lines.end()) lines.erase(found);
    lines.insert(lines.begin(), text);
    if (lines.size() > limit) lines.resize(limit);
  };
  std::vector<std::string> stored;
  bool written = false;
  // A line that is no value name (too long, a zero byte in it) is not
  // stored.
  if (text.size() <= kMaxStoredHistoryLine && IsStorableValueName(text)) {
    if (auto key = settings_.OpenProductSubKey(
            SettingsStore::HistoryKeyName(combo_.name))) {
      written = key->RewriteValues([&](const RegistryValueList& values)
                                       -> std::optional<RegistryValueList> {
        stored.clear();
        for (const auto& value : values) stored.push_back(value.first);
        put_first(stored);
        RegistryValueList lines;
        for (const std::string& line : stored) {
          lines.emplace_back(line, DwordValue(1));
        }
        return lines;
      });
    }
  }
  if (written) {
    history_ = std::move(stored);
  } else {
    // Not stored (a line that is no value name, a history key the store
    // cannot make, an unusable store):
    // the list on screen keeps it until the next refresh.
    put_first(history_);
  }
  return true;
}

std::vector<std::string> SearchBox::ReadHistory() const {
  std::vector<std::string> lines;
  for (SettingsValueEnumerator e(settings_, combo_.name, true); e.HasName();
       e.Next()) {
    lines.push_back(e.Name());
  }
  return lines;
}

void SearchBox::RefreshHistory() {
  if (IsValueList() || IsEditBox()) return;
  std::vector<std::string> lines = ReadHistory();
  if (lines == history_) return;
  history_ = std::move(lines);
  view_->SetEntries(history_);
}

void SearchBox::ClearHistory() {
  if (IsValueList() || IsEditBox()) return;
  if (auto product = settings_.FindProductKey()) {
    product->DeleteKey(SettingsStore::HistoryKeyName(combo_.name));
  }
  history_.clear();
  view_->SetEntries(history_);
  view_->SetText("");
}

}  // namespace zan
