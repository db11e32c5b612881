// Expansion of a typical search template with three search boxes.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "commands/macro_expansion.h"
#include "commands/macro_state.h"
#include "platform/html_document.h"
#include "platform/registry.h"
#include "settings/settings_store.h"

namespace zan {
namespace {

// The template reads no settings; a registry without hives suffices.
class NoRegistry : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenHive(RegistryHive) override {
    return nullptr;
  }
};

class Box : public SearchBoxAccess {
 public:
  explicit Box(std::string value) : value_(std::move(value)) {}
  std::string GetValue() override { return value_; }
  void AddToHistory(const std::string&) override {}
  void ClearHistory() override {}

 private:
  std::string value_;
};

class Page : public HtmlDocument {
 public:
  std::optional<std::string> GetUrl() override {
    return "https://news.example.org/world/2026/12/06/story.html?ref=front";
  }
  std::optional<std::string> GetDomain() override { return "news.example.org"; }
  int GetFrameCount() override { return 0; }
  HtmlDocument* GetFrame(int) override { return nullptr; }
  bool HighlightWord(const std::string&, const std::string&,
                     const std::string&) override {
    return true;
  }
  void ClearHighlights(const std::string&) override {}
  void ShowModalDialog(const std::string&, const std::string&) override {}
  void Focus() override {}
};

void BM_ExpandSearchTemplate(benchmark::State& state) {
  NoRegistry registry;
  SettingsStore settings(registry);
  StdRandomSource random;
  LastComboValues combo_values;
  LastPageUrl page_url;
  Page page;
  Box words("cheap flights to lisbon");
  Box category("travel");
  Box sort("date");
  MacroInputs inputs;
  inputs.combos = {{"q", &words}, {"cat", &category}, {"sort", &sort}};
  inputs.document = &page;
  inputs.settings = &settings;
  inputs.random = &random;
  inputs.last_combo_values = &combo_values;
  inputs.last_page_url = &page_url;
  const std::string url =
      "https://search.example.com/search?q=%q&cat=%cat&sort=%sort"
      "&from=%domain&src=toolbar";
  const std::string post;
  for (auto _ : state) {
    ExpandedTemplates out = ExpandTemplates(inputs, url, post, "");
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_ExpandSearchTemplate);

}  // namespace
}  // namespace zan

BENCHMARK_MAIN();
