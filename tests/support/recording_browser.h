#ifndef ZAN_TESTS_SUPPORT_RECORDING_BROWSER_H_
#define ZAN_TESTS_SUPPORT_RECORDING_BROWSER_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"

namespace zan::test {

// A browser window that records every call made on it.
class RecordingBrowser : public Browser {
 public:
  struct Navigation {
    std::string url;
    std::string target_frame;
    std::string post_data;
    std::string headers;
    bool operator==(const Navigation&) const = default;
  };
  struct BarChange {
    std::string class_id;
    bool show = false;
    bool operator==(const BarChange&) const = default;
  };

  void Navigate(const std::string& url, const std::string& target_frame,
                const std::string& post_data,
                const std::string& headers) override {
    navigations.push_back({url, target_frame, post_data, headers});
    calls.push_back("Navigate");
  }
  void ShowBar(const std::string& bar_class_id, bool show) override {
    bar_changes.push_back({bar_class_id, show});
    calls.push_back("ShowBar");
  }
  void SetStatusText(const std::string& text) override {
    status_texts.push_back(text);
  }
  void Quit() override {
    ++quit_count;
    calls.push_back("Quit");
  }
  HtmlDocument* GetCurrentDocument() override { return document; }

  // The page the window shows (not owned); nullptr for none.
  HtmlDocument* document = nullptr;

  std::vector<Navigation> navigations;
  std::vector<BarChange> bar_changes;
  std::vector<std::string> status_texts;
  std::vector<std::string> calls;
  int quit_count = 0;
};

// Opens RecordingBrowser windows, or none when `fail` is set.
class RecordingBrowserFactory : public BrowserFactory {
 public:
  Browser* OpenBrowserWindow() override {
    ++open_count;
    if (fail) return nullptr;
    windows.push_back(std::make_unique<RecordingBrowser>());
    return windows.back().get();
  }

  bool fail = false;
  int open_count = 0;
  std::vector<std::unique_ptr<RecordingBrowser>> windows;
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_RECORDING_BROWSER_H_
