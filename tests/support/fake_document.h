#ifndef ZAN_TESTS_SUPPORT_FAKE_DOCUMENT_H_
#define ZAN_TESTS_SUPPORT_FAKE_DOCUMENT_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/html_document.h"

namespace zan::test {

// A page with an address, a domain, frames and a list of words. Marking a
// word counts its whole-word, case-insensitive matches in `words` and
// records the call; clearing removes every mark with the id.
class FakeDocument : public HtmlDocument {
 public:
  struct Mark {
    std::string word;
    std::string style;
    std::string id;
    int matches = 0;
    bool operator==(const Mark&) const = default;
  };
  struct Dialog {
    std::string url;
    std::string features;
    bool operator==(const Dialog&) const = default;
  };

  std::optional<std::string> GetUrl() override { return url; }
  std::optional<std::string> GetDomain() override { return domain; }
  int GetFrameCount() override { return static_cast<int>(frames.size()); }
  HtmlDocument* GetFrame(int index) override {
    return index >= 0 && index < GetFrameCount() ? frames[index].get()
                                                 : nullptr;
  }
  bool HighlightWord(const std::string& word, const std::string& style,
                     const std::string& id) override {
    ++highlight_calls;
    if (!has_body) return false;
    int matches = 0;
    for (const std::string& page_word : words) {
      if (EqualsIgnoringCase(page_word, word)) ++matches;
    }
    marks.push_back({word, style, id, matches});
    return true;
  }
  void ClearHighlights(const std::string& id) override {
    ++clear_calls;
    std::erase_if(marks, [&](const Mark& mark) { return mark.id == id; });
  }
  void ShowModalDialog(const std::string& dialog_url,
                       const std::string& features) override {
    dialogs.push_back({dialog_url, features});
  }
  void Focus() override { ++focus_count; }

  FakeDocument* AddFrame() {
    frames.push_back(std::make_unique<FakeDocument>());
    return frames.back().get();
  }

  std::optional<std::string> url;
  std::optional<std::string> domain;
  bool has_body = true;
  std::vector<std::string> words;
  std::vector<std::unique_ptr<FakeDocument>> frames;

  std::vector<Mark> marks;
  std::vector<Dialog> dialogs;
  int highlight_calls = 0;
  int clear_calls = 0;
  int focus_count = 0;

 private:
  static bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
  }
  static char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
};

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_FAKE_DOCUMENT_H_
