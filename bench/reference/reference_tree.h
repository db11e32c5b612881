#ifndef ZAN_BENCH_REFERENCE_REFERENCE_TREE_H_
#define ZAN_BENCH_REFERENCE_REFERENCE_TREE_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zan::reference {

// The tree of named nodes with property lists that the reference
// recogniser builds, one heap object per node and per text.
struct Node {
  explicit Node(std::string node_name) : name(std::move(node_name)) {}
  // Without recursion, as deep trees need.
  ~Node();

  std::string name;
  std::vector<std::string> property_names;
  std::vector<std::string> property_values;
  std::vector<std::unique_ptr<Node>> children;
};

// The stack machine that the scanner's rule actions drive: a block keyword
// makes a new current node, "{" pushes it, "}" pops back.
class TreeBuilder {
 public:
  TreeBuilder();
  void Toolbar();
  void Block(std::string_view keyword);
  // SEPARATOR and MENUSEPARATOR: a child that does not become current
  // (a SEPARATOR with a block does, at its "{").
  void Blockless(std::string_view keyword, bool separator);
  void Open();
  void Close();
  void PropertyName(std::string_view name);
  void String(std::string_view literal);

  std::unique_ptr<Node> TakeRoot() { return std::move(root_); }

 private:
  std::unique_ptr<Node> root_;
  Node* current_;
  Node* separator_ = nullptr;
  std::vector<Node*> stack_;
};

// Scans and recognises `text` with the generated scanner and parser; the
// tree goes to `root` on success. 0 success, 1 syntax error, 2 stack
// exhausted.
int ParseText(std::string_view text, std::unique_ptr<Node>* root);
// The same over a file read by the scanner's own input routine.
int ParseFile(const char* path, std::unique_ptr<Node>* root);

}  // namespace zan::reference

#endif  // ZAN_BENCH_REFERENCE_REFERENCE_TREE_H_
