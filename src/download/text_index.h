// A table from texts to values for the search's many look-ups: open
// addressing over one array of slots, the entries kept in the order they
// came. A look-up reads a slot and an entry, where a table of linked nodes
// reads three scattered places; the walks of a search, which look entries up
// in about the order they were added, mostly read the next entry alone.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kt::download {

template <typename Value>
class TextIndex {
public:
    // Adds `key` with `value` unless `key` is there already: the first value stays.
    void Add(std::string_view key, const Value& value) {
        if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
        const std::size_t hash = Hash(key);
        std::size_t at = hash & Mask();
        for (; slots_[at].entry != 0; at = (at + 1) & Mask()) {
            if (Holds(slots_[at], hash, key)) return;
        }
        entries_.emplace_back(std::string(key), value);
        slots_[at] = {hash, entries_.size()};
    }

    // The value of `key`, or null.
    const Value* Find(std::string_view key) const {
        const std::size_t entry = Locate(key);
        return entry == kNone ? nullptr : &entries_[entry].second;
    }

    // As Find, trying first the entry after the one this found last: keys
    // are unique, so an entry that holds `key` is the one the slots lead to.
    const Value* FindNext(std::string_view key) {
        if (next_ >= entries_.size() || entries_[next_].first != key) next_ = Locate(key);
        if (next_ == kNone) return nullptr;
        return &entries_[next_++].second;
    }

    std::size_t Size() const { return entries_.size(); }

    void Clear() {
        entries_.clear();
        std::fill(slots_.begin(), slots_.end(), Slot{});
        next_ = 0;
    }

private:
    struct Slot {
        std::size_t hash = 0;
        // The entry's place plus one; 0 for a free slot.
        std::size_t entry = 0;
    };

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    static std::size_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
    std::size_t Mask() const { return slots_.size() - 1; }
    bool Holds(const Slot& slot, std::size_t hash, std::string_view key) const {
        return slot.hash == hash && entries_[slot.entry - 1].first == key;
    }

    // The place of the entry that holds `key`, or kNone.
    std::size_t Locate(std::string_view key) const {
        if (slots_.empty()) return kNone;
        const std::size_t hash = Hash(key);
        for (std::size_t at = hash & Mask(); slots_[at].entry != 0; at = (at + 1) & Mask()) {
            if (Holds(slots_[at], hash, key)) return slots_[at].entry - 1;
        }
        return kNone;
    }

    // Doubles the slots (a power of two, at most half used).
    void Grow() {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(16, slots_.size() * 2)));
        for (const Slot& slot : old) {
            if (slot.entry == 0) continue;
            std::size_t at = slot.hash & Mask();
            while (slots_[at].entry != 0) at = (at + 1) & Mask();
            slots_[at] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::vector<std::pair<std::string, Value>> entries_;
    std::size_t next_ = 0;
};

}  // namespace kt::download
