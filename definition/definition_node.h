#ifndef ZAN_DEFINITION_DEFINITION_NODE_H_
#define ZAN_DEFINITION_DEFINITION_NODE_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zan {

// One block of a definition file. Values are the literal's text without its
// quotes, escapes not yet resolved; the loaders convert and resolve them.
struct DefinitionNode {
  explicit DefinitionNode(std::string node_name) : name(std::move(node_name)) {}
  DefinitionNode(DefinitionNode&&) = default;
  DefinitionNode& operator=(DefinitionNode&&) = default;
  // Takes the subtree apart without recursion, so that destroying a tree
  // never needs stack in proportion to its depth: the children list serves
  // as the work list, and every node dies with no children left.
  ~DefinitionNode() {
    while (!children.empty()) {
      std::unique_ptr<DefinitionNode> node = std::move(children.back());
      children.pop_back();
      if (node == nullptr) continue;
      for (auto& grandchild : node->children) {
        children.push_back(std::move(grandchild));
      }
      node->children.clear();
    }
  }

  std::string name;
  std::vector<std::string> property_names;
  std::vector<std::string> property_values;
  std::vector<std::unique_ptr<DefinitionNode>> children;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_NODE_H_
