#include "definition/tree_builder.h"

#include <utility>

namespace zan {

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

void TreeBuilder::OpenBlock() {
  if (current_ != root_.get()) stack_.push_back(current_);
}

void TreeBuilder::FlushHeldImage() {
  if (image_held_) {
    current_->property_names.emplace_back("image");
    image_held_ = false;
  }
}

void TreeBuilder::OnToken(TokenKind kind, std::string_view text) {
  if (kind == TokenKind::kEnd || kind == TokenKind::kError) return;
  if (kind != TokenKind::kEquals && kind != TokenKind::kChar) {
    previous_token_.swap(last_token_);
    last_token_.assign(text);
  }

  DefinitionNode* separator = separator_;
  separator_ = nullptr;
  if (kind == TokenKind::kLBrace) {
    if (image_held_) {
      image_held_ = false;
      current_->children.push_back(std::make_unique<DefinitionNode>("image"));
      current_ = current_->children.back().get();
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
      current_->children.push_back(
          std::make_unique<DefinitionNode>(std::string(text)));
      if (kind == TokenKind::kSeparator) {
        separator_ = current_->children.back().get();
      }
      return;
    }
    case TokenKind::kString:
      current_->property_values.emplace_back(
          text.size() >= 2 ? text.substr(1, text.size() - 2)
                           : std::string_view());
      return;
    case TokenKind::kImage:
      image_held_ = true;
      return;
    default:
      break;
  }
  if (IsBlockKeyword(kind)) {
    current_->children.push_back(
        std::make_unique<DefinitionNode>(std::string(text)));
    current_ = current_->children.back().get();
  } else if (IsPropertyName(kind)) {
    current_->property_names.emplace_back(text);
  }
  // "=" and stray characters change nothing.
}

}  // namespace zan
