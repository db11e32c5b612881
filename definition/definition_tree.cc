#include "definition/definition_tree.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace zan {
namespace {

static_assert(std::is_trivially_destructible_v<DefinitionNode> &&
                  std::is_trivially_destructible_v<DefinitionProperty>,
              "the arena never runs destructors");

// A file gives about one node or property per this many bytes; the first
// block of the arena is sized to hold a typical file's tree, and the arena
// grows geometrically past it.
constexpr std::size_t kInputBytesPerRecordByte = 2;
constexpr std::size_t kSmallestBlock = 4096;

}  // namespace

DefinitionTree::DefinitionTree(std::size_t input_bytes)
    : arena_(std::max(kSmallestBlock, input_bytes / kInputBytesPerRecordByte)),
      root_(&MakeNode("RYXToolBar")) {}

DefinitionNode& DefinitionTree::AddChild(DefinitionNode& parent,
                                         const char* name) {
  DefinitionNode& node = MakeNode(name);
  parent.children.Append(&node);
  return node;
}

DefinitionNode& DefinitionTree::MakeNode(const char* name) {
  return *new (arena_.allocate(sizeof(DefinitionNode), alignof(DefinitionNode)))
      DefinitionNode(name);
}

DefinitionProperty& DefinitionTree::AddProperty(DefinitionNode& node,
                                                const char* name,
                                                std::string_view value) {
  auto* property = new (
      arena_.allocate(sizeof(DefinitionProperty), alignof(DefinitionProperty)))
      DefinitionProperty(name, value);
  node.properties.Append(property);
  return *property;
}

std::string_view DefinitionTree::KeepInput(std::string bytes) {
  input_ = std::make_unique<std::string>(std::move(bytes));
  return *input_;
}

std::string_view DefinitionTree::Copy(std::string_view text) {
  char* copy = static_cast<char*>(arena_.allocate(text.size() + 1, 1));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return {copy, text.size()};
}

}  // namespace zan
