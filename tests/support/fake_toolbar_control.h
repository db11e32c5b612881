#ifndef ZAN_TESTS_SUPPORT_FAKE_TOOLBAR_CONTROL_H_
#define ZAN_TESTS_SUPPORT_FAKE_TOOLBAR_CONTROL_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands/macro_state.h"
#include "commands/toolbar_control.h"

namespace zan::test {

// A search box with a settable value that records its history calls.
class FakeSearchBox : public SearchBoxAccess {
 public:
  explicit FakeSearchBox(std::string initial = "")
      : value(std::move(initial)) {}

  std::string GetValue() override { return value; }
  void AddToHistory(const std::string& text) override {
    history.push_back(text);
  }
  void ClearHistory() override {
    ++clear_calls;
    history.clear();
  }

  std::string value;
  std::vector<std::string> history;
  int clear_calls = 0;
};

// Random numbers from a fixed list, repeated.
class FixedRandomSource : public RandomSource {
 public:
  explicit FixedRandomSource(std::vector<int> numbers)
      : numbers_(std::move(numbers)) {}
  int Next() override {
    const int number = numbers_[next_ % numbers_.size()];
    ++next_;
    return number;
  }
  size_t calls() const { return next_; }

 private:
  std::vector<int> numbers_;
  size_t next_ = 0;
};

// A toolbar control that records what commands ask of it. Events are
// written as "ReloadPane 3", "EnableButton 1026 1", "CheckButton 1026 0",
// "RunSearchCommand", "StartToolbar 1", "ShowMailAccountsDialog",
// "StartMailTimers", "RunCheckPass 43692", "UnregisterToolbar".
class FakeToolbarControl : public ToolbarControl {
 public:
  CommandEnvironment& Environment() override { return env; }
  ToolbarModel* GetModel() override { return model; }
  Browser* GetBrowser() override { return browser; }
  SearchBoxAccess* GetSearchBox(int item_index) override {
    auto it = boxes.find(item_index);
    return it == boxes.end() ? nullptr : it->second.get();
  }
  void ReloadPane(int item_index) override {
    Record("ReloadPane " + std::to_string(item_index));
  }
  void LayoutPane(int item_index) override {
    Record("LayoutPane " + std::to_string(item_index));
  }
  void EnableButton(int button_id, bool enable) override {
    enabled[button_id] = enable;
    Record("EnableButton " + std::to_string(button_id) + " " +
           (enable ? "1" : "0"));
  }
  void CheckButton(int button_id, bool check) override {
    checked[button_id] = check;
    Record("CheckButton " + std::to_string(button_id) + " " +
           (check ? "1" : "0"));
  }
  RgbColor GetButtonFaceColor() override {
    ++button_face_calls;
    return button_face;
  }
  void RunSearchCommand() override { Record("RunSearchCommand"); }
  void StartToolbar(bool update) override {
    Record(std::string("StartToolbar ") + (update ? "1" : "0"));
    if (on_start_toolbar) on_start_toolbar();
  }
  void ShowMailAccountsDialog() override { Record("ShowMailAccountsDialog"); }
  void StartMailTimers() override { Record("StartMailTimers"); }
  void RunCheckPass(uint32_t timer_id) override {
    Record("RunCheckPass " + std::to_string(timer_id));
  }
  void UnregisterToolbar() override { Record("UnregisterToolbar"); }

  // Gives the COMBO item at `item_index` a window holding `value`.
  FakeSearchBox* AddBox(int item_index, const std::string& value) {
    boxes[item_index] = std::make_unique<FakeSearchBox>(value);
    return boxes[item_index].get();
  }

  CommandEnvironment env;
  ToolbarModel* model = nullptr;
  Browser* browser = nullptr;
  std::map<int, std::unique_ptr<FakeSearchBox>> boxes;
  RgbColor button_face{236, 233, 216};
  int button_face_calls = 0;
  std::map<int, bool> enabled;
  std::map<int, bool> checked;
  std::vector<std::string> events;
  std::function<void()> on_start_toolbar;

 private:
  void Record(const std::string& event) { events.push_back(event); }
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_FAKE_TOOLBAR_CONTROL_H_
