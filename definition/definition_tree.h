#ifndef ZAN_DEFINITION_DEFINITION_TREE_H_
#define ZAN_DEFINITION_DEFINITION_TREE_H_

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>

#include "definition/definition_node.h"

namespace zan {

// The parse tree of one definition file. Its nodes and properties sit in
// one arena that the tree owns and releases at once; nothing in it has a
// destructor to run, so a tree of any depth or size goes away in a few
// frees. Values are views into the input, which the tree may keep (see
// KeepInput); names are zero-terminated texts that must outlive the tree
// (the keyword table's, or copies made by Copy).
class DefinitionTree {
 public:
  // `input_bytes` sizes the arena's first block for a file of that size.
  explicit DefinitionTree(std::size_t input_bytes = 0);
  DefinitionTree(const DefinitionTree&) = delete;
  DefinitionTree& operator=(const DefinitionTree&) = delete;

  // The root stands for the toolbar block; it is named "RYXToolBar".
  DefinitionNode& root() { return *root_; }
  const DefinitionNode& root() const { return *root_; }

  DefinitionNode& AddChild(DefinitionNode& parent, const char* name);
  // A node not yet in the tree; `parent.children.Append(&node)` puts it in.
  DefinitionNode& MakeNode(const char* name);
  DefinitionProperty& AddProperty(DefinitionNode& node, const char* name,
                                  std::string_view value = {});

  // Takes the bytes the tree's texts refer to, when no one else keeps them.
  std::string_view KeepInput(std::string bytes);
  // A copy of `text` that lives as long as the tree; a zero byte follows
  // it, so that its data() can serve as a name.
  std::string_view Copy(std::string_view text);

 private:
  std::pmr::monotonic_buffer_resource arena_;
  std::unique_ptr<std::string> input_;
  DefinitionNode* root_;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_TREE_H_
