#include "definition/tree_builder.h"

#include <utility>

namespace zan {

TreeBuilder::TreeBuilder(std::size_t input_bytes) { Reset(input_bytes); }

TreeBuilder::~TreeBuilder() = default;

void TreeBuilder::Reset(std::size_t input_bytes) {
  tree_ = std::make_unique<DefinitionTree>(input_bytes);
  root_ = &tree_->root();
  current_ = root_;
  stack_.clear();
  awaiting_value_ = nullptr;
  separator_ = nullptr;
  image_held_ = false;
}

std::unique_ptr<DefinitionTree> TreeBuilder::TakeTree() {
  std::unique_ptr<DefinitionTree> tree = std::move(tree_);
  Reset(0);
  return tree;
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
  if (current_ != root_) stack_.push_back(current_);
}

void TreeBuilder::AddPropertyName(const char* name) {
  awaiting_value_ = &tree_->AddProperty(*current_, name);
}

void TreeBuilder::FlushHeldImage() {
  if (image_held_) {
    AddPropertyName("image");
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
      current_ = &tree_->AddChild(*current_, "image");
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
      stack_.push_back(root_);
      return;
    case TokenKind::kRBrace:
      if (current_ != root_) {
        if (!stack_.empty()) stack_.pop_back();
        current_ = stack_.empty() ? root_ : stack_.back();
      }
      return;
    case TokenKind::kSeparator:
    case TokenKind::kMenuSeparator: {
      DefinitionNode& node = tree_->AddChild(*current_, text.data());
      if (kind == TokenKind::kSeparator) separator_ = &node;
      return;
    }
    case TokenKind::kString:
      if (awaiting_value_ != nullptr) {
        // The literal without its two quotes.
        awaiting_value_->set_value(text.substr(1, text.size() - 2));
        awaiting_value_ = nullptr;
      }
      return;
    case TokenKind::kImage:
      image_held_ = true;
      return;
    default:
      break;
  }
  // Keyword texts are the scanner's keyword table's, which are static and
  // zero-terminated: the tree keeps them as names.
  if (IsBlockKeyword(kind)) {
    current_ = &tree_->AddChild(*current_, text.data());
  } else if (IsPropertyName(kind)) {
    AddPropertyName(text.data());
  }
  // "=" and stray characters change nothing.
}

}  // namespace zan
