#ifndef ZAN_DEFINITION_DEFINITION_SCANNER_H_
#define ZAN_DEFINITION_DEFINITION_SCANNER_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>

namespace zan {

class TreeBuilder;

// The token kinds of the definition language. The two property-name families
// "addimg1".."addimg5" and "param1".."param3" are one kind each; the token
// text tells which member was written.
enum class TokenKind : std::uint8_t {
  kEnd,     // end of input
  kError,   // scanner fault (buffer overflow, read error); see error()
  kLBrace,  // {
  kRBrace,  // }
  kEquals,  // =
  kString,  // a string literal, quotes included in the token text
  kChar,    // any other single byte
  // Block keywords.
  kRyxToolbar,
  kButton,
  kText,
  kCombo,
  kComboValue,
  kWebPage,
  kIndicator,
  kSeparator,
  kMenu,
  kMenuItem,
  kSubMenu,
  kMenuSeparator,
  kCommands,
  kGoToUrl,
  kShellExecute,
  kServiceCommand,
  // Property names.
  kCaption,
  kImage,
  kHotImage,
  kCommand,
  kHint,
  kType,
  kName,
  kWidth,
  kMaxChars,
  kMaxHistLines,
  kPassword,
  kValue,
  kUrl,
  kBorder,
  kPost,
  kTarget,
  kOptions,
  kNewWindow,
  kShellCmd,
  kFailMsg,
  kLocType,
  kLocation,
  kClsid,
  kUuid,
  kCompany,
  kAddImg,
  kParam,
};

inline constexpr int kTokenKindCount = static_cast<int>(TokenKind::kParam) + 1;

inline bool IsPropertyName(TokenKind kind) {
  return kind >= TokenKind::kCaption && kind <= TokenKind::kParam;
}

inline bool IsBlockKeyword(TokenKind kind) {
  return kind >= TokenKind::kRyxToolbar && kind <= TokenKind::kServiceCommand;
}

// A short readable name of a token kind, for tests and diagnostics.
std::string_view TokenKindName(TokenKind kind);

struct Token {
  TokenKind kind = TokenKind::kEnd;
  // The matched bytes; valid until the next call of Next().
  std::string_view text;
  // 1-based position of the first byte; for kEnd the position just past the
  // last byte of the input.
  int line = 1;
  int column = 1;
};

// Cuts a definition file into tokens by longest match. The input is read in
// chunks; one token (in practice one string literal) must fit into the 16 KiB
// token buffer. Every token is handed to the tree builder, when one is given,
// before Next() returns it.
//
// A NUL byte is never part of a keyword or a string literal: outside a string
// it is a stray single character, and a string literal attempt that reaches
// one is abandoned like one that reaches a backslash before a line feed (its
// opening quote becomes a stray character). Either way the parse fails, so a
// file with a NUL byte never loads.
class DefinitionScanner {
 public:
  static constexpr std::size_t kMaxTokenBytes = 16384;

  enum class Error { kNone, kBufferOverflow, kReadFailed };

  explicit DefinitionScanner(std::istream& in, TreeBuilder* builder = nullptr);
  ~DefinitionScanner();
  DefinitionScanner(const DefinitionScanner&) = delete;
  DefinitionScanner& operator=(const DefinitionScanner&) = delete;

  // The next token. After kEnd or kError every further call returns the same
  // kind again.
  Token Next();

  Error error() const { return error_; }
  // The fixed text of the scanner fault, empty when there was none.
  std::string_view error_message() const;

 private:
  // Makes at least `count` bytes from pos_ readable unless the input ends
  // first. False on a read error.
  bool Fill(std::size_t count);
  Token Finish(TokenKind kind, std::size_t length);
  Token Fail(Error error);
  // Length of the string literal at pos_, 0 when the attempt is abandoned;
  // -1 on a fault (error_ set). Leaves the literal's line feeds in
  // string_lines_ and string_last_line_feed_.
  std::ptrdiff_t MatchString();
  int Column(std::size_t offset) const;

  std::istream& in_;
  TreeBuilder* builder_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;  // first unread byte
  std::size_t end_ = 0;  // one past the last byte read
  bool at_eof_ = false;
  Error error_ = Error::kNone;
  bool done_ = false;
  // Absolute input offset of buffer_[0], and of the first byte of the
  // current line.
  std::uint64_t base_ = 0;
  std::uint64_t line_start_ = 0;
  int line_ = 1;
  // Line feeds inside the string literal just matched.
  int string_lines_ = 0;
  std::size_t string_last_line_feed_ = 0;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_SCANNER_H_
