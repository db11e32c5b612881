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

  DefinitionNode* Toolbar() {
    DefinitionNode* root = Make("RYXToolBar");
    const int items = Below(12);
    for (int i = 0; i < items; ++i) root->children.Append(Item());
    // The grammar wants at least one command in the one COMMANDS block
    // that the dump writes.
    const int sections = 1 + Below(3);
    for (int s = 0; s < sections; ++s) {
      auto commands = Make("COMMANDS");
      const int count = 1 + Below(4);
      for (int c = 0; c < count; ++c) commands->children.Append(Command());
      root->children.Append(commands);
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

  DefinitionNode* Make(const char* name) { return &tree_.MakeNode(name); }
  void Add(DefinitionNode& node, const char* name, const std::string& value) {
    tree_.AddProperty(node, name, tree_.Copy(value));
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

  DefinitionNode* Item() {
    static const char* kKinds[] = {"BUTTON",  "TEXT",      "COMBO",
                                   "WEBPAGE", "SEPARATOR", "INDICATOR"};
    auto node = Make(kKinds[Below(6)]);
    const std::string_view kind = node->name();
    if (kind == "BUTTON") {
      AddSome(*node, {"caption", "command", "hint"}, {"image"});
      if (Below(2)) node->children.Append(Menu());
    } else if (kind == "TEXT" || kind == "SEPARATOR") {
      AddSome(*node, {"caption", "command", "hint"}, {"image"});
    } else if (kind == "COMBO") {
      AddSome(*node, {"name", "type", "width", "caption", "command", "hint"},
              {"maxchars", "maxhistlines", "password"});
      const int values = Below(3);
      for (int i = 0; i < values; ++i) {
        auto value = Make("COMBOVALUE");
        AddSome(*value, {"caption", "value"}, {});
        Add(*value, Below(2) ? "caption" : "value", Word());
        node->children.Append(value);
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

  DefinitionNode* Menu() {
    auto menu = Make("MENU");
    AddSome(*menu, {"type", "image", "hotimage"}, {});
    const int entries = Below(4);
    for (int i = 0; i < entries; ++i) menu->children.Append(Entry(0));
    return menu;
  }

  DefinitionNode* Entry(int depth) {
    const int kind = depth < 3 ? Below(3) : Below(2);
    if (kind == 0) {
      auto item = Make("MENUITEM");
      AddSome(*item, {"caption", "command", "hint"}, {"image"});
      return item;
    }
    if (kind == 1) return Make("MENUSEPARATOR");
    auto sub = Make("SUBMENU");
    AddSome(*sub, {"caption"}, {"image"});
    // A submenu holds at least one entry.
    const int entries = 1 + Below(3);
    for (int i = 0; i < entries; ++i) sub->children.Append(Entry(depth + 1));
    return sub;
  }

  DefinitionNode* Command() {
    static const char* kKinds[] = {"GOTOURL", "SHELLEXECUTE", "SERVICECOMMAND"};
    auto node = Make(kKinds[Below(3)]);
    // One value that survives, so that the block is not written empty.
    Add(*node, "name", Word());
    if (node->name() == "GOTOURL") {
      AddSome(*node, {"url", "post", "target", "options", "newwindow"}, {});
    } else if (node->name() == "SHELLEXECUTE") {
      AddSome(*node, {"shellcmd", "failmsg"}, {});
    } else {
      AddSome(*node, {"type", "caption"}, {});
    }
    return node;
  }

  std::mt19937 random_;
  DefinitionTree tree_;
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
