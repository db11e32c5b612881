#include "definition/definition_scanner.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "definition/tree_builder.h"

namespace zan {
namespace {

// A string literal spans at most this many line feeds.
constexpr int kMaxTokenLines = DefinitionScanner::kMaxTokenBytes;
// Line numbers stop growing here rather than overflow.
constexpr int kMaxLine = std::numeric_limits<int>::max() - kMaxTokenLines;

struct Keyword {
  std::string_view text;
  TokenKind kind;
};

// Every written form of a block keyword or property name, in the order of
// the token kinds; the two families have one row per member.
constexpr Keyword kKeywords[] = {
    {"RYX_Toolbar", TokenKind::kRyxToolbar},
    {"BUTTON", TokenKind::kButton},
    {"TEXT", TokenKind::kText},
    {"COMBO", TokenKind::kCombo},
    {"COMBOVALUE", TokenKind::kComboValue},
    {"WEBPAGE", TokenKind::kWebPage},
    {"INDICATOR", TokenKind::kIndicator},
    {"SEPARATOR", TokenKind::kSeparator},
    {"MENU", TokenKind::kMenu},
    {"MENUITEM", TokenKind::kMenuItem},
    {"SUBMENU", TokenKind::kSubMenu},
    {"MENUSEPARATOR", TokenKind::kMenuSeparator},
    {"COMMANDS", TokenKind::kCommands},
    {"GOTOURL", TokenKind::kGoToUrl},
    {"SHELLEXECUTE", TokenKind::kShellExecute},
    {"SERVICECOMMAND", TokenKind::kServiceCommand},
    {"caption", TokenKind::kCaption},
    {"image", TokenKind::kImage},
    {"hotimage", TokenKind::kHotImage},
    {"command", TokenKind::kCommand},
    {"hint", TokenKind::kHint},
    {"type", TokenKind::kType},
    {"name", TokenKind::kName},
    {"width", TokenKind::kWidth},
    {"maxchars", TokenKind::kMaxChars},
    {"maxhistlines", TokenKind::kMaxHistLines},
    {"password", TokenKind::kPassword},
    {"value", TokenKind::kValue},
    {"url", TokenKind::kUrl},
    {"border", TokenKind::kBorder},
    {"post", TokenKind::kPost},
    {"target", TokenKind::kTarget},
    {"options", TokenKind::kOptions},
    {"newwindow", TokenKind::kNewWindow},
    {"shellcmd", TokenKind::kShellCmd},
    {"failmsg", TokenKind::kFailMsg},
    {"loctype", TokenKind::kLocType},
    {"location", TokenKind::kLocation},
    {"CLSID", TokenKind::kClsid},
    {"UUID", TokenKind::kUuid},
    {"company", TokenKind::kCompany},
    {"addimg1", TokenKind::kAddImg},
    {"addimg2", TokenKind::kAddImg},
    {"addimg3", TokenKind::kAddImg},
    {"addimg4", TokenKind::kAddImg},
    {"addimg5", TokenKind::kAddImg},
    {"param1", TokenKind::kParam},
    {"param2", TokenKind::kParam},
    {"param3", TokenKind::kParam},
};
constexpr int kKeywordCount = std::size(kKeywords);

// The names of the token kinds that are not keywords.
constexpr std::string_view kOtherKindNames[] = {"end", "error",  "{",   "}",
                                                "=",   "STRING", "CHAR"};
static_assert(std::size(kOtherKindNames) ==
              static_cast<std::size_t>(TokenKind::kRyxToolbar));

// The rows of kKeywords that begin with one byte, longest first, so that
// the first one that matches is the longest match.
struct Candidates {
  std::array<std::uint8_t, 5> rows{};
  std::uint8_t count = 0;
};

constexpr std::array<Candidates, 256> kCandidates = [] {
  std::array<Candidates, 256> index{};
  for (int row = 0; row < kKeywordCount; ++row) {
    Candidates& list =
        index[static_cast<unsigned char>(kKeywords[row].text[0])];
    int at = list.count++;
    while (at > 0 && kKeywords[list.rows[at - 1]].text.size() <
                         kKeywords[row].text.size()) {
      list.rows[at] = list.rows[at - 1];
      --at;
    }
    list.rows[at] = static_cast<std::uint8_t>(row);
  }
  return index;
}();

// The longest keyword, "SERVICECOMMAND".
constexpr std::size_t kLongestKeyword = [] {
  std::size_t longest = 0;
  for (const Keyword& keyword : kKeywords) {
    longest = std::max(longest, keyword.text.size());
  }
  return longest;
}();

// Whether `text` begins with `word`, whose first byte is known to match.
// Keywords are short and most candidates differ early, so a plain loop
// beats a call of memcmp.
bool StartsWithKeyword(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 1; i < word.size(); ++i) {
    if (text[i] != word[i]) return false;
  }
  return true;
}

// The keyword row at `text` by longest match, or -1.
int MatchKeyword(std::string_view text) {
  const Candidates& list = kCandidates[static_cast<unsigned char>(text[0])];
  for (int i = 0; i < list.count; ++i) {
    const int row = list.rows[i];
    if (StartsWithKeyword(text, kKeywords[row].text)) return row;
  }
  return -1;
}

constexpr bool IsLetter(unsigned char c) {
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

}  // namespace

std::string_view TokenKindName(TokenKind kind) {
  if (kind < TokenKind::kRyxToolbar) {
    return kOtherKindNames[static_cast<int>(kind)];
  }
  // The families are named without their digit.
  if (kind == TokenKind::kAddImg) return "addimg";
  if (kind == TokenKind::kParam) return "param";
  for (const Keyword& keyword : kKeywords) {
    if (keyword.kind == kind) return keyword.text;
  }
  return {};
}

bool ReadWholeStream(std::istream& in, std::string& bytes) {
  constexpr std::size_t kChunkBytes = 64 * 1024;
  for (;;) {
    const std::size_t size = bytes.size();
    bytes.resize(size + kChunkBytes);
    std::streamsize got = 0;
    bool failed = false;
    try {
      in.read(bytes.data() + size, static_cast<std::streamsize>(kChunkBytes));
      got = in.gcount();
      failed = in.bad();
    } catch (...) {  // a stream that reports errors by exceptions
      failed = true;
    }
    // The bytes of a read that failed are not trusted.
    bytes.resize(size + (failed ? 0 : static_cast<std::size_t>(got)));
    if (failed) return false;
    if (got == 0 || in.eof() || in.fail()) return true;
  }
}

DefinitionScanner::DefinitionScanner(std::string_view input,
                                     TreeBuilder* builder, bool read_failed)
    : input_(input), builder_(builder), read_failed_(read_failed) {}

DefinitionScanner::DefinitionScanner(std::istream& in, TreeBuilder* builder)
    : builder_(builder) {
  std::string bytes;
  read_failed_ = !ReadWholeStream(in, bytes);
  if (builder_ != nullptr) {
    input_ = builder_->KeepInput(std::move(bytes));
  } else {
    owned_ = std::move(bytes);
    input_ = owned_;
  }
}

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

bool DefinitionScanner::Has(std::size_t count) {
  if (input_.size() - pos_ >= count) return true;
  if (read_failed_) error_ = Error::kReadFailed;
  return false;
}

int DefinitionScanner::Column(std::size_t offset) const {
  const std::size_t column = offset - line_start_ + 1;
  return static_cast<int>(
      std::min<std::size_t>(column, std::numeric_limits<int>::max()));
}

Token DefinitionScanner::Finish(TokenKind kind, std::size_t length) {
  return Finish(kind, input_.substr(pos_, length), length);
}

Token DefinitionScanner::Finish(TokenKind kind, std::string_view text,
                                std::size_t length) {
  Token token;
  token.kind = kind;
  token.text = text;
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

std::ptrdiff_t DefinitionScanner::MatchString(int* lines,
                                              std::size_t* last_line_feed) {
  const unsigned char* p =
      reinterpret_cast<const unsigned char*>(input_.data() + pos_);
  const std::size_t available = input_.size() - pos_;
  const std::size_t limit = std::min(available, kMaxTokenBytes);
  std::size_t k = 1;
  for (;;) {
    while (k < limit && !kStringStops[p[k]]) ++k;
    if (k >= limit) {
      // The token buffer is full, or the input ended without a closing
      // quote.
      if (k >= kMaxTokenBytes) {
        error_ = Error::kBufferOverflow;
        return -1;
      }
      return !Has(k + 1) && error_ != Error::kNone ? -1 : 0;
    }
    const unsigned char c = p[k];
    if (c == '"') return static_cast<std::ptrdiff_t>(k + 1);
    if (c == '\n') {
      ++*lines;
      *last_line_feed = k++;
      continue;
    }
    if (c == '\0') return 0;
    // A backslash: it takes the next byte with it, unless that is a line
    // feed (or a NUL), which abandons the literal.
    if (k + 1 >= kMaxTokenBytes) {
      error_ = Error::kBufferOverflow;
      return -1;
    }
    if (!Has(k + 2)) return error_ != Error::kNone ? -1 : 0;
    if (p[k + 1] == '\n' || p[k + 1] == '\0') return 0;
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
  const unsigned char* p =
      reinterpret_cast<const unsigned char*>(input_.data());
  std::size_t pos = pos_;
  const std::size_t end = input_.size();
  while (pos < end && kWhitespace[p[pos]]) {
    if (p[pos] == '\n') {
      if (line_ < kMaxLine) ++line_;
      line_start_ = pos + 1;
    }
    ++pos;
  }
  pos_ = pos;
  if (pos == end) {
    if (read_failed_) return Fail(Error::kReadFailed);
    done_ = true;
    Token token;
    token.line = line_;
    token.column = Column(pos_);
    return token;
  }

  switch (p[pos]) {
    case '{':
      return Finish(TokenKind::kLBrace, 1);
    case '}':
      return Finish(TokenKind::kRBrace, 1);
    case '=':
      return Finish(TokenKind::kEquals, 1);
    case '"': {
      int lines = 0;
      std::size_t last_line_feed = 0;
      const std::ptrdiff_t length = MatchString(&lines, &last_line_feed);
      if (length < 0) return Fail(error_);
      if (length == 0) return Finish(TokenKind::kChar, 1);
      const std::size_t start = pos_;
      const Token token =
          Finish(TokenKind::kString, static_cast<std::size_t>(length));
      // A literal that spans lines moves the position of the next token.
      if (lines > 0) {
        line_ = std::min(kMaxLine - lines, line_) + lines;
        line_start_ = start + last_line_feed + 1;
      }
      return token;
    }
    default:
      break;
  }
  if (IsLetter(p[pos])) {
    // A word is cut only once the longest keyword would fit, so a read
    // error that ends the input within that reach is a fault.
    if (!Has(kLongestKeyword) && error_ != Error::kNone) {
      return Fail(error_);
    }
    const int row = MatchKeyword(input_.substr(pos));
    if (row >= 0) {
      const Keyword& keyword = kKeywords[row];
      return Finish(keyword.kind, keyword.text, keyword.text.size());
    }
  }
  return Finish(TokenKind::kChar, 1);
}

}  // namespace zan
