#ifndef ZAN_DEFINITION_DEFINITION_PARSER_H_
#define ZAN_DEFINITION_DEFINITION_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "definition/definition_scanner.h"

namespace zan {

// Checks that a token stream is a definition file: the toolbar block with its
// properties and items, every item's block with its properties, menus and
// commands in their order. It builds nothing (the tree builder does that as
// the tokens are scanned) and has no error recovery: the first token that
// cannot continue the file ends the parse.
//
// Nesting is kept on an explicit state stack, never on the C++ stack. Each
// open block holds three entries (its keyword, its brace and its body so
// far); the stack starts with room for 200 entries and doubles up to 10,000.
// A file that needs more fails with "parser stack overflow".
class DefinitionParser {
 public:
  enum Result { kAccepted = 0, kSyntaxError = 1, kStackOverflow = 2 };
  enum class Step { kMore, kAccept, kReject, kOverflow };

  static constexpr std::size_t kInitialStack = 200;
  static constexpr std::size_t kMaxStack = 10000;

  DefinitionParser();

  // Pulls tokens from `scanner` until the file is accepted or fails. Writes
  // "Syntax error: parse error", "Syntax error: parser stack overflow" or the
  // scanner's fault as one line to `diagnostics`. Returns a Result.
  int Parse(DefinitionScanner& scanner, std::ostream& diagnostics);

  // Advances by one token. After kAccept, kReject or kOverflow every further
  // token gives the same step.
  Step Feed(TokenKind kind);

  // Where Parse() stopped: the position of the last token pulled, and the
  // message ("parse error", "parser stack overflow", a scanner fault, or
  // empty on success).
  int stop_line() const { return stop_line_; }
  int stop_column() const { return stop_column_; }
  std::string_view message() const { return message_; }

  // Entries the state stack holds now and its current room; for tests.
  std::size_t stack_entries() const { return Entries(expect_); }
  std::size_t stack_capacity() const { return capacity_; }

 private:
  enum class Block : std::uint8_t {
    kFile,
    kToolbar,
    kPlain,  // TEXT, SEPARATOR with a block
    kCombo,
    kComboValue,
    kWebPage,
    kCommands,
    kGoToUrl,
    kServiceCommand,
    kShellExecute,
    kIndicator,
    kButton,
    kMenu,
    kSubMenu,
    kMenuItem,
    kImage,  // "image" { loctype/location }
  };
  // What the next token must be, besides continuing the top block's body.
  enum class Expect : std::uint8_t {
    kBody,
    kBrace,           // "{" opening pending_block_
    kEquals,          // "=" after a property name ("{" too for an image block)
    kString,          // the property's value
    kAfterSeparator,  // "{" of a SEPARATOR block, or anything else
  };
  struct Frame {
    Block block;
    std::uint8_t phase;
  };

  // Entries the state stack holds with the current blocks open and `expect`.
  std::size_t Entries(Expect expect) const;
  Step Enter(Expect expect);
  Step Body(TokenKind kind);
  Step Property(Frame& frame, TokenKind kind);
  Step MenuEntry(TokenKind kind);
  Step ExpectBrace(Block block);
  Step Push(Block block);
  Step Pop();
  bool Reserve(std::size_t entries) {
    return entries <= capacity_ || Grow(entries);
  }
  // Doubles the room for `entries` up to kMaxStack; false beyond it.
  bool Grow(std::size_t entries);
  Step Finish(Step step);

  std::vector<Frame> frames_;
  std::size_t capacity_ = kInitialStack;
  Expect expect_ = Expect::kBody;
  Block pending_block_ = Block::kFile;
  std::uint8_t property_phase_ = 0;
  bool image_block_ok_ = false;
  Step final_ = Step::kMore;
  int stop_line_ = 0;
  int stop_column_ = 0;
  std::string_view message_;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_PARSER_H_
