#ifndef ZAN_DEFINITION_DEFINITION_NODE_H_
#define ZAN_DEFINITION_DEFINITION_NODE_H_

#include <cstddef>
#include <iterator>
#include <string_view>

namespace zan {

// A singly linked list of records that carry their own `next` link. It owns
// nothing: the records live in the arena of their DefinitionTree.
template <typename Record>
class LinkedRecords {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Record;
    using difference_type = std::ptrdiff_t;
    using pointer = const Record*;
    using reference = const Record&;

    Iterator() = default;
    explicit Iterator(const Record* record) : record_(record) {}
    const Record& operator*() const { return *record_; }
    const Record* operator->() const { return record_; }
    Iterator& operator++() {
      record_ = record_->next;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      record_ = record_->next;
      return before;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    const Record* record_ = nullptr;
  };

  Iterator begin() const { return Iterator(first_); }
  Iterator end() const { return Iterator(); }
  bool empty() const { return first_ == nullptr; }
  std::size_t size() const { return size_; }
  const Record& front() const { return *first_; }
  Record* last() { return last_; }

  void Append(Record* record) {
    if (last_ == nullptr) {
      first_ = record;
    } else {
      last_->next = record;
    }
    last_ = record;
    ++size_;
  }

 private:
  Record* first_ = nullptr;
  Record* last_ = nullptr;
  std::size_t size_ = 0;
};

// One property of a block: its name and the literal's text without its
// quotes, escapes not yet resolved (the loaders convert and resolve them).
struct DefinitionProperty {
  std::string_view name;
  std::string_view value;
  DefinitionProperty* next = nullptr;
};

// One block of a definition file: the keyword that opened it, its
// properties in file order and its nested blocks in file order. Nodes are
// made by a DefinitionTree and live as long as it; their texts refer to the
// tree's input or to the keyword table.
struct DefinitionNode {
  explicit DefinitionNode(std::string_view node_name) : name(node_name) {}

  std::string_view name;
  LinkedRecords<DefinitionProperty> properties;
  LinkedRecords<DefinitionNode> children;
  // The next block of the same parent.
  DefinitionNode* next = nullptr;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_NODE_H_
