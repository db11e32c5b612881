#include <gtest/gtest.h>
#include <pthread.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "definition/definition_parse.h"
#include "definition/definition_parser.h"
#include "definition/definition_scanner.h"

namespace zan {
namespace {

struct Parsed {
  int result;
  std::string diagnostics;
};

Parsed Parse(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream diagnostics;
  const ParseOutcome outcome = ParseDefinition(in, diagnostics);
  return {outcome.result, diagnostics.str()};
}

// A toolbar holding `items`.
std::string Toolbar(const std::string& items) {
  return "RYX_Toolbar {\n" + items + "\n}\n";
}

struct Case {
  const char* name;
  std::string text;
};

TEST(DefinitionParserTest, AcceptsEveryAlternative) {
  const Case kCases[] = {
      {"empty toolbar", "RYX_Toolbar{}"},
      {"blanks around", "\r\n\t RYX_Toolbar {\n}\r\n \t"},
      {"toolbar properties",
       Toolbar("CLSID=\"c\" UUID=\"u\" name=\"n\" image=\"i\" hotimage=\"h\" "
               "company=\"c\" name=\"again\"")},
      {"properties then items",
       Toolbar("name=\"n\" TEXT{} BUTTON{} SEPARATOR")},
      {"combo with properties",
       Toolbar("COMBO{maxchars=\"1\" maxhistlines=\"2\" name=\"n\" "
               "width=\"3\" caption=\"c\" type=\"t\" password=\"p\" "
               "command=\"c\" hint=\"h\"}")},
      {"combo with values",
       Toolbar("COMBO{name=\"q\" COMBOVALUE{caption=\"a\"} "
               "COMBOVALUE{value=\"b\" caption=\"c\" value=\"d\"}}")},
      {"text", Toolbar("TEXT{}")},
      {"text with properties",
       Toolbar("TEXT{caption=\"c\" command=\"c\" hint=\"h\" image=\"i\"}")},
      {"button empty", Toolbar("BUTTON{}")},
      {"button properties",
       Toolbar("BUTTON{command=\"c\" caption=\"c\" image=\"i\" hint=\"h\"}")},
      {"button image block",
       Toolbar("BUTTON{image{loctype=\"a\" location=\"b\"} caption=\"c\"}")},
      {"image block other order",
       Toolbar("BUTTON{image{location=\"b\" loctype=\"a\"}}")},
      {"button menu properties only",
       Toolbar("BUTTON{caption=\"c\" MENU{caption=\"c\" command=\"c\" "
               "type=\"t\" hint=\"h\" image=\"i\" hotimage=\"h\"}}")},
      {"button menu entries only",
       Toolbar("BUTTON{MENU{MENUITEM{} MENUSEPARATOR MENUITEM{}}}")},
      {"menu of one separator", Toolbar("BUTTON{MENU{MENUSEPARATOR}}")},
      {"menu properties then entries",
       Toolbar("BUTTON{MENU{type=\"t\" MENUITEM{caption=\"c\"}}}")},
      {"submenu",
       Toolbar("BUTTON{MENU{SUBMENU{caption=\"s\" image{loctype=\"a\" "
               "location=\"b\"} MENUITEM{hint=\"h\" command=\"c\" "
               "image=\"i\" caption=\"c\" type=\"t\"} MENUSEPARATOR "
               "SUBMENU{MENUSEPARATOR}}}}")},
      {"menu item image block",
       Toolbar("BUTTON{MENU{MENUITEM{image{location=\"b\" loctype=\"a\"} "
               "image=\"i\"}}}")},
      {"webpage",
       Toolbar("WEBPAGE{url=\"u\" name=\"n\" border=\"b\" width=\"w\"}")},
      {"commands",
       Toolbar("COMMANDS{GOTOURL{name=\"n\" url=\"u\" post=\"p\" "
               "target=\"t\" options=\"o\" newwindow=\"n\"} "
               "SERVICECOMMAND{name=\"n\" type=\"t\" caption=\"c\"} "
               "SHELLEXECUTE{name=\"n\" shellcmd=\"s\" failmsg=\"f\"}} "
               "COMMANDS{GOTOURL{url=\"u\"}}")},
      {"indicator empty", Toolbar("INDICATOR{}")},
      {"indicator properties",
       Toolbar("INDICATOR{command=\"c\" type=\"t\" caption=\"c\" image=\"i\" "
               "addimg1=\"1\" addimg2=\"2\" addimg3=\"3\" addimg4=\"4\" "
               "addimg5=\"5\" param1=\"1\" param2=\"2\" param3=\"3\"}")},
      {"separator without block", Toolbar("SEPARATOR")},
      {"separator before item", Toolbar("SEPARATOR TEXT{}")},
      {"separator with block",
       Toolbar("SEPARATOR{caption=\"c\" command=\"c\" hint=\"h\" "
               "image=\"i\"}")},
      {"separators in a row", Toolbar("SEPARATOR SEPARATOR{} SEPARATOR")},
      {"strings with escapes and lines",
       Toolbar("TEXT{caption=\"a\\\"b\\\\\" hint=\"two\nlines\"}")},
  };
  for (const Case& test : kCases) {
    SCOPED_TRACE(test.name);
    const Parsed parsed = Parse(test.text);
    EXPECT_EQ(parsed.result, 0) << test.text;
    EXPECT_EQ(parsed.diagnostics, "");
  }
}

TEST(DefinitionParserTest, RejectsWhatTheGrammarForbids) {
  const Case kCases[] = {
      {"empty file", ""},
      {"blanks only", " \n"},
      {"not the toolbar first", "BUTTON{}"},
      {"toolbar without block", "RYX_Toolbar"},
      {"unclosed toolbar", "RYX_Toolbar{"},
      {"token after the end", "RYX_Toolbar{}}"},
      {"second toolbar", "RYX_Toolbar{}RYX_Toolbar{}"},
      {"stray after the end", "RYX_Toolbar{} x"},
      {"comment", "# note\nRYX_Toolbar{}"},
      {"toolbar property after item", Toolbar("TEXT{} name=\"n\"")},
      {"toolbar property after separator", Toolbar("SEPARATOR name=\"n\"")},
      {"unknown toolbar property", Toolbar("caption=\"c\"")},
      {"property without value", Toolbar("name=")},
      {"property without equals", Toolbar("name \"n\"")},
      {"value without name", Toolbar("\"n\"")},
      {"menu empty", Toolbar("BUTTON{MENU{}}")},
      {"submenu without entries", Toolbar("BUTTON{MENU{SUBMENU{}}}")},
      {"submenu with properties only",
       Toolbar("BUTTON{MENU{SUBMENU{caption=\"c\"}}}")},
      {"submenu property after entry",
       Toolbar("BUTTON{MENU{SUBMENU{MENUITEM{} caption=\"c\"}}}")},
      {"commands empty", Toolbar("COMMANDS{}")},
      {"commands holding an item", Toolbar("COMMANDS{TEXT{}}")},
      {"combo without properties", Toolbar("COMBO{}")},
      {"combo value first", Toolbar("COMBO{COMBOVALUE{value=\"v\"}}")},
      {"combo property after value",
       Toolbar("COMBO{name=\"n\" COMBOVALUE{value=\"v\"} width=\"w\"}")},
      {"combo value empty", Toolbar("COMBO{name=\"n\" COMBOVALUE{}}")},
      {"combo value property",
       Toolbar("COMBO{name=\"n\" COMBOVALUE{name=\"v\"}}")},
      {"goto empty", Toolbar("COMMANDS{GOTOURL{}}")},
      {"service empty", Toolbar("COMMANDS{SERVICECOMMAND{}}")},
      {"shell empty", Toolbar("COMMANDS{SHELLEXECUTE{}}")},
      {"goto foreign property", Toolbar("COMMANDS{GOTOURL{shellcmd=\"s\"}}")},
      {"service foreign property",
       Toolbar("COMMANDS{SERVICECOMMAND{url=\"u\"}}")},
      {"shell foreign property", Toolbar("COMMANDS{SHELLEXECUTE{type=\"t\"}}")},
      {"webpage empty", Toolbar("WEBPAGE{}")},
      {"webpage foreign property", Toolbar("WEBPAGE{caption=\"c\"}")},
      {"anything after menu",
       Toolbar("BUTTON{MENU{MENUSEPARATOR} hint=\"h\"}")},
      {"second menu",
       Toolbar("BUTTON{MENU{MENUSEPARATOR} MENU{MENUSEPARATOR}}")},
      {"menu in indicator", Toolbar("INDICATOR{MENU{MENUSEPARATOR}}")},
      {"menu in text", Toolbar("TEXT{MENU{MENUSEPARATOR}}")},
      {"menu at toolbar level", Toolbar("MENU{MENUSEPARATOR}")},
      {"menu property after entry",
       Toolbar("BUTTON{MENU{MENUSEPARATOR caption=\"c\"}}")},
      {"menuseparator at toolbar level", Toolbar("MENUSEPARATOR")},
      {"menuseparator in button", Toolbar("BUTTON{MENUSEPARATOR}")},
      {"menuseparator with block", Toolbar("BUTTON{MENU{MENUSEPARATOR{}}}")},
      {"separator in menu", Toolbar("BUTTON{MENU{SEPARATOR}}")},
      {"menuitem without block", Toolbar("BUTTON{MENU{MENUITEM}}")},
      {"menuitem nested", Toolbar("BUTTON{MENU{MENUITEM{MENUITEM{}}}}")},
      {"button without block", Toolbar("BUTTON")},
      {"text foreign property", Toolbar("TEXT{type=\"t\"}")},
      {"image block in text",
       Toolbar("TEXT{image{loctype=\"a\" location=\"b\"}}")},
      {"image block in menu",
       Toolbar("BUTTON{MENU{image{loctype=\"a\" location=\"b\"}}}")},
      {"image block in indicator",
       Toolbar("INDICATOR{image{loctype=\"a\" location=\"b\"}}")},
      {"image block half", Toolbar("BUTTON{image{loctype=\"a\"}}")},
      {"image block twice the same",
       Toolbar("BUTTON{image{loctype=\"a\" loctype=\"b\"}}")},
      {"image block three",
       Toolbar("BUTTON{image{loctype=\"a\" location=\"b\" loctype=\"c\"}}")},
      {"image block foreign", Toolbar("BUTTON{image{caption=\"a\"}}")},
      {"loctype outside image block", Toolbar("BUTTON{loctype=\"a\"}")},
      {"image block at toolbar level",
       Toolbar("image{loctype=\"a\" location=\"b\"}")},
      {"indicator addimg family member missing",
       Toolbar("INDICATOR{addimg6=\"a\"}")},
      {"wrong case keyword", Toolbar("Button{}")},
      {"wrong case property", Toolbar("TEXT{Caption=\"c\"}")},
      {"glued word", Toolbar("BUTTONX{}")},
      {"vertical tab", Toolbar("TEXT{}\v")},
      {"unterminated string", Toolbar("TEXT{caption=\"c}")},
      {"backslash line feed in string", Toolbar("TEXT{caption=\"c\\\n\"}")},
      {"nul byte", Toolbar(std::string("TEXT{}\0", 7))},
      {"separator block unclosed", Toolbar("SEPARATOR{")},
      {"high byte", Toolbar("\xe4")},
  };
  for (const Case& test : kCases) {
    SCOPED_TRACE(test.name);
    const Parsed parsed = Parse(test.text);
    EXPECT_EQ(parsed.result, 1) << test.text;
    EXPECT_EQ(parsed.diagnostics, "Syntax error: parse error\n");
  }
}

TEST(DefinitionParserTest, OutcomeNamesTheStoppingTokenAndTheLastTwoTokens) {
  const struct {
    std::string text;
    int line;
    int column;
    const char* previous;
    const char* last;
  } kCases[] = {
      // The stray character is not recorded, so the record ends before it.
      {"RYX_Toolbar {\n  TEXT { caption = \"Go\" x }", 2, 25, "caption",
       "\"Go\""},
      {"RYX_Toolbar {\n  BUTTON { MENU { } } }", 2, 19, "{", "}"},
      {"RYX_Toolbar { name = \"n\" TEXT { } hint", 1, 35, "}", "hint"},
      // End of input stops at the position just past the last byte.
      {"RYX_Toolbar {\n", 2, 1, "RYX_Toolbar", "{"},
      {"", 1, 1, "", ""},
      {"x", 1, 1, "", ""},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.text);
    std::istringstream in(test.text);
    std::ostringstream diagnostics;
    const ParseOutcome outcome = ParseDefinition(in, diagnostics);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.message, "parse error");
    EXPECT_EQ(outcome.line, test.line);
    EXPECT_EQ(outcome.column, test.column);
    EXPECT_EQ(outcome.previous_token, test.previous);
    EXPECT_EQ(outcome.last_token, test.last);
    EXPECT_EQ(outcome.root, nullptr);
  }
}

// The record must survive the scanner reusing its buffer between the
// recorded tokens and the one that fails.
TEST(DefinitionParserTest, LastTokensSurviveBufferReuse) {
  const std::string value(10000, 'v');
  for (std::size_t pad = 50000; pad < 70000; pad += 1999) {
    SCOPED_TRACE(pad);
    const std::string text = "RYX_Toolbar {" + std::string(pad, ' ') +
                             "TEXT { caption = \"" + value + "\"" +
                             std::string(100000, '\n') + " ; }";
    std::istringstream in(text);
    std::ostringstream diagnostics;
    const ParseOutcome outcome = ParseDefinition(in, diagnostics);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.previous_token, "caption");
    EXPECT_EQ(outcome.last_token, "\"" + value + "\"");
    EXPECT_EQ(outcome.line, 100001);
    EXPECT_EQ(outcome.column, 2);
  }
}

// Every parse keeps its state to itself, so parses may run side by side.
TEST(DefinitionParserTest, ParsesOnSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> results(8, -1);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &results] {
      const std::string text =
          t % 2 == 0 ? Toolbar("TEXT{caption=\"" + std::to_string(t) + "\"}")
                     : Toolbar("TEXT{caption=}");
      int ok = 0;
      for (int i = 0; i < 200; ++i) {
        std::istringstream in(text);
        std::ostringstream diagnostics;
        const ParseOutcome outcome = ParseDefinition(in, diagnostics);
        ok += outcome.result == (t % 2 == 0 ? 0 : 1) &&
              (t % 2 != 0 ||
               outcome.root->children.front().properties.front().value() ==
                   std::to_string(t));
      }
      results[t] = ok;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(results, std::vector<int>(8, 200));
}

TEST(DefinitionParserTest, ScannerFaultsFailTheParse) {
  const std::string big(DefinitionScanner::kMaxTokenBytes, 'x');
  std::istringstream in(Toolbar("TEXT { caption = \"" + big + "\" }"));
  std::ostringstream diagnostics;
  const ParseOutcome outcome = ParseDefinition(in, diagnostics);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(diagnostics.str(),
            "input buffer overflow, can't enlarge buffer because scanner uses "
            "REJECT\n");
  EXPECT_EQ(outcome.message,
            "input buffer overflow, can't enlarge buffer because scanner uses "
            "REJECT");
  EXPECT_EQ(outcome.line, 2);
  EXPECT_EQ(outcome.column, 18);
  EXPECT_EQ(outcome.last_token, "caption");
  EXPECT_EQ(outcome.root, nullptr);

  std::istringstream broken("RYX_Toolbar {}");
  broken.setstate(std::ios::badbit);
  std::ostringstream diagnostics2;
  const ParseOutcome failed = ParseDefinition(broken, diagnostics2);
  EXPECT_EQ(failed.result, 1);
  EXPECT_EQ(diagnostics2.str(), "input in flex scanner failed\n");
}

// The parser's own stack, not the C++ stack, holds the nesting. Runs `body`
// on a thread with a small stack, so that any recursion over the nesting
// would crash the test.
void OnSmallStack(void (*body)()) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* arg) -> void* {
                  reinterpret_cast<void (*)()>(arg)();
                  return nullptr;
                },
                reinterpret_cast<void*>(body)),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

std::string NestedSubmenus(int depth, bool closed) {
  std::string text = "RYX_Toolbar{BUTTON{MENU{";
  text.reserve(depth * 24 + 64);
  for (int i = 0; i < depth; ++i) text += "SUBMENU{caption=\"c\" ";
  text += "MENUITEM{}";
  if (closed) text.append(depth, '}');
  return text + "}}}";
}

TEST(DefinitionParserTest, DeepNestingOverflowsTheParserStackNotTheProcess) {
  OnSmallStack([] {
    std::istringstream in(NestedSubmenus(100000, true));
    std::ostringstream diagnostics;
    const ParseOutcome outcome = ParseDefinition(in, diagnostics);
    EXPECT_EQ(outcome.result, 2);
    EXPECT_EQ(outcome.message, "parser stack overflow");
    EXPECT_EQ(diagnostics.str(), "Syntax error: parser stack overflow\n");
    EXPECT_EQ(outcome.root, nullptr);
    EXPECT_EQ(outcome.last_token, "caption");
  });
}

TEST(DefinitionParserTest, NestingWithinTheStackLimitIsAccepted) {
  OnSmallStack([] {
    std::istringstream in(NestedSubmenus(3000, true));
    std::ostringstream diagnostics;
    ParseOutcome outcome = ParseDefinition(in, diagnostics);
    EXPECT_EQ(outcome.result, 0) << diagnostics.str();
    // Unclosed, the same file fails as a syntax error at the end.
    std::istringstream open(NestedSubmenus(3000, false));
    EXPECT_EQ(ParseDefinition(open, diagnostics).result, 1);
  });
}

}  // namespace
}  // namespace zan
