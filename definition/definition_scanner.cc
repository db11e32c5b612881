#include "definition/definition_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "definition/tree_builder.h"

namespace zan {
namespace {

// Bytes read from the stream at a time. The buffer holds one chunk plus the
// unread tail of the previous one, which is at most one token long.
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kBufferBytes =
    kChunkBytes + DefinitionScanner::kMaxTokenBytes + 64;
// A string literal spans at most this many line feeds.
constexpr int kMaxTokenLines = DefinitionScanner::kMaxTokenBytes;
// Line numbers stop growing here rather than overflow.
constexpr int kMaxLine = std::numeric_limits<int>::max() - kMaxTokenLines;
// The longest keyword, "SERVICECOMMAND".
constexpr std::size_t kLongestWord = 14;

struct Word {
  std::string_view text;
  TokenKind kind;
};

// Keywords by first byte, longer ones before their prefixes so that the first
// one that matches is the longest match.
constexpr Word kWordsA[] = {{"addimg", TokenKind::kAddImg}};
constexpr Word kWordsB[] = {{"BUTTON", TokenKind::kButton}};
constexpr Word kWordsC[] = {{"COMBOVALUE", TokenKind::kComboValue},
                            {"COMMANDS", TokenKind::kCommands},
                            {"COMBO", TokenKind::kCombo},
                            {"CLSID", TokenKind::kClsid}};
constexpr Word kWordsG[] = {{"GOTOURL", TokenKind::kGoToUrl}};
constexpr Word kWordsI[] = {{"INDICATOR", TokenKind::kIndicator}};
constexpr Word kWordsM[] = {{"MENUSEPARATOR", TokenKind::kMenuSeparator},
                            {"MENUITEM", TokenKind::kMenuItem},
                            {"MENU", TokenKind::kMenu}};
constexpr Word kWordsR[] = {{"RYX_Toolbar", TokenKind::kRyxToolbar}};
constexpr Word kWordsS[] = {{"SERVICECOMMAND", TokenKind::kServiceCommand},
                            {"SHELLEXECUTE", TokenKind::kShellExecute},
                            {"SEPARATOR", TokenKind::kSeparator},
                            {"SUBMENU", TokenKind::kSubMenu}};
constexpr Word kWordsT[] = {{"TEXT", TokenKind::kText}};
constexpr Word kWordsU[] = {{"UUID", TokenKind::kUuid}};
constexpr Word kWordsW[] = {{"WEBPAGE", TokenKind::kWebPage}};
constexpr Word kWordsLowB[] = {{"border", TokenKind::kBorder}};
constexpr Word kWordsLowC[] = {{"caption", TokenKind::kCaption},
                               {"command", TokenKind::kCommand},
                               {"company", TokenKind::kCompany}};
constexpr Word kWordsLowF[] = {{"failmsg", TokenKind::kFailMsg}};
constexpr Word kWordsLowH[] = {{"hotimage", TokenKind::kHotImage},
                               {"hint", TokenKind::kHint}};
constexpr Word kWordsLowI[] = {{"image", TokenKind::kImage}};
constexpr Word kWordsLowL[] = {{"location", TokenKind::kLocation},
                               {"loctype", TokenKind::kLocType}};
constexpr Word kWordsLowM[] = {{"maxhistlines", TokenKind::kMaxHistLines},
                               {"maxchars", TokenKind::kMaxChars}};
constexpr Word kWordsLowN[] = {{"newwindow", TokenKind::kNewWindow},
                               {"name", TokenKind::kName}};
constexpr Word kWordsLowO[] = {{"options", TokenKind::kOptions}};
constexpr Word kWordsLowP[] = {{"password", TokenKind::kPassword},
                               {"param", TokenKind::kParam},
                               {"post", TokenKind::kPost}};
constexpr Word kWordsLowS[] = {{"shellcmd", TokenKind::kShellCmd}};
constexpr Word kWordsLowT[] = {{"target", TokenKind::kTarget},
                               {"type", TokenKind::kType}};
constexpr Word kWordsLowU[] = {{"url", TokenKind::kUrl}};
constexpr Word kWordsLowV[] = {{"value", TokenKind::kValue}};
constexpr Word kWordsLowW[] = {{"width", TokenKind::kWidth}};

// Whether p starts with `word`, whose first byte is known to match. Words
// are short and most candidates differ early, so a plain loop beats memcmp.
inline bool SameBytes(const char* p, std::string_view word) {
  for (std::size_t i = 1; i < word.size(); ++i) {
    if (p[i] != word[i]) return false;
  }
  return true;
}

template <std::size_t N>
std::size_t MatchIn(const Word (&words)[N], const char* p, std::size_t avail,
                    TokenKind* kind) {
  for (const Word& word : words) {
    if (word.text.size() <= avail && SameBytes(p, word.text)) {
      std::size_t length = word.text.size();
      // The two families carry their digit.
      if (word.kind == TokenKind::kAddImg || word.kind == TokenKind::kParam) {
        const char last = word.kind == TokenKind::kAddImg ? '5' : '3';
        if (length >= avail || p[length] < '1' || p[length] > last) continue;
        ++length;
      }
      *kind = word.kind;
      return length;
    }
  }
  return 0;
}

// Length of the keyword or property name at p (0 if none), by longest match.
std::size_t MatchWord(const char* p, std::size_t avail, TokenKind* kind) {
  switch (p[0]) {
    case 'B':
      return MatchIn(kWordsB, p, avail, kind);
    case 'C':
      return MatchIn(kWordsC, p, avail, kind);
    case 'G':
      return MatchIn(kWordsG, p, avail, kind);
    case 'I':
      return MatchIn(kWordsI, p, avail, kind);
    case 'M':
      return MatchIn(kWordsM, p, avail, kind);
    case 'R':
      return MatchIn(kWordsR, p, avail, kind);
    case 'S':
      return MatchIn(kWordsS, p, avail, kind);
    case 'T':
      return MatchIn(kWordsT, p, avail, kind);
    case 'U':
      return MatchIn(kWordsU, p, avail, kind);
    case 'W':
      return MatchIn(kWordsW, p, avail, kind);
    case 'a':
      return MatchIn(kWordsA, p, avail, kind);
    case 'b':
      return MatchIn(kWordsLowB, p, avail, kind);
    case 'c':
      return MatchIn(kWordsLowC, p, avail, kind);
    case 'f':
      return MatchIn(kWordsLowF, p, avail, kind);
    case 'h':
      return MatchIn(kWordsLowH, p, avail, kind);
    case 'i':
      return MatchIn(kWordsLowI, p, avail, kind);
    case 'l':
      return MatchIn(kWordsLowL, p, avail, kind);
    case 'm':
      return MatchIn(kWordsLowM, p, avail, kind);
    case 'n':
      return MatchIn(kWordsLowN, p, avail, kind);
    case 'o':
      return MatchIn(kWordsLowO, p, avail, kind);
    case 'p':
      return MatchIn(kWordsLowP, p, avail, kind);
    case 's':
      return MatchIn(kWordsLowS, p, avail, kind);
    case 't':
      return MatchIn(kWordsLowT, p, avail, kind);
    case 'u':
      return MatchIn(kWordsLowU, p, avail, kind);
    case 'v':
      return MatchIn(kWordsLowV, p, avail, kind);
    case 'w':
      return MatchIn(kWordsLowW, p, avail, kind);
    default:
      return 0;
  }
}

constexpr bool IsWordStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Bytes that end the plain run inside a string literal.
constexpr std::array<bool, 256> kStringStops = [] {
  std::array<bool, 256> stops{};
  stops['"'] = stops['\\'] = stops['\n'] = stops['\0'] = true;
  return stops;
}();

constexpr std::array<bool, 256> kWhitespace = [] {
  std::array<bool, 256> space{};
  space[' '] = space['\t'] = space['\r'] = space['\n'] = true;
  return space;
}();

constexpr std::string_view kKindNames[kTokenKindCount] = {
    "end",
    "error",
    "{",
    "}",
    "=",
    "STRING",
    "CHAR",
    "RYX_Toolbar",
    "BUTTON",
    "TEXT",
    "COMBO",
    "COMBOVALUE",
    "WEBPAGE",
    "INDICATOR",
    "SEPARATOR",
    "MENU",
    "MENUITEM",
    "SUBMENU",
    "MENUSEPARATOR",
    "COMMANDS",
    "GOTOURL",
    "SHELLEXECUTE",
    "SERVICECOMMAND",
    "caption",
    "image",
    "hotimage",
    "command",
    "hint",
    "type",
    "name",
    "width",
    "maxchars",
    "maxhistlines",
    "password",
    "value",
    "url",
    "border",
    "post",
    "target",
    "options",
    "newwindow",
    "shellcmd",
    "failmsg",
    "loctype",
    "location",
    "CLSID",
    "UUID",
    "company",
    "addimg",
    "param",
};

}  // namespace

std::string_view TokenKindName(TokenKind kind) {
  return kKindNames[static_cast<int>(kind)];
}

DefinitionScanner::DefinitionScanner(std::istream& in, TreeBuilder* builder)
    : in_(in), builder_(builder), buffer_(new char[kBufferBytes]) {}

DefinitionScanner::~DefinitionScanner() {
  if (builder_ != nullptr) builder_->KeepRecordedTokens();
}

std::string_view DefinitionScanner::error_message() const {
  switch (error_) {
    case Error::kBufferOverflow:
      return "input buffer overflow, can't enlarge buffer because scanner "
             "uses REJECT";
    case Error::kReadFailed:
      return "input in flex scanner failed";
    case Error::kNone:
      break;
  }
  return {};
}

bool DefinitionScanner::Fill(std::size_t count) {
  if (end_ - pos_ >= count || at_eof_) return true;
  if (pos_ > 0) {
    // Recorded token texts still point at the bytes about to be reused.
    if (builder_ != nullptr) builder_->KeepRecordedTokens();
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    base_ += pos_;
    end_ -= pos_;
    pos_ = 0;
  }
  while (end_ - pos_ < count && !at_eof_) {
    std::streamsize got = 0;
    bool failed = false;
    try {
      in_.read(buffer_.get() + end_,
               static_cast<std::streamsize>(kBufferBytes - end_));
      got = in_.gcount();
      failed = in_.bad();
    } catch (...) {  // a stream that reports errors by exceptions
      failed = true;
    }
    if (failed) return false;
    end_ += static_cast<std::size_t>(got);
    if (got == 0 || in_.eof() || in_.fail()) at_eof_ = true;
  }
  return true;
}

int DefinitionScanner::Column(std::size_t offset) const {
  const std::uint64_t column = base_ + offset - line_start_ + 1;
  return static_cast<int>(
      std::min<std::uint64_t>(column, std::numeric_limits<int>::max()));
}

Token DefinitionScanner::Finish(TokenKind kind, std::size_t length) {
  Token token;
  token.kind = kind;
  token.text = std::string_view(buffer_.get() + pos_, length);
  token.line = line_;
  token.column = Column(pos_);
  pos_ += length;
  if (builder_ != nullptr) builder_->OnToken(token.kind, token.text);
  return token;
}

Token DefinitionScanner::Fail(Error error) {
  error_ = error;
  done_ = true;
  Token token;
  token.kind = TokenKind::kError;
  token.line = line_;
  token.column = Column(pos_);
  return token;
}

std::ptrdiff_t DefinitionScanner::MatchString() {
  // Offsets are relative to the opening quote at pos_, because Fill() may
  // move the buffer contents.
  std::size_t k = 1;
  int lines = 0;
  std::size_t last_line_feed = 0;
  for (;;) {
    const std::size_t limit = std::min(end_ - pos_, kMaxTokenBytes);
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(buffer_.get() + pos_);
    while (k < limit && !kStringStops[p[k]]) ++k;
    if (k >= limit) {
      if (k >= kMaxTokenBytes) {
        error_ = Error::kBufferOverflow;
        return -1;
      }
      if (!Fill(k + 1)) {
        error_ = Error::kReadFailed;
        return -1;
      }
      if (end_ - pos_ <= k) return 0;  // no closing quote before the end
      continue;
    }
    const char c = static_cast<char>(p[k]);
    if (c == '"') {
      string_lines_ = lines;
      string_last_line_feed_ = last_line_feed;
      return static_cast<std::ptrdiff_t>(k + 1);
    }
    if (c == '\n') {
      ++lines;
      last_line_feed = k;
      ++k;
      continue;
    }
    if (c == '\0') return 0;
    // A backslash: it takes the next byte with it, unless that is a line
    // feed (or a NUL), which abandons the literal.
    if (k + 1 >= kMaxTokenBytes) {
      error_ = Error::kBufferOverflow;
      return -1;
    }
    if (end_ - pos_ < k + 2 && !Fill(k + 2)) {
      error_ = Error::kReadFailed;
      return -1;
    }
    if (end_ - pos_ <= k + 1) return 0;
    const char next = buffer_[pos_ + k + 1];
    if (next == '\n' || next == '\0') return 0;
    k += 2;
  }
}

Token DefinitionScanner::Next() {
  if (done_) {
    if (error_ != Error::kNone) return Fail(error_);
    Token token;
    token.line = line_;
    token.column = Column(pos_);
    return token;
  }
  for (;;) {
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(buffer_.get());
    std::size_t pos = pos_;
    const std::size_t end = end_;
    while (pos < end && kWhitespace[p[pos]]) {
      if (p[pos] == '\n') {
        if (line_ < kMaxLine) ++line_;
        line_start_ = base_ + pos + 1;
      }
      ++pos;
    }
    pos_ = pos;
    if (pos < end) break;
    if (!Fill(1)) return Fail(Error::kReadFailed);
    if (pos_ == end_) {
      done_ = true;
      Token token;
      token.line = line_;
      token.column = Column(pos_);
      return token;
    }
  }

  const unsigned char c = static_cast<unsigned char>(buffer_[pos_]);
  switch (c) {
    case '{':
      return Finish(TokenKind::kLBrace, 1);
    case '}':
      return Finish(TokenKind::kRBrace, 1);
    case '=':
      return Finish(TokenKind::kEquals, 1);
    case '"': {
      const std::ptrdiff_t length = MatchString();
      if (length < 0) return Fail(error_);
      if (length == 0) return Finish(TokenKind::kChar, 1);
      const std::size_t start = pos_;
      const Token token =
          Finish(TokenKind::kString, static_cast<std::size_t>(length));
      // A literal that spans lines moves the position of the next token.
      if (string_lines_ > 0) {
        line_ = std::min(kMaxLine - string_lines_, line_) + string_lines_;
        line_start_ = base_ + start + string_last_line_feed_ + 1;
      }
      return token;
    }
    default:
      break;
  }
  if (IsWordStart(c)) {
    if (end_ - pos_ < kLongestWord && !Fill(kLongestWord)) {
      return Fail(Error::kReadFailed);
    }
    TokenKind kind = TokenKind::kChar;
    const std::size_t length =
        MatchWord(buffer_.get() + pos_, end_ - pos_, &kind);
    if (length > 0) return Finish(kind, length);
  }
  return Finish(TokenKind::kChar, 1);
}

}  // namespace zan
