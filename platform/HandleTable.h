#pragma once

#include <QHash>

#include <cstdint>
#include <utility>

namespace platform {

// A table of 32-bit handles, the way the program passes windows and icons
// around: each key gets the next handle at its first request and keeps it,
// and a handle names its value until it is removed. Handles go up in steps of
// four from `first`, so they are never 0 and never a small number by chance.
template <typename Key, typename Value> class HandleTable {
public:
    explicit HandleTable(std::uint32_t first) : next_(first) {}

    // The handle of `key`, and whether it was given just now (to `value`).
    std::pair<std::uint32_t, bool> handleOf(const Key& key, const Value& value) {
        const auto it = byKey_.constFind(key);
        if (it != byKey_.constEnd())
            return {*it, false};
        const std::uint32_t h = next_;
        next_ += 4;
        byHandle_.insert(h, value);
        byKey_.insert(key, h);
        return {h, true};
    }

    // The value of a handle; a default value when it names none.
    Value valueOf(std::uint32_t handle) const { return byHandle_.value(handle); }

    void remove(std::uint32_t handle, const Key& key) {
        byHandle_.remove(handle);
        byKey_.remove(key);
    }

private:
    QHash<std::uint32_t, Value> byHandle_;
    QHash<Key, std::uint32_t> byKey_;
    std::uint32_t next_;
};

} // namespace platform
