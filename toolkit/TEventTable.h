// A dialog class's event table: which handler answers which notification of which control. A
// dialog searches its own table first and then its base's (see TWinDialog::Dispatch).
#pragma once

#include <initializer_list>
#include <variant>
#include <vector>

enum class TNotify {
    Clicked,          // push button, radio button or check box clicked (or Enter, see TWinDialog)
    SelectionChanged, // drop-down list selection changed
    TextChanged,      // edit field text changed
    Timer,            // window timer expired; the id is the timer id
};

constexpr int AnyId = -1; // an entry with this id matches every control or timer id

template <class D> class TEventTable {
public:
    using WithId = void (D::*)(int id);
    using WithoutId = void (D::*)();

    struct TEntry {
        TNotify Kind;
        int Id;
        std::variant<WithId, WithoutId> Handler;
    };

    TEventTable(std::initializer_list<TEntry> entries) : Entries(entries) {}

    // Runs the first entry matching kind and id; 1 when there was one.
    bool Dispatch(D& dialog, TNotify kind, int id) const {
        for (const TEntry& entry : Entries) {
            if (entry.Kind != kind || (entry.Id != id && entry.Id != AnyId))
                continue;
            if (const auto* handler = std::get_if<WithId>(&entry.Handler))
                (dialog.**handler)(id);
            else
                (dialog.*std::get<WithoutId>(entry.Handler))();
            return true;
        }
        return false;
    }

private:
    std::vector<TEntry> Entries;
};
