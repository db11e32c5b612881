#include "definition/tree_builder.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "definition/definition_parse.h"
#include "definition/definition_scanner.h"

namespace zan {
namespace {

// A node as NAME{name=value,...}[child child].
std::string Describe(const DefinitionNode& node) {
  std::string text(node.name());
  if (!node.properties.empty()) {
    text += "{";
    for (const DefinitionProperty& property : node.properties) {
      if (&property != &node.properties.front()) text += ",";
      text += property.name();
      text += "=";
      text += property.value();
    }
    text += "}";
  }
  if (!node.children.empty()) {
    text += "[";
    for (const DefinitionNode& child : node.children) {
      if (&child != &node.children.front()) text += " ";
      text += Describe(child);
    }
    text += "]";
  }
  return text;
}

std::string ParsedTree(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream diagnostics;
  const ParseOutcome outcome = ParseDefinition(in, diagnostics);
  if (outcome.result != 0) return "failed: " + diagnostics.str();
  return Describe(*outcome.root);
}

TEST(TreeBuilderTest, TreeShapes) {
  const struct {
    const char* name;
    const char* text;
    const char* tree;
  } kCases[] = {
      {"empty toolbar", "RYX_Toolbar {}", "RYXToolBar"},
      {"toolbar properties on the root",
       "RYX_Toolbar { image = \"a.bmp\" name=\"n\" TEXT{} }",
       "RYXToolBar{image=a.bmp,name=n}[TEXT]"},
      {"values keep escapes and lose only the quotes",
       "RYX_Toolbar { TEXT { caption = \"a\\\"b\" hint=\"\" "
       "command=\"x\ny\" } }",
       "RYXToolBar[TEXT{caption=a\\\"b,hint=,command=x\ny}]"},
      {"separator without block then item",
       "RYX_Toolbar { SEPARATOR TEXT { caption = \"t\" } }",
       "RYXToolBar[SEPARATOR TEXT{caption=t}]"},
      {"separator with block carries its property",
       "RYX_Toolbar { SEPARATOR { caption = \"s\" } }",
       "RYXToolBar[SEPARATOR{caption=s}]"},
      {"separators mixed",
       "RYX_Toolbar { SEPARATOR SEPARATOR{hint=\"h\"} BUTTON{caption=\"b\"} "
       "SEPARATOR }",
       "RYXToolBar[SEPARATOR SEPARATOR{hint=h} BUTTON{caption=b} SEPARATOR]"},
      {"nested chain",
       "RYX_Toolbar { BUTTON { MENU { SUBMENU { MENUITEM { } } } } }",
       "RYXToolBar[BUTTON[MENU[SUBMENU[MENUITEM]]]]"},
      {"properties and children kept apart",
       "RYX_Toolbar { BUTTON { caption=\"b\" MENU { MENUITEM{caption=\"1\"} "
       "MENUSEPARATOR SUBMENU { caption=\"s\" MENUITEM{caption=\"2\"} } "
       "MENUITEM{caption=\"3\"} } } }",
       "RYXToolBar[BUTTON{caption=b}[MENU[MENUITEM{caption=1} MENUSEPARATOR "
       "SUBMENU{caption=s}[MENUITEM{caption=2}] MENUITEM{caption=3}]]]"},
      {"image block is a child named image",
       "RYX_Toolbar { BUTTON { caption=\"b\" image { loctype=\"t\" "
       "location=\"l\" } image=\"3\" } }",
       "RYXToolBar[BUTTON{caption=b,image=3}[image{loctype=t,location=l}]]"},
      {"image blocks in menu entries",
       "RYX_Toolbar { BUTTON { MENU { SUBMENU { image { location=\"l\" "
       "loctype=\"t\" } MENUITEM { image { loctype=\"a\" location=\"b\" } "
       "caption=\"c\" } } } } }",
       "RYXToolBar[BUTTON[MENU[SUBMENU[image{location=l,loctype=t} "
       "MENUITEM{caption=c}[image{loctype=a,location=b}]]]]]"},
      {"combo values",
       "RYX_Toolbar { COMBO { name=\"q\" COMBOVALUE { caption=\"a\" "
       "value=\"1\" } COMBOVALUE { value=\"2\" } } }",
       "RYXToolBar[COMBO{name=q}[COMBOVALUE{caption=a,value=1} "
       "COMBOVALUE{value=2}]]"},
      {"commands",
       "RYX_Toolbar { INDICATOR { addimg2=\"x\" param3=\"y\" } COMMANDS { "
       "GOTOURL { name=\"g\" url=\"u\" } SHELLEXECUTE { shellcmd=\"s\" } "
       "SERVICECOMMAND { type=\"t\" } } WEBPAGE { url=\"w\" } }",
       "RYXToolBar[INDICATOR{addimg2=x,param3=y} "
       "COMMANDS[GOTOURL{name=g,url=u} "
       "SHELLEXECUTE{shellcmd=s} SERVICECOMMAND{type=t}] WEBPAGE{url=w}]"},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(ParsedTree(test.text), test.tree);
  }
}

// The tree refers to the text it was parsed from instead of copying it, and
// releases everything at once whatever its size.
TEST(TreeBuilderTest, ValuesAreViewsIntoTheInput) {
  const std::string text =
      "RYX_Toolbar { image=\"i.bmp\" TEXT { caption=\"a\\\"b\" hint=\"\" } "
      "COMMANDS { GOTOURL { name=\"g\" url=\"u\" } } }";
  std::ostringstream diagnostics;
  const ParseOutcome outcome =
      ParseDefinition(std::string_view(text), diagnostics);
  ASSERT_EQ(outcome.result, 0);
  std::vector<const DefinitionNode*> pending = {outcome.root};
  int values = 0;
  while (!pending.empty()) {
    const DefinitionNode* node = pending.back();
    pending.pop_back();
    for (const DefinitionProperty& property : node->properties) {
      EXPECT_GE(property.value().data(), text.data());
      EXPECT_LE(property.value().data() + property.value().size(),
                text.data() + text.size());
      ++values;
    }
    for (const DefinitionNode& child : node->children)
      pending.push_back(&child);
  }
  EXPECT_EQ(values, 5);
}

// Feeds every token of `text` to a builder, without the recogniser.
void Feed(TreeBuilder& builder, const std::string& text) {
  std::istringstream in(text);
  DefinitionScanner scanner(in, &builder);
  while (scanner.Next().kind != TokenKind::kEnd) {
  }
}

// The builder takes any token sequence without harm, however malformed.
TEST(TreeBuilderTest, MalformedSequencesAreHarmless) {
  for (const char* text :
       {"}}}}", "{ } } BUTTON } } {", "SEPARATOR { { } } }", "image { } }",
        "image image = \"a\" \"b\" \"c\"", "RYX_Toolbar RYX_Toolbar { } } }",
        "BUTTON { MENU { } } } } SEPARATOR", "\"x\" \"y\" caption"}) {
    SCOPED_TRACE(text);
    TreeBuilder builder;
    Feed(builder, text);
    std::unique_ptr<DefinitionTree> tree = builder.TakeTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->root().name(), "RYXToolBar");
    // The builder starts again from an empty root.
    Feed(builder, "RYX_Toolbar { TEXT { } }");
    EXPECT_EQ(Describe(builder.TakeTree()->root()), "RYXToolBar[TEXT]");
  }
}

TEST(TreeBuilderTest, DeepTreesAreBuiltAndDestroyedWithoutRecursion) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  pthread_t thread;
  auto body = [](void*) -> void* {
    std::string text = "RYX_Toolbar { BUTTON { MENU {";
    for (int i = 0; i < 100000; ++i) text += " SUBMENU { hint=\"h\"";
    TreeBuilder builder;
    Feed(builder, text);
    std::unique_ptr<DefinitionTree> tree = builder.TakeTree();
    int depth = 0;
    for (const DefinitionNode* node = &tree->root(); !node->children.empty();
         node = &node->children.front()) {
      ++depth;
    }
    EXPECT_EQ(depth, 100002);
    tree.reset();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, nullptr), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

}  // namespace
}  // namespace zan
