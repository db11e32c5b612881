#include <gtest/gtest.h>

#include <string>

#include "definition/definition_loader.h"

namespace zan {
namespace {

TEST(ResolveEscapesTest, ResolvesLeftToRight) {
  struct Row {
    const char* name;
    std::string raw;
    std::string resolved;
  };
  const Row rows[] = {
      {"empty", "", ""},
      {"plain", "Go", "Go"},
      {"backslash pair", R"(a\\b)", R"(a\b)"},
      {"line feed", R"(one\ntwo)", "one\ntwo"},
      {"quote", R"(a\"b)", "a\"b"},
      {"other byte keeps the byte", R"(\t\x)", "tx"},
      {"trailing backslash stays", R"(end\)", R"(end\)"},
      {"lone backslash", R"(\)", R"(\)"},
      {"pair then n is not a line feed", R"(\\n)", R"(\n)"},
      {"three backslashes and n", R"(\\\n)", "\\\n"},
      {"high bytes untouched", "\xE4\\\xF6", "\xE4\xF6"},
      {"raw line break untouched", "a\r\nb", "a\r\nb"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ResolveEscapes(row.raw), row.resolved) << row.name;
  }
}

TEST(ReadIntegerTest, ReadsLikeAtoiAndSaturates) {
  struct Row {
    const char* text;
    int32_t value;
  };
  const Row rows[] = {
      {"", 0},
      {"7", 7},
      {"-2", -2},
      {"+15", 15},
      {"12px", 12},
      {"wide", 0},
      {"  \t\r\n\v\f42", 42},
      {"- 3", 0},
      {"--3", 0},
      {"3 4", 3},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 2147483647},
      {"-2147483649", -2147483647 - 1},
      {"99999999999999999999999999999999", 2147483647},
      {"-99999999999999999999999999999999", -2147483647 - 1},
      {"\\7", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReadInteger(row.text), row.value) << '"' << row.text << '"';
  }
}

TEST(EscapeForDumpTest, EscapesWhatTheLoaderResolves) {
  EXPECT_EQ(EscapeForDump("a\"b\nc\\d\re\t"), "a\\\"b\\nc\\\\d\re\t");
  for (const std::string text :
       {"", "plain", "\"", "\\", "\n", "x\\ny", "\\\\\"\"\n\n", "\xFF\x01"}) {
    EXPECT_EQ(ResolveEscapes(EscapeForDump(text)), text);
  }
}

}  // namespace
}  // namespace zan
