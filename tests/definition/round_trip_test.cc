// Random models: whatever the loaders read from a tree, the dump writes in a
// form that loads back to the same dump.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "definition/load_definition.h"
#include "tests/definition/model_test_util.h"

namespace zan {
namespace {

using testing_util::RecordingUi;

class TreeGenerator {
 public:
  explicit TreeGenerator(unsigned seed) : random_(seed) {}

  std::unique_ptr<DefinitionNode> Toolbar() {
    auto root = std::make_unique<DefinitionNode>("RYXToolBar");
    const int items = Below(12);
    for (int i = 0; i < items; ++i) root->children.push_back(Item());
    // The grammar wants at least one command in the one COMMANDS block
    // that the dump writes.
    const int sections = 1 + Below(3);
    for (int s = 0; s < sections; ++s) {
      auto commands = std::make_unique<DefinitionNode>("COMMANDS");
      const int count = 1 + Below(4);
      for (int c = 0; c < count; ++c) commands->children.push_back(Command());
      root->children.push_back(std::move(commands));
    }
    return root;
  }

 private:
  int Below(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random_);
  }

  // Raw literal text as the tree would hold it: any byte but NUL, escapes
  // unresolved, often empty.
  std::string Text() {
    static const std::string kAlphabet =
        "ab Z09%{}=\"\\\\\\nn\r\t;:/?&\x7F\x80\xE9\xFF";
    if (Below(4) == 0) return "";
    std::string text;
    const int length = 1 + Below(12);
    for (int i = 0; i < length; ++i) text += kAlphabet[Below(kAlphabet.size())];
    return text;
  }
  // A non-empty value that stays non-empty after escapes are resolved.
  std::string Word() { return "w" + Text(); }
  std::string Number() {
    static const char* kNumbers[] = {"0",  "7",   "-2",          "12px",
                                     "x",  " 42", "99999999999", "-2147483648",
                                     "+3", "",    "2147483648",  "\\5"};
    return kNumbers[Below(std::size(kNumbers))];
  }

  void Add(DefinitionNode& node, const std::string& name, std::string value) {
    node.property_names.push_back(name);
    node.property_values.push_back(std::move(value));
  }
  void AddSome(DefinitionNode& node, std::initializer_list<const char*> text,
               std::initializer_list<const char*> numbers) {
    for (const char* name : text) {
      if (Below(2)) Add(node, name, Text());
    }
    for (const char* name : numbers) {
      if (Below(2)) Add(node, name, Number());
    }
  }

  std::unique_ptr<DefinitionNode> Item() {
    static const char* kKinds[] = {"BUTTON",  "TEXT",      "COMBO",
                                   "WEBPAGE", "SEPARATOR", "INDICATOR"};
    auto node = std::make_unique<DefinitionNode>(kKinds[Below(6)]);
    const std::string& kind = node->name;
    if (kind == "BUTTON") {
      AddSome(*node, {"caption", "command", "hint"}, {"image"});
      if (Below(2)) node->children.push_back(Menu());
    } else if (kind == "TEXT" || kind == "SEPARATOR") {
      AddSome(*node, {"caption", "command", "hint"}, {"image"});
    } else if (kind == "COMBO") {
      AddSome(*node, {"name", "type", "width", "caption", "command", "hint"},
              {"maxchars", "maxhistlines", "password"});
      const int values = Below(3);
      for (int i = 0; i < values; ++i) {
        auto value = std::make_unique<DefinitionNode>("COMBOVALUE");
        AddSome(*value, {"caption", "value"}, {});
        Add(*value, Below(2) ? "caption" : "value", Word());
        node->children.push_back(std::move(value));
      }
    } else if (kind == "WEBPAGE") {
      AddSome(*node, {"name", "url"}, {"border", "width"});
    } else {
      // The grammar gives an INDICATOR no "hint".
      AddSome(*node,
              {"caption", "command", "type", "param1", "param2", "param3"},
              {"image", "addimg1", "addimg2", "addimg3", "addimg4", "addimg5"});
    }
    return node;
  }

  std::unique_ptr<DefinitionNode> Menu() {
    auto menu = std::make_unique<DefinitionNode>("MENU");
    AddSome(*menu, {"type", "image", "hotimage"}, {});
    const int entries = Below(4);
    for (int i = 0; i < entries; ++i) menu->children.push_back(Entry(0));
    return menu;
  }

  std::unique_ptr<DefinitionNode> Entry(int depth) {
    const int kind = depth < 3 ? Below(3) : Below(2);
    if (kind == 0) {
      auto item = std::make_unique<DefinitionNode>("MENUITEM");
      AddSome(*item, {"caption", "command", "hint"}, {"image"});
      return item;
    }
    if (kind == 1) return std::make_unique<DefinitionNode>("MENUSEPARATOR");
    auto sub = std::make_unique<DefinitionNode>("SUBMENU");
    AddSome(*sub, {"caption"}, {"image"});
    // A submenu holds at least one entry.
    const int entries = 1 + Below(3);
    for (int i = 0; i < entries; ++i) sub->children.push_back(Entry(depth + 1));
    return sub;
  }

  std::unique_ptr<DefinitionNode> Command() {
    static const char* kKinds[] = {"GOTOURL", "SHELLEXECUTE", "SERVICECOMMAND"};
    auto node = std::make_unique<DefinitionNode>(kKinds[Below(3)]);
    // One value that survives, so that the block is not written empty.
    Add(*node, "name", Word());
    if (node->name == "GOTOURL") {
      AddSome(*node, {"url", "post", "target", "options", "newwindow"}, {});
    } else if (node->name == "SHELLEXECUTE") {
      AddSome(*node, {"shellcmd", "failmsg"}, {});
    } else {
      AddSome(*node, {"type", "caption"}, {});
    }
    return node;
  }

  std::mt19937 random_;
};

TEST(RandomRoundTripTest, DumpsLoadBackUnchanged) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    TreeGenerator generator(seed);
    RecordingUi ui;
    ToolbarModel model;
    model.Load(*generator.Toolbar(), ui);
    ASSERT_TRUE(ui.boxes.empty()) << "seed " << seed;
    const std::string dump = DumpToString(model);

    ToolbarModelHolder holder;
    std::ostringstream diagnostics;
    holder.set_diagnostics(&diagnostics);
    DefinitionParseReport report;
    ASSERT_TRUE(holder.LoadDefinitionFromBytes(dump, ui, &report))
        << "seed " << seed << " at " << report.line << ":" << report.column
        << "\n"
        << dump;
    EXPECT_TRUE(ui.boxes.empty()) << "seed " << seed;
    EXPECT_EQ(DumpToString(*holder.model()), dump) << "seed " << seed;
  }
}

}  // namespace
}  // namespace zan
