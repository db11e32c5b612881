#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "definition/definition_scanner.h"

namespace zan {
namespace {

using Tokens = std::vector<std::pair<std::string, std::string>>;

// Every token of `input` as (kind name, text), up to the end or a fault.
Tokens Scan(const std::string& input) {
  std::istringstream in(input);
  DefinitionScanner scanner(in);
  Tokens tokens;
  for (;;) {
    const Token token = scanner.Next();
    if (token.kind == TokenKind::kEnd) break;
    tokens.emplace_back(std::string(TokenKindName(token.kind)),
                        std::string(token.text));
    if (token.kind == TokenKind::kError) break;
  }
  return tokens;
}

Tokens Chars(const std::string& text) {
  Tokens tokens;
  for (char c : text) tokens.emplace_back("CHAR", std::string(1, c));
  return tokens;
}

Tokens Join(std::initializer_list<Tokens> parts) {
  Tokens all;
  for (const Tokens& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Every keyword and property name scans as one token in the random round
// trip and the parser's alternatives; here the words that only nearly are.
TEST(DefinitionScannerTest, LongestMatchCutsUnknownWords) {
  const struct {
    const char* input;
    Tokens expected;
  } kCases[] = {
      {"BUTTONX", Join({{{"BUTTON", "BUTTON"}}, Chars("X")})},
      {"MENUSEP", Join({{{"MENU", "MENU"}}, Chars("SEP")})},
      {"imagefile", Join({{{"image", "image"}}, Chars("file")})},
      {"MENUSEPARATOR", {{"MENUSEPARATOR", "MENUSEPARATOR"}}},
      {"MENUITEMS", Join({{{"MENUITEM", "MENUITEM"}}, Chars("S")})},
      {"COMBOVALUES", Join({{{"COMBOVALUE", "COMBOVALUE"}}, Chars("S")})},
      {"COMBOVAL", Join({{{"COMBO", "COMBO"}}, Chars("VAL")})},
      {"MENUSEPARATO", Join({{{"MENU", "MENU"}}, Chars("SEPARATO")})},
      {"Caption", Chars("Caption")},
      {"CAPTION", Chars("CAPTION")},
      {"Button", Chars("Button")},
      {"button", Chars("button")},
      {"addimg6", Chars("addimg6")},
      {"addimg", Chars("addimg")},
      {"param4", Chars("param4")},
      {"param0", Chars("param0")},
      {"addimg12", {{"addimg", "addimg1"}, {"CHAR", "2"}}},
      {"imagename", {{"image", "image"}, {"name", "name"}}},
      {"hotimagehint", {{"hotimage", "hotimage"}, {"hint", "hint"}}},
      {"RYX_Toolba", Chars("RYX_Toolba")},
      {"BUTTON{", {{"BUTTON", "BUTTON"}, {"{", "{"}}},
      {"caption=\"Go\"",
       {{"caption", "caption"}, {"=", "="}, {"STRING", "\"Go\""}}},
      {"# // /* ;", Chars("#///*;")},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.input);
    EXPECT_EQ(Scan(test.input), test.expected);
  }
}

TEST(DefinitionScannerTest, WhitespaceIsSpaceTabCarriageReturnAndLineFeed) {
  EXPECT_EQ(Scan(" \t\r\n{ \r\n\t}\n"), (Tokens{{"{", "{"}, {"}", "}"}}));
  EXPECT_EQ(Scan("{\v}\f"),
            (Tokens{{"{", "{"}, {"CHAR", "\v"}, {"}", "}"}, {"CHAR", "\f"}}));
  EXPECT_TRUE(Scan("").empty());
  EXPECT_TRUE(Scan(" \n\t\r ").empty());
}

TEST(DefinitionScannerTest, StringLiterals) {
  const struct {
    const char* name;
    std::string input;
    Tokens expected;
  } kCases[] = {
      {"escapes kept raw", "\"a\\\"b\"", {{"STRING", "\"a\\\"b\""}}},
      {"escaped backslash", "\"\\\\\"", {{"STRING", "\"\\\\\""}}},
      {"empty", "\"\"", {{"STRING", "\"\""}}},
      {"back to back",
       "\"a\"\"b\"",
       {{"STRING", "\"a\""}, {"STRING", "\"b\""}}},
      {"braces inside", "\"{=}\"", {{"STRING", "\"{=}\""}}},
      {"raw line break", "\"a\r\nb\"", {{"STRING", "\"a\r\nb\""}}},
      {"high bytes", "\"\xe4\xff\"", {{"STRING", "\"\xe4\xff\""}}},
      {"keywords inside",
       "\"BUTTON caption\"",
       {{"STRING", "\"BUTTON caption\""}}},
      // A backslash before a line feed abandons the literal: the quote and
      // everything after it are scanned as ordinary text.
      {"backslash line feed", "\"a\\\nb\"",
       Join({Chars("\"a\\b"), Chars("\"")})},
      {"backslash line feed then string", "\"x\\\n\"y\"",
       Join({Chars("\"x\\"), {{"STRING", "\"y\""}}})},
      {"unterminated", "\"ab c", Chars("\"abc")},
      {"backslash at the end", "\"a\\", Chars("\"a\\")},
      {"escaped quote never closes", "\"a\\\"", Chars("\"a\\\"")},
      {"high byte outside", "\xe4", Chars("\xe4")},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(Scan(test.input), test.expected);
  }
}

// A NUL byte never belongs to a keyword or a string: alone it is a stray
// character, and a string literal that reaches one is abandoned.
TEST(DefinitionScannerTest, NulByteIsAStrayCharacter) {
  using std::string_literals::operator""s;
  EXPECT_EQ(Scan("{\0}"s), (Tokens{{"{", "{"}, {"CHAR", "\0"s}, {"}", "}"}}));
  EXPECT_EQ(Scan("BUT\0TON"s), Chars("BUT\0TON"s));
  EXPECT_EQ(Scan("\"a\0b\""s), Join({Chars("\"a\0b"s), Chars("\"")}));
  EXPECT_EQ(Scan("\"a\\\0\""s), Join({Chars("\"a\\\0"s), Chars("\"")}));
}

TEST(DefinitionScannerTest, OneTokenMustFitTheBuffer) {
  const std::size_t max = DefinitionScanner::kMaxTokenBytes;
  const std::string fits = "\"" + std::string(max - 2, 'x') + "\"";
  Tokens tokens = Scan("  " + fits + " {");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].second.size(), max);

  for (const std::string& input :
       {"\"" + std::string(max - 1, 'x') + "\"",
        "\"" + std::string(max * 3, 'x') + "\"",
        // No closing quote within the buffer's reach is a fault too.
        "\"" + std::string(max * 2, 'x'),
        "\"" + std::string(max - 2, 'x') + "\\\"\""}) {
    std::istringstream in(input);
    DefinitionScanner scanner(in);
    const Token token = scanner.Next();
    EXPECT_EQ(token.kind, TokenKind::kError);
    EXPECT_EQ(scanner.error(), DefinitionScanner::Error::kBufferOverflow);
    EXPECT_EQ(scanner.error_message(),
              "input buffer overflow, can't enlarge buffer because scanner "
              "uses REJECT");
    EXPECT_EQ(scanner.Next().kind, TokenKind::kError);
  }
}

// Tokens that straddle the boundary between two chunks of the stream, and a
// large input of many tokens.
TEST(DefinitionScannerTest, TokensAcrossChunkBoundaries) {
  for (std::size_t pad = 65520; pad < 65545; ++pad) {
    SCOPED_TRACE(pad);
    const std::string input = std::string(pad, ' ') + "SERVICECOMMAND\"" +
                              std::string(10000, 'v') + "\"MENUSEPARATOR";
    const Tokens tokens = Scan(input);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].first, "SERVICECOMMAND");
    EXPECT_EQ(tokens[1].second.size(), 10002u);
    EXPECT_EQ(tokens[2].first, "MENUSEPARATOR");
  }
  std::string big;
  for (int i = 0; i < 20000; ++i)
    big += "caption=\"value number " + std::to_string(i) + "\"\n";
  std::istringstream in(big);
  DefinitionScanner scanner(in);
  int strings = 0;
  Token token;
  while ((token = scanner.Next()).kind != TokenKind::kEnd) {
    ASSERT_NE(token.kind, TokenKind::kError);
    if (token.kind == TokenKind::kString) {
      ASSERT_EQ(token.text, "\"value number " + std::to_string(strings) + "\"");
      ASSERT_EQ(token.line, strings + 1);
      ++strings;
    }
  }
  EXPECT_EQ(strings, 20000);
}

TEST(DefinitionScannerTest, TokenPositions) {
  std::istringstream in("RYX_Toolbar {\n  caption = \"a\nb\" hint\n\t\"\\\nx");
  DefinitionScanner scanner(in);
  const std::vector<std::pair<int, int>> expected = {
      {1, 1},  {1, 13}, {2, 3}, {2, 11},
      {2, 13}, {3, 4},  {4, 2},  // the abandoned quote
      {4, 3},                    // the backslash
      {5, 1},                    // x
      {5, 2},                    // end of input: just past the last byte
  };
  for (const auto& [line, column] : expected) {
    const Token token = scanner.Next();
    EXPECT_EQ(token.line, line) << TokenKindName(token.kind);
    EXPECT_EQ(token.column, column) << TokenKindName(token.kind);
  }
  EXPECT_EQ(scanner.Next().kind, TokenKind::kEnd);
}

// A stream buffer that hands out `good` bytes and then fails.
class FailingBuffer : public std::streambuf {
 public:
  FailingBuffer(std::string good, bool throws)
      : good_(std::move(good)), throws_(throws) {}

 protected:
  int_type underflow() override {
    if (!served_) {
      served_ = true;
      setg(good_.data(), good_.data(), good_.data() + good_.size());
      return traits_type::to_int_type(good_[0]);
    }
    if (throws_) throw std::runtime_error("disk gone");
    return traits_type::eof();
  }

 private:
  std::string good_;
  bool throws_;
  bool served_ = false;
};

TEST(DefinitionScannerTest, ReadErrorIsAFaultNotACrash) {
  for (const bool exceptions : {false, true}) {
    FailingBuffer buffer("RYX_Toolbar {", /*throws=*/true);
    std::istream in(&buffer);
    if (exceptions) in.exceptions(std::ios::badbit);
    DefinitionScanner scanner(in);
    const Token token = scanner.Next();
    EXPECT_EQ(token.kind, TokenKind::kError);
    EXPECT_EQ(scanner.error(), DefinitionScanner::Error::kReadFailed);
    EXPECT_EQ(scanner.error_message(), "input in flex scanner failed");
    EXPECT_EQ(scanner.Next().kind, TokenKind::kError);
  }
  // A stream that simply ends is no fault.
  FailingBuffer ends("BUTTON", /*throws=*/false);
  std::istream in(&ends);
  DefinitionScanner scanner(in);
  EXPECT_EQ(scanner.Next().kind, TokenKind::kButton);
  EXPECT_EQ(scanner.Next().kind, TokenKind::kEnd);
  EXPECT_EQ(scanner.Next().kind, TokenKind::kEnd);
  EXPECT_EQ(scanner.error(), DefinitionScanner::Error::kNone);
}

}  // namespace
}  // namespace zan
