#include "definition/definition_parser.h"

#include <algorithm>

namespace zan {
namespace {

constexpr std::uint64_t Bit(TokenKind kind) {
  return std::uint64_t{1} << static_cast<int>(kind);
}

template <typename... Kinds>
constexpr std::uint64_t Set(Kinds... kinds) {
  return (Bit(kinds) | ...);
}

using K = TokenKind;

constexpr std::uint64_t kToolbarProperties =
    Set(K::kClsid, K::kUuid, K::kName, K::kImage, K::kHotImage, K::kCompany);
constexpr std::uint64_t kPlainProperties =
    Set(K::kCaption, K::kCommand, K::kHint, K::kImage);
constexpr std::uint64_t kComboProperties =
    Set(K::kMaxChars, K::kMaxHistLines, K::kName, K::kWidth, K::kCaption,
        K::kType, K::kPassword, K::kCommand, K::kHint);
constexpr std::uint64_t kComboValueProperties = Set(K::kCaption, K::kValue);
constexpr std::uint64_t kWebPageProperties =
    Set(K::kUrl, K::kName, K::kBorder, K::kWidth);
constexpr std::uint64_t kButtonProperties =
    Set(K::kCommand, K::kCaption, K::kImage, K::kHint);
constexpr std::uint64_t kMenuProperties =
    Set(K::kCaption, K::kCommand, K::kType, K::kHint, K::kImage, K::kHotImage);
constexpr std::uint64_t kEntryProperties =
    Set(K::kHint, K::kCommand, K::kImage, K::kCaption, K::kType);
constexpr std::uint64_t kIndicatorProperties =
    Set(K::kCommand, K::kType, K::kCaption, K::kImage, K::kAddImg, K::kParam);
constexpr std::uint64_t kGoToUrlProperties =
    Set(K::kName, K::kUrl, K::kPost, K::kTarget, K::kOptions, K::kNewWindow);
constexpr std::uint64_t kServiceCommandProperties =
    Set(K::kName, K::kType, K::kCaption);
constexpr std::uint64_t kShellExecuteProperties =
    Set(K::kName, K::kShellCmd, K::kFailMsg);

// Phases of the image block: which of its two properties have been given.
constexpr std::uint8_t kImageLocType = 1;
constexpr std::uint8_t kImageLocation = 2;
constexpr std::uint8_t kImageBoth = 3;

}  // namespace

DefinitionParser::DefinitionParser() {
  frames_.reserve(kInitialStack / 3 + 1);
  frames_.push_back({Block::kFile, 0});
}

std::size_t DefinitionParser::Entries(Expect expect) const {
  const std::size_t entries = 1 + 3 * (frames_.size() - 1);
  switch (expect) {
    case Expect::kBrace:
    case Expect::kEquals:
    case Expect::kAfterSeparator:
      return entries + 1;  // the keyword or property name
    case Expect::kString:
      return entries + 2;  // the property name and "="
    case Expect::kBody:
      break;
  }
  return entries;
}

DefinitionParser::Step DefinitionParser::Enter(Expect expect) {
  if (!Reserve(Entries(expect))) return Step::kOverflow;
  expect_ = expect;
  return Step::kMore;
}

bool DefinitionParser::Grow(std::size_t entries) {
  while (entries > capacity_) {
    if (capacity_ >= kMaxStack) return false;
    capacity_ = std::min(capacity_ * 2, kMaxStack);
  }
  return true;
}

DefinitionParser::Step DefinitionParser::Finish(Step step) {
  if (step != Step::kMore) final_ = step;
  return step;
}

DefinitionParser::Step DefinitionParser::ExpectBrace(Block block) {
  pending_block_ = block;
  return Enter(Expect::kBrace);
}

DefinitionParser::Step DefinitionParser::Push(Block block) {
  expect_ = Expect::kBody;
  if (!Reserve(1 + 3 * frames_.size())) return Step::kOverflow;
  // The only place where frames_ may move: no reference into it is held.
  frames_.reserve(capacity_ / 3 + 1);
  frames_.push_back({block, 0});
  return Step::kMore;
}

DefinitionParser::Step DefinitionParser::Pop() {
  frames_.pop_back();
  if (frames_.back().block == Block::kFile) frames_.back().phase = 1;
  return Step::kMore;
}

DefinitionParser::Step DefinitionParser::Feed(TokenKind kind) {
  if (final_ != Step::kMore) return final_;
  switch (expect_) {
    case Expect::kBrace:
      if (kind != TokenKind::kLBrace) return Finish(Step::kReject);
      return Finish(Push(pending_block_));
    case Expect::kEquals:
      if (kind == TokenKind::kEquals) {
        return Finish(Enter(Expect::kString));
      }
      if (kind == TokenKind::kLBrace && image_block_ok_) {
        return Finish(Push(Block::kImage));
      }
      return Finish(Step::kReject);
    case Expect::kString:
      if (kind != TokenKind::kString) return Finish(Step::kReject);
      expect_ = Expect::kBody;
      frames_.back().phase = property_phase_;
      return Step::kMore;
    case Expect::kAfterSeparator:
      expect_ = Expect::kBody;
      if (kind == TokenKind::kLBrace) return Finish(Push(Block::kPlain));
      break;
    case Expect::kBody:
      break;
  }
  return Finish(Body(kind));
}

DefinitionParser::Step DefinitionParser::Property(Frame& frame,
                                                  TokenKind kind) {
  std::uint64_t allowed = 0;
  std::uint8_t next_phase = frame.phase;
  bool image_block = false;
  switch (frame.block) {
    case Block::kToolbar:
      if (frame.phase == 0) allowed = kToolbarProperties;
      break;
    case Block::kPlain:
      allowed = kPlainProperties;
      break;
    case Block::kCombo:
      if (frame.phase < 2) allowed = kComboProperties;
      next_phase = 1;
      break;
    case Block::kComboValue:
      allowed = kComboValueProperties;
      next_phase = 1;
      break;
    case Block::kWebPage:
      allowed = kWebPageProperties;
      next_phase = 1;
      break;
    case Block::kGoToUrl:
      allowed = kGoToUrlProperties;
      next_phase = 1;
      break;
    case Block::kServiceCommand:
      allowed = kServiceCommandProperties;
      next_phase = 1;
      break;
    case Block::kShellExecute:
      allowed = kShellExecuteProperties;
      next_phase = 1;
      break;
    case Block::kIndicator:
      allowed = kIndicatorProperties;
      break;
    case Block::kButton:
      if (frame.phase == 0) allowed = kButtonProperties;
      image_block = true;
      break;
    case Block::kMenu:
      if (frame.phase < 2) allowed = kMenuProperties;
      next_phase = 1;
      break;
    case Block::kSubMenu:
      if (frame.phase == 0) allowed = kEntryProperties;
      image_block = true;
      break;
    case Block::kMenuItem:
      allowed = kEntryProperties;
      image_block = true;
      break;
    case Block::kImage:
      if (kind == TokenKind::kLocType && !(frame.phase & kImageLocType)) {
        allowed = Bit(kind);
        next_phase = frame.phase | kImageLocType;
      } else if (kind == TokenKind::kLocation &&
                 !(frame.phase & kImageLocation)) {
        allowed = Bit(kind);
        next_phase = frame.phase | kImageLocation;
      }
      break;
    case Block::kFile:
    case Block::kCommands:
      break;
  }
  if ((allowed & Bit(kind)) == 0) return Step::kReject;
  property_phase_ = next_phase;
  image_block_ok_ = image_block && kind == TokenKind::kImage;
  return Enter(Expect::kEquals);
}

// A MENUITEM, SUBMENU or MENUSEPARATOR inside a MENU or SUBMENU body.
DefinitionParser::Step DefinitionParser::MenuEntry(TokenKind kind) {
  switch (kind) {
    case TokenKind::kSubMenu:
      return ExpectBrace(Block::kSubMenu);
    case TokenKind::kMenuItem:
      return ExpectBrace(Block::kMenuItem);
    case TokenKind::kMenuSeparator:
      return Step::kMore;
    default:
      return Step::kReject;
  }
}

DefinitionParser::Step DefinitionParser::Body(TokenKind kind) {
  Frame& frame = frames_.back();
  if (IsPropertyName(kind)) return Property(frame, kind);
  const bool close = kind == TokenKind::kRBrace;
  switch (frame.block) {
    case Block::kFile:
      if (frame.phase == 0 && kind == TokenKind::kRyxToolbar) {
        return ExpectBrace(Block::kToolbar);
      }
      if (frame.phase == 1 && kind == TokenKind::kEnd) return Step::kAccept;
      return Step::kReject;

    case Block::kToolbar: {
      if (close) return Pop();
      Block item;
      switch (kind) {
        case TokenKind::kCombo:
          item = Block::kCombo;
          break;
        case TokenKind::kText:
          item = Block::kPlain;
          break;
        case TokenKind::kButton:
          item = Block::kButton;
          break;
        case TokenKind::kWebPage:
          item = Block::kWebPage;
          break;
        case TokenKind::kCommands:
          item = Block::kCommands;
          break;
        case TokenKind::kIndicator:
          item = Block::kIndicator;
          break;
        case TokenKind::kSeparator:
          frame.phase = 1;
          return Enter(Expect::kAfterSeparator);
        default:
          return Step::kReject;
      }
      frame.phase = 1;  // no toolbar property after the first item
      return ExpectBrace(item);
    }

    case Block::kCombo:
      if (frame.phase == 0) return Step::kReject;  // needs a property first
      if (close) return Pop();
      if (kind == TokenKind::kComboValue) {
        frame.phase = 2;  // no combo property after the first value
        return ExpectBrace(Block::kComboValue);
      }
      return Step::kReject;

    case Block::kCommands:
      if (close) return frame.phase == 0 ? Step::kReject : Pop();
      switch (kind) {
        case TokenKind::kGoToUrl:
          frame.phase = 1;
          return ExpectBrace(Block::kGoToUrl);
        case TokenKind::kServiceCommand:
          frame.phase = 1;
          return ExpectBrace(Block::kServiceCommand);
        case TokenKind::kShellExecute:
          frame.phase = 1;
          return ExpectBrace(Block::kShellExecute);
        default:
          return Step::kReject;
      }

    case Block::kButton:
      if (close) return Pop();
      if (frame.phase == 0 && kind == TokenKind::kMenu) {
        frame.phase = 1;  // the menu is the last thing in the button
        return ExpectBrace(Block::kMenu);
      }
      return Step::kReject;

    case Block::kMenu:
    case Block::kSubMenu: {
      if (close) {
        // A MENU needs properties or entries, a SUBMENU at least one entry.
        const bool empty =
            frame.block == Block::kMenu ? frame.phase == 0 : frame.phase != 1;
        return empty ? Step::kReject : Pop();
      }
      // Entries close the properties (a rejected token ends the parse).
      frame.phase = frame.block == Block::kMenu ? 2 : 1;
      return MenuEntry(kind);
    }

    case Block::kComboValue:
    case Block::kWebPage:
    case Block::kGoToUrl:
    case Block::kServiceCommand:
    case Block::kShellExecute:
      // One or more properties, then the closing brace.
      return close && frame.phase == 1 ? Pop() : Step::kReject;

    case Block::kImage:
      return close && frame.phase == kImageBoth ? Pop() : Step::kReject;

    case Block::kPlain:
    case Block::kIndicator:
    case Block::kMenuItem:
      return close ? Pop() : Step::kReject;
  }
  return Step::kReject;
}

int DefinitionParser::Parse(DefinitionScanner& scanner,
                            std::ostream& diagnostics) {
  for (;;) {
    const Token token = scanner.Next();
    stop_line_ = token.line;
    stop_column_ = token.column;
    if (token.kind == TokenKind::kError) {
      message_ = scanner.error_message();
      diagnostics << message_ << '\n';
      final_ = Step::kReject;
      return kSyntaxError;
    }
    switch (Feed(token.kind)) {
      case Step::kMore:
        continue;
      case Step::kAccept:
        message_ = {};
        return kAccepted;
      case Step::kReject:
        message_ = "parse error";
        diagnostics << "Syntax error: " << message_ << '\n';
        return kSyntaxError;
      case Step::kOverflow:
        message_ = "parser stack overflow";
        diagnostics << "Syntax error: " << message_ << '\n';
        return kStackOverflow;
    }
  }
}

}  // namespace zan
