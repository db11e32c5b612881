// Runs the search-history rules of a history box over hostile lines. The
// input is lines: the COMBO name (backslashes make nested keys), its
// "maxhistlines", then one step per line: "!clear" clears the history,
// "!restart" makes the box again from the store, "!off" and "!on" switch
// "StoreValueHistory", any other line is a search text recorded in the
// history.
//
// Besides the sanitizers it keeps its own model of the rules and checks
// after every step that the box's list and the stored lines equal it (no
// two lines equal but for letter case, the newest first, no blank line, at
// most "maxhistlines" lines and at least one; a line the store cannot hold,
// or any line when the history key is one the store cannot make, shown but
// never stored), that no key lies deeper than the store allows, and that
// the store exports.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "browser/search_box.h"
#include "browser/toolbar_view.h"
#include "definition/toolbar_item.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/registry.h"
#include "settings/product_constants.h"
#include "settings/reg_file.h"
#include "settings/settings_store.h"

namespace {

class View : public zan::SearchBoxView {
 public:
  std::string GetText() const override { return text; }
  void SetText(const std::string& value) override { text = value; }
  int CurrentIndex() const override { return -1; }
  void SetCurrentIndex(int) override {}
  void SetEntries(const std::vector<std::string>& value) override {
    entries = value;
  }
  void Move(zan::Rect) override {}
  void Show(bool) override {}
  void SetFocus() override {}
  bool HasFocus() const override { return false; }
  void ShowCompletion(const std::string&, int) override {}
  bool LastEditAllowsCompletion() const override { return true; }

  std::string text;
  std::vector<std::string> entries;
};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// True when the store can make the key at `path` below the product key:
// every name non-empty, at most 255 bytes, without a zero byte, and the
// whole no deeper than the store allows.
bool StorableKey(const std::string& path) {
  size_t depth = 3;  // SOFTWARE\ZAN Inc.\ZAN
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const std::string name = path.substr(start, end - start);
    if (name.empty() || name.size() > zan::kMaxRegistryKeyName ||
        name.find('\0') != std::string::npos) {
      return false;
    }
    ++depth;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return depth <= zan::kMaxRegistryKeyDepth;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// The stored history, read without creating the key.
std::vector<std::string> Stored(zan::Registry& registry,
                                const std::string& key) {
  std::vector<std::string> names;
  auto product =
      registry.OpenKey(zan::RegistryHive::kCurrentUser, zan::ProductKeyPath());
  auto history = product ? product->OpenKey(key) : nullptr;
  if (!history) return names;
  for (uint32_t i = 0;; ++i) {
    auto name = history->EnumValue(i);
    if (!name) return names;
    names.push_back(*name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::vector<std::string> lines =
      Lines(std::string(reinterpret_cast<const char*>(data), size));
  if (lines.size() < 2) return 0;
  zan::ToolbarCombo combo;
  combo.name = lines[0];
  combo.max_history_lines = std::atoi(lines[1].substr(0, 4).c_str());
  const size_t limit =
      static_cast<size_t>(std::max<int32_t>(combo.max_history_lines, 1));
  const std::string key = zan::SettingsStore::HistoryKeyName(combo.name);
  const bool storable_key = StorableKey(key);

  auto registry = zan::SqliteRegistry::Open(":memory:");
  if (!registry) std::abort();
  const zan::SettingsStore settings(*registry);
  auto make_box = [&] {
    auto view = std::make_unique<View>();
    auto box =
        std::make_unique<zan::SearchBox>(combo, std::move(view), settings);
    box->Fill("");
    return box;
  };
  std::unique_ptr<zan::SearchBox> box = make_box();
  // The lines on screen and the lines stored. A line the store can hold
  // goes first in the stored list and the screen shows that list; one it
  // cannot hold goes first on screen only, until the screen is filled from
  // the store again.
  std::vector<std::string> model;
  std::vector<std::string> stored_model;
  bool storing = true;
  auto put_first = [&](std::vector<std::string>& list,
                       const std::string& line) {
    auto same = std::find_if(
        list.begin(), list.end(),
        [&](const std::string& old) { return SameIgnoringCase(old, line); });
    if (same != list.end()) list.erase(same);
    list.insert(list.begin(), line);
    if (list.size() > limit) list.resize(limit);
  };

  for (size_t i = 2; i < lines.size() && i < 200; ++i) {
    const std::string& line = lines[i];
    if (line == "!clear") {
      box->ClearHistory();
      model.clear();
      stored_model.clear();
    } else if (line == "!restart") {
      box = make_box();
      model = stored_model;
    } else if (line == "!off" || line == "!on") {
      settings.SetString("StoreValueHistory", line == "!on" ? "1" : "0");
      storing = line == "!on";
    } else {
      box->AddToHistory(line);
      if (storing && line.find_first_not_of(' ') != std::string::npos) {
        if (storable_key && line.size() <= zan::kMaxStoredHistoryLine &&
            zan::IsStorableValueName(line)) {
          put_first(stored_model, line);
          model = stored_model;
        } else {
          put_first(model, line);
        }
      }
    }
    if (box->history() != model) std::abort();
    if (model.size() > limit) std::abort();
    if (Stored(*registry, key) != stored_model) std::abort();
  }

  // The store still exports, and no key lies deeper than allowed.
  std::string exported, error;
  if (!zan::ExportRegFile(*registry, "", exported, error)) std::abort();
  size_t deepest = 0;
  for (size_t at = exported.find("\n["); at != std::string::npos;
       at = exported.find("\n[", at + 1)) {
    const size_t end = exported.find("]\n", at);
    const size_t depth = static_cast<size_t>(
        std::count(exported.begin() + static_cast<std::ptrdiff_t>(at),
                   exported.begin() + static_cast<std::ptrdiff_t>(end), '\\'));
    deepest = std::max(deepest, depth);
  }
  if (deepest > zan::kMaxRegistryKeyDepth) std::abort();
  return 0;
}
