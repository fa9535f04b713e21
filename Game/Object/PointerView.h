// A read-only view of a list of owned objects as plain pointers, in list
// order. Callers walk, index and count the objects without being able to
// take one away from its owner or slip one in.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

template <class T>
class PointerView {
public:
    using Items = std::vector<std::unique_ptr<T>>;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T* const*;
        using reference = T*;

        explicit Iterator(typename Items::const_iterator it) : it_(it) {}
        T* operator*() const { return it_->get(); }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const Iterator& other) const { return it_ == other.it_; }
        bool operator!=(const Iterator& other) const { return it_ != other.it_; }

    private:
        typename Items::const_iterator it_;
    };

    explicit PointerView(const Items& items) : items_(&items) {}

    Iterator begin() const { return Iterator(items_->begin()); }
    Iterator end() const { return Iterator(items_->end()); }
    size_t size() const { return items_->size(); }
    bool empty() const { return items_->empty(); }
    T* operator[](size_t i) const { return (*items_)[i].get(); }
    T* front() const { return items_->front().get(); }
    T* back() const { return items_->back().get(); }

private:
    const Items* items_;
};
