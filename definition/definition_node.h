#ifndef ZAN_DEFINITION_DEFINITION_NODE_H_
#define ZAN_DEFINITION_DEFINITION_NODE_H_

#include <memory>
#include <string>
#include <vector>

namespace zan {

// One block of a definition file. Values are the literal's text without its
// quotes, escapes not yet resolved; the loaders convert and resolve them.
struct DefinitionNode {
  explicit DefinitionNode(std::string node_name) : name(std::move(node_name)) {}

  std::string name;
  std::vector<std::string> property_names;
  std::vector<std::string> property_values;
  std::vector<std::unique_ptr<DefinitionNode>> children;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_NODE_H_
