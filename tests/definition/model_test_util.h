#ifndef ZAN_TESTS_DEFINITION_MODEL_TEST_UTIL_H_
#define ZAN_TESTS_DEFINITION_MODEL_TEST_UTIL_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "definition/definition_node.h"
#include "definition/definition_tree.h"
#include "platform/ui.h"

namespace zan::testing_util {

// One message box as the user would have seen it.
struct ShownBox {
  std::string caption;
  std::string text;
  MessageBoxButtons buttons;
  bool operator==(const ShownBox& other) const {
    return caption == other.caption && text == other.text &&
           buttons == other.buttons;
  }
};

// A Ui that answers OK to every box and remembers them in order.
class RecordingUi : public Ui {
 public:
  MessageBoxAnswer ShowMessageBox(const std::string& text,
                                  const std::string& caption,
                                  MessageBoxButtons buttons,
                                  MessageBoxIcon /*icon*/) override {
    boxes.push_back({caption, text, buttons});
    return MessageBoxAnswer::kOk;
  }
  std::vector<ShownBox> boxes;
};

inline ShownBox OkBox(std::string caption, std::string text) {
  return {std::move(caption), std::move(text), MessageBoxButtons::kOk};
}

using Properties = std::vector<std::pair<std::string, std::string>>;

// The tree that hand-built nodes live in, for the whole test program.
inline DefinitionTree& TestTree() {
  static DefinitionTree tree;
  return tree;
}

// Builds a parse-tree node by hand, as the tree builder would have.
template <typename... Children>
DefinitionNode* Node(const std::string& name, const Properties& properties,
                     Children... children) {
  DefinitionTree& tree = TestTree();
  DefinitionNode* node = &tree.MakeNode(tree.Copy(name).data());
  for (const auto& [property, value] : properties) {
    tree.AddProperty(*node, tree.Copy(property).data(), tree.Copy(value));
  }
  (node->children.Append(children), ...);
  return node;
}

}  // namespace zan::testing_util

#endif  // ZAN_TESTS_DEFINITION_MODEL_TEST_UTIL_H_
