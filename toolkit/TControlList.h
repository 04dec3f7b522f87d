// A dialog's list of one kind of control: adding puts the control at the front, so a sweep
// visits the newest first.
#pragma once

#include <forward_list>

template <class T> class TControlList {
public:
    void Add(T* control) {
        if (control != nullptr)
            Items.push_front(control);
    }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }
    bool Empty() const { return Items.empty(); }
    void Clear() { Items.clear(); }

private:
    std::forward_list<T*> Items;
};
