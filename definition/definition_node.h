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
  const Record& front() const { return *first_; }

  void Append(Record* record) {
    if (last_ == nullptr) {
      first_ = record;
    } else {
      last_->next = record;
    }
    last_ = record;
  }

 private:
  Record* first_ = nullptr;
  Record* last_ = nullptr;
};

// Records are small because a file has many of them: a name is kept as a
// zero-terminated text, of the keyword table or kept by the tree.

// One property of a block: its name and the literal's text without its
// quotes, escapes not yet resolved (the loaders convert and resolve them).
class DefinitionProperty {
 public:
  DefinitionProperty(const char* name, std::string_view value)
      : name_(name), value_(value) {}

  std::string_view name() const { return name_; }
  std::string_view value() const { return value_; }
  void set_value(std::string_view value) { value_ = value; }

  DefinitionProperty* next = nullptr;

 private:
  const char* name_;
  std::string_view value_;
};

// One block of a definition file: the keyword that opened it, its
// properties in file order and its nested blocks in file order. Nodes are
// made by a DefinitionTree and live as long as it.
class DefinitionNode {
 public:
  // The loaders compare a node's name often, so it keeps its length.
  explicit DefinitionNode(const char* name) : name_(name) {}

  std::string_view name() const { return name_; }

  LinkedRecords<DefinitionProperty> properties;
  LinkedRecords<DefinitionNode> children;
  // The next block of the same parent.
  DefinitionNode* next = nullptr;

 private:
  std::string_view name_;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_NODE_H_
