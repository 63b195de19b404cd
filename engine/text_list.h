// A list of texts walked through opaque positions, as the exported interface hands them out:
// GetDriverName and GetFilterList take nothing but a position, so a position must lead to its
// text and to the next position on its own.
#pragma once

#include <string>

namespace scavrel {

struct TextListNode {
  std::string text;
  TextListNode* next = nullptr;
};

// The position handle of the interface: null past the end.
using ListPosition = TextListNode*;

class TextList {
 public:
  TextList() = default;
  ~TextList() { Clear(); }
  TextList(const TextList&) = delete;
  TextList& operator=(const TextList&) = delete;

  void Add(std::string text) {
    auto* node = new TextListNode{std::move(text), nullptr};
    if (tail_ == nullptr) {
      head_ = node;
    } else {
      tail_->next = node;
    }
    tail_ = node;
    ++count_;
  }

  void Clear() {
    while (head_ != nullptr) {
      TextListNode* next = head_->next;
      delete head_;
      head_ = next;
    }
    tail_ = nullptr;
    count_ = 0;
  }

  ListPosition Head() const { return head_; }
  bool Empty() const { return head_ == nullptr; }
  size_t Count() const { return count_; }

 private:
  TextListNode* head_ = nullptr;
  TextListNode* tail_ = nullptr;
  size_t count_ = 0;
};

}  // namespace scavrel
