#include "bench/reference/reference_tree.h"

namespace zan::reference {

Node::~Node() {
  while (!children.empty()) {
    std::unique_ptr<Node> node = std::move(children.back());
    children.pop_back();
    for (auto& grandchild : node->children) {
      children.push_back(std::move(grandchild));
    }
    node->children.clear();
  }
}

TreeBuilder::TreeBuilder()
    : root_(std::make_unique<Node>("RYXToolBar")), current_(root_.get()) {}

void TreeBuilder::Toolbar() {
  separator_ = nullptr;
  stack_.push_back(root_.get());
}

void TreeBuilder::Block(std::string_view keyword) {
  separator_ = nullptr;
  current_->children.push_back(std::make_unique<Node>(std::string(keyword)));
  current_ = current_->children.back().get();
}

void TreeBuilder::Blockless(std::string_view keyword, bool separator) {
  current_->children.push_back(std::make_unique<Node>(std::string(keyword)));
  separator_ = separator ? current_->children.back().get() : nullptr;
}

void TreeBuilder::Open() {
  if (separator_ != nullptr) current_ = separator_;
  separator_ = nullptr;
  if (current_ != root_.get()) stack_.push_back(current_);
}

void TreeBuilder::Close() {
  separator_ = nullptr;
  if (current_ == root_.get()) return;
  if (!stack_.empty()) stack_.pop_back();
  current_ = stack_.empty() ? root_.get() : stack_.back();
}

void TreeBuilder::PropertyName(std::string_view name) {
  separator_ = nullptr;
  current_->property_names.emplace_back(name);
}

void TreeBuilder::String(std::string_view literal) {
  separator_ = nullptr;
  current_->property_values.emplace_back(literal.substr(1, literal.size() - 2));
}

}  // namespace zan::reference
