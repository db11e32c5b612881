// The default definition and the home page of the embedded site describe
// the same toolbar.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "browser/search_box.h"
#include "tests/browser/toolbar_window_fixture.h"

namespace zan {
namespace {

std::string ReadSiteFile(const std::string& name) {
  std::ifstream in(test::SiteDir() + "/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The texts the page shows in bold, with "&rsaquo;" as " > ".
std::vector<std::string> BoldTexts(std::string html) {
  std::vector<std::string> out;
  size_t at = 0;
  while ((at = html.find("<b>", at)) != std::string::npos) {
    size_t end = html.find("</b>", at);
    if (end == std::string::npos) break;
    std::string text = html.substr(at + 3, end - at - 3);
    for (size_t p; (p = text.find(" &rsaquo; ")) != std::string::npos;) {
      text.replace(p, 10, " > ");
    }
    for (size_t p; (p = text.find('\n')) != std::string::npos;) text[p] = ' ';
    out.push_back(text);
    at = end;
  }
  return out;
}

bool MenuHasPath(const MenuEntryList& entries, const std::string& path) {
  const size_t sep = path.find(" > ");
  const std::string head = path.substr(0, sep);
  for (const auto& entry : entries) {
    if (entry->GetEntryKind() == MenuEntryKind::kSubMenu) {
      const auto& sub = static_cast<const SubMenu&>(*entry);
      if (sep != std::string::npos && sub.caption == head &&
          MenuHasPath(sub.entries, path.substr(sep + 3))) {
        return true;
      }
      if (MenuHasPath(sub.entries, path)) return true;
    } else if (entry->GetEntryKind() == MenuEntryKind::kItem &&
               sep == std::string::npos &&
               static_cast<const MenuItem&>(*entry).caption == path) {
      return true;
    }
  }
  return false;
}

class DefaultSiteTest : public test::ToolbarWindowFixture {};

TEST_F(DefaultSiteTest, EveryFeatureThePageNamesIsOnTheToolbar) {
  Load(ReadSiteFile("ZAN.tbd"));
  ToolbarModel* model = toolbar->GetModel();
  ASSERT_NE(model, nullptr);
  const std::vector<std::string> bold = BoldTexts(ReadSiteFile("index.html"));
  ASSERT_GE(bold.size(), 4u);
  for (const std::string& text : bold) {
    bool found = false;
    for (const auto& item : model->items) {
      if (item->caption == text) found = true;
      ItemKind kind = item->GetKind();
      if (kind == ItemKind::kButton || kind == ItemKind::kText ||
          kind == ItemKind::kIndicator) {
        const auto& button = static_cast<const ToolbarButton&>(*item);
        if (MenuHasPath(button.menu.entries, text)) found = true;
      }
    }
    EXPECT_TRUE(found) << "the page names \"" << text
                       << "\", the toolbar has nothing of that name";
  }
}

TEST_F(DefaultSiteTest, ChoicesAreRealAndEveryProviderRuns) {
  Load(ReadSiteFile("ZAN.tbd"));
  ToolbarModel* model = toolbar->GetModel();
  ASSERT_NE(model, nullptr);
  // The items whose command takes the search words, in order.
  std::vector<int> providers;
  for (const auto& item : model->items) {
    int c = item->command_index;
    if (c >= 0 &&
        model->commands.commands[static_cast<size_t>(c)]->GetCommandKind() ==
            CommandKind::kGoToUrl &&
        model->commands.commands[static_cast<size_t>(c)]->UsesMacros()) {
      providers.push_back(c);
    }
  }
  int lists = 0;
  for (size_t i = 0; i < model->items.size(); ++i) {
    if (model->items[i]->GetKind() != ItemKind::kCombo) continue;
    const auto& combo = static_cast<const ToolbarCombo&>(*model->items[i]);
    // An edit box shows no list: choices on it would be dead.
    if (combo.type == "edit") {
      EXPECT_TRUE(combo.values.empty()) << combo.name;
    }
    if (combo.values.empty()) continue;
    ++lists;
    // Each entry of a value list picks a search-capable item.
    EXPECT_LE(combo.values.size(), providers.size()) << combo.name;
    for (size_t k = 0; k < combo.values.size(); ++k) {
      runs.clear();
      toolbar->OnSearchBoxSelected(static_cast<int>(i), static_cast<int>(k));
      toolbar->RunSearchCommand();
      ASSERT_EQ(runs.size(), 1u) << combo.name << " entry " << k;
      EXPECT_EQ(runs[0].command, providers[k]);
    }
  }
  EXPECT_EQ(lists, 1);
}

}  // namespace
}  // namespace zan
