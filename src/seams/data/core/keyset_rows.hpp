#pragma once

// The state every driver's keyset cursor keeps, whatever finds its rows again: the rows read
// so far, the rows it wrote, where it stands, and the values assigned and not yet written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ortiva/variant.hpp"

namespace ortiva::detail {

/// Rows of a keyset: those the query gave, read only when asked for, then those the cursor
/// added. `more` reads one more row of the query into `read`, false once it is done.
template <class Row>
class KeysetRows {
  public:
    struct Position {
        bool added = false;  // in added, else in read
        std::size_t index = 0;
    };

    std::vector<Row> read;
    std::vector<Row> added;
    Position pos;

    /// Brings a position past the rows read so far onto the next row, or past them into the
    /// added ones.
    template <class More>
    void settle(More&& more) {
        while (!pos.added && pos.index >= read.size()) {
            if (!more()) pos = {true, pos.index - read.size()};
        }
    }
    template <class More>
    bool at_end(More&& more) {
        settle(more);
        return pos.added && pos.index >= added.size();
    }
    template <class More>
    void next(More&& more) {
        settle(more);
        ++pos.index;
    }
    void rewind() { pos = {false, 0}; }
    Row& current() { return pos.added ? added[pos.index] : read[pos.index]; }
    /// Stands on the last added row when there are more than `before`.
    void stand_on_last_added(std::size_t before) {
        if (added.size() > before) pos = {true, added.size() - 1};
    }
    void clear() {
        read.clear();
        added.clear();
    }
};

/// Values assigned to the row being added or changed, by field.
struct EditBuffer {
    bool adding = false;
    bool editing = false;
    std::vector<std::optional<Variant>> values;

    bool pending() const { return adding || editing; }
    /// What field index shows while a row is added or changed; nullopt when the row's own
    /// value shows.
    std::optional<Variant> shown(int32_t index) const {
        if (!adding && !editing) return std::nullopt;
        if (const auto& v = values[index]) return *v;
        if (adding) return Variant::null();
        return std::nullopt;
    }
    void start_row(std::size_t fields) {
        values.assign(fields, std::nullopt);
        adding = true;
    }
    void start_edit(std::size_t fields) {
        if (!editing) values.assign(fields, std::nullopt);
        editing = true;
    }
    void clear() {
        adding = editing = false;
        values.clear();
    }
};

}  // namespace ortiva::detail
