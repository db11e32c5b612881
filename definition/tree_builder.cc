#include "definition/tree_builder.h"

#include <utility>

namespace zan {
namespace {

// Most blocks hold a handful of properties and children: starting each list
// with room for four saves the first reallocations of its growth.
template <typename List>
List& Grown(List& list) {
  if (list.capacity() == 0) list.reserve(4);
  return list;
}

DefinitionNode* AppendChild(DefinitionNode* parent, std::string_view name) {
  auto& children = Grown(parent->children);
  children.push_back(std::make_unique<DefinitionNode>(std::string(name)));
  return children.back().get();
}

}  // namespace

TreeBuilder::TreeBuilder()
    : root_(std::make_unique<DefinitionNode>("RYXToolBar")),
      current_(root_.get()) {}

TreeBuilder::~TreeBuilder() = default;

std::unique_ptr<DefinitionNode> TreeBuilder::TakeRoot() {
  std::unique_ptr<DefinitionNode> root = std::move(root_);
  root_ = std::make_unique<DefinitionNode>("RYXToolBar");
  current_ = root_.get();
  stack_.clear();
  separator_ = nullptr;
  image_held_ = false;
  return root;
}

void TreeBuilder::KeepRecordedTokens() {
  std::string previous(previous_token_);
  std::string last(last_token_);
  previous_kept_.swap(previous);
  last_kept_.swap(last);
  previous_token_ = previous_kept_;
  last_token_ = last_kept_;
}

void TreeBuilder::OpenBlock() {
  if (current_ != root_.get()) stack_.push_back(current_);
}

void TreeBuilder::FlushHeldImage() {
  if (image_held_) {
    Grown(current_->property_names).emplace_back("image");
    image_held_ = false;
  }
}

void TreeBuilder::OnToken(TokenKind kind, std::string_view text) {
  if (kind == TokenKind::kEnd || kind == TokenKind::kError) return;
  if (kind != TokenKind::kEquals && kind != TokenKind::kChar) {
    previous_token_ = last_token_;
    last_token_ = text;
  }

  DefinitionNode* separator = separator_;
  separator_ = nullptr;
  if (kind == TokenKind::kLBrace) {
    if (image_held_) {
      image_held_ = false;
      current_ = AppendChild(current_, "image");
      stack_.push_back(current_);
      return;
    }
    if (separator != nullptr) current_ = separator;
    OpenBlock();
    return;
  }
  FlushHeldImage();

  switch (kind) {
    case TokenKind::kRyxToolbar:
      stack_.push_back(root_.get());
      return;
    case TokenKind::kRBrace:
      if (current_ != root_.get()) {
        if (!stack_.empty()) stack_.pop_back();
        current_ = stack_.empty() ? root_.get() : stack_.back();
      }
      return;
    case TokenKind::kSeparator:
    case TokenKind::kMenuSeparator: {
      DefinitionNode* node = AppendChild(current_, text);
      if (kind == TokenKind::kSeparator) separator_ = node;
      return;
    }
    case TokenKind::kString:
      Grown(current_->property_values)
          .emplace_back(text.size() >= 2 ? text.substr(1, text.size() - 2)
                                         : std::string_view());
      return;
    case TokenKind::kImage:
      image_held_ = true;
      return;
    default:
      break;
  }
  if (IsBlockKeyword(kind)) {
    current_ = AppendChild(current_, text);
  } else if (IsPropertyName(kind)) {
    Grown(current_->property_names).emplace_back(text);
  }
  // "=" and stray characters change nothing.
}

}  // namespace zan
