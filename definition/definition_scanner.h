#ifndef ZAN_DEFINITION_DEFINITION_SCANNER_H_
#define ZAN_DEFINITION_DEFINITION_SCANNER_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
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
  // The matched bytes. They stay valid as long as the scanner's input; for
  // a keyword or property name they are the keyword table's own text,
  // static and followed by a zero byte.
  std::string_view text;
  // 1-based position of the first byte; for kEnd the position just past the
  // last byte of the input.
  int line = 1;
  int column = 1;
};

// Cuts a definition file into tokens by longest match, over the whole text
// at once. One token (in practice one string literal) must fit into the
// 16 KiB token buffer that the scanner has always had; a longer one is the
// fault "input buffer overflow". Every token is handed to the tree builder,
// when one is given, before Next() returns it.
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

  // Scans `input`, which must outlive the scanner and the tokens. With
  // `read_failed` the input is what could be read before a read error: a
  // token that needs a byte past its end is the fault "input in flex
  // scanner failed" instead of the end of input.
  explicit DefinitionScanner(std::string_view input,
                             TreeBuilder* builder = nullptr,
                             bool read_failed = false);
  // Reads the whole stream first. With a builder, the tree it grows keeps
  // the bytes, since its values refer to them.
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
  // Whether `count` bytes from pos_ are there. When they are not and the
  // input ended by a read error, records that fault.
  bool Has(std::size_t count);
  Token Finish(TokenKind kind, std::size_t length);
  Token Finish(TokenKind kind, std::string_view text, std::size_t length);
  Token Fail(Error error);
  // Length of the string literal at pos_, 0 when the attempt is abandoned;
  // -1 on a fault (error_ set). Counts the literal's line feeds into
  // `lines` and leaves the offset of the last one from pos_.
  std::ptrdiff_t MatchString(int* lines, std::size_t* last_line_feed);
  int Column(std::size_t offset) const;

  // The bytes read from a stream, when the scanner was given one and no
  // builder to keep them.
  std::string owned_;
  std::string_view input_;
  TreeBuilder* builder_;
  bool read_failed_ = false;
  std::size_t pos_ = 0;  // first unscanned byte
  Error error_ = Error::kNone;
  bool done_ = false;
  // Offset of the first byte of the current line.
  std::size_t line_start_ = 0;
  int line_ = 1;
};

// Reads all of `in`. False on a read error; `bytes` then holds what was read
// before the read that failed.
bool ReadWholeStream(std::istream& in, std::string& bytes);

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_SCANNER_H_
