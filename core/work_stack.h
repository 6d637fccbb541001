// A stack of work items that grows and never shrinks: the machine's walks push and pop
// millions of items, so the common path is a store and an increment. A walk that may run
// re-entrantly (a built-in that runs the machine again) works above the size it found, its
// floor, and leaves the stack as it found it.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace rill {

template <class T> class WorkStack {
public:
    bool empty(std::size_t floor) const { return size_ == floor; }
    std::size_t size() const { return size_; }
    void push(T item) {
        if (size_ == capacity_) [[unlikely]]
            grow();
        items_[size_++] = std::move(item);
    }
    T& top() { return items_[size_ - 1]; }
    // Room for n more items above the top, for a walk that pushes through a raw pointer and
    // then sets the size it reached.
    T* reserve(std::size_t n) {
        while (capacity_ < size_ + n)
            grow();
        return items_.data() + size_;
    }
    T* base() { return items_.data(); }
    void resize(std::size_t size) { size_ = size; }
    T& at(std::size_t i) { return items_[i]; }
    T pop() { return std::move(items_[--size_]); }

private:
    [[gnu::noinline]] void grow() {
        items_.resize(items_.size() * 2 + 64);
        capacity_ = items_.size();
    }

    std::vector<T> items_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // items_.size(), kept at hand for the common path
};

} // namespace rill
