#ifndef ZAN_DEFINITION_TREE_BUILDER_H_
#define ZAN_DEFINITION_TREE_BUILDER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "definition/definition_node.h"
#include "definition/definition_scanner.h"
#include "definition/definition_tree.h"

namespace zan {

// Grows the parse tree from the tokens in the order they are scanned, by a
// small stack machine: a block keyword makes a new current node, "{" pushes
// the current node, "}" pops back to the enclosing one. It also keeps the
// last-token record shown when a parse fails.
//
// The builder accepts any token sequence without harm; only the tree of a
// sequence that the recogniser accepts is meaningful. In such a tree every
// property name is followed by its value; a value without a name before it
// is dropped.
class TreeBuilder {
 public:
  // Starts with a root named "RYXToolBar" as the current node. The tree's
  // first arena block is sized for an input of `input_bytes`.
  explicit TreeBuilder(std::size_t input_bytes = 0);
  ~TreeBuilder();
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // `text` must live as long as the tree: string values are kept as views.
  void OnToken(TokenKind kind, std::string_view text);

  // The tree built so far; the builder starts a new, empty one.
  std::unique_ptr<DefinitionTree> TakeTree();
  // Lets the tree keep the input that its texts will refer to.
  std::string_view KeepInput(std::string bytes) {
    return tree_->KeepInput(std::move(bytes));
  }

  // The two last recorded token texts ("=" and stray characters are not
  // recorded; a string literal is recorded with its quotes).
  std::string_view previous_token() const { return previous_token_; }
  std::string_view last_token() const { return last_token_; }

  // The record refers to the scanner's input; a scanner that owns its
  // input calls this before it goes, to copy the two texts.
  void KeepRecordedTokens();

 private:
  void Reset(std::size_t input_bytes);
  void OpenBlock();
  // Applies a property name that was held back to see whether an image
  // block follows it.
  void FlushHeldImage();
  void AddPropertyName(const char* name);

  std::unique_ptr<DefinitionTree> tree_;
  DefinitionNode* root_;
  DefinitionNode* current_;
  std::vector<DefinitionNode*> stack_;
  // The property whose value the next string literal is.
  DefinitionProperty* awaiting_value_ = nullptr;
  // The SEPARATOR node created by the token just before, if any: a "{" right
  // after it opens that separator's block.
  DefinitionNode* separator_ = nullptr;
  // An "image" property name just seen: followed by "{" it opens an image
  // block, recorded as a child node named "image" so that its "loctype" and
  // "location" stay paired with their values.
  bool image_held_ = false;
  std::string_view previous_token_;
  std::string_view last_token_;
  std::string previous_kept_;
  std::string last_kept_;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_TREE_BUILDER_H_
