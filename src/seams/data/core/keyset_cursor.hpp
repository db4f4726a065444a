#pragma once

// The updatable keyset cursor every driver shares: moving, the row being added or changed and
// when it is written. A driver supplies only reading rows, finding a row again and writing.
//
// When rows are written: a row added by AddNew is complete at the next AddNew and waits there;
// the waiting rows and the row in hand are written together, in order, at Update, UpdateBatch
// or a move. Close (or releasing the cursor) writes the waiting rows and drops only the row in
// hand. A changed existing row is written at Update, a move or the next AddNew. Rows already
// written stay written after a failure: the failing row is in hand again to be mended, and the
// rows after it wait to be written with it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

#include "ortiva/variant.hpp"
#include "seams/data/core/keyset_rows.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::detail {

using Edits = std::vector<std::optional<Variant>>;

/// Row holds at least `std::vector<Variant> values` and `bool stale` (written since read).
/// Base is the driver's own CursorDriver, whose constructor this one takes.
template <class Row, class Base = CursorDriver>
class KeysetCursor : public Base {
  public:
    using Base::Base;

    bool eof() const override {
        if (edits_.adding) return false;
        return rows_.at_end([this] { return fetch(); });
    }

    int32_t record_count() const override {
        drain();
        // Waiting rows count as written, as they will be.
        return static_cast<int32_t>(rows_.read.size() + rows_.added.size() + waiting_.size());
    }

    void move_first() override {
        write_pending();
        rows_.rewind();
    }

    void move_next() override {
        write_pending();
        rows_.next([this] { return fetch(); });
    }

    Variant value(int32_t index) const override {
        if (auto shown = edits_.shown(index)) return *shown;
        rows_.settle([this] { return fetch(); });
        Row& row = rows_.current();
        if (row.stale) reload(row);
        return row.values[index];
    }

    void set_value(int32_t index, const Variant& v) override {
        check_updatable();
        Variant stored = storable(index, v);
        if (!edits_.adding) {
            rows_.settle([this] { return fetch(); });
            edits_.start_edit(static_cast<std::size_t>(this->field_count()));
        }
        edits_.values[index] = std::move(stored);
    }

    void add_new() override {
        check_updatable();
        if (edits_.adding) {
            waiting_.push_back(std::move(edits_.values));
        } else if (edits_.editing) {
            write_changed();
        }
        edits_.start_row(static_cast<std::size_t>(this->field_count()));
    }

    void update() override { write_pending(); }
    void update_batch(int32_t) override { write_pending(); }
    bool adding() const override { return edits_.adding; }
    bool has_pending_changes() const override { return edits_.pending(); }

  protected:
    /// Reads one more row of the query into rows_.read; false once the query is done.
    virtual bool fetch() const = 0;
    /// Reads a written row again by its key, so that it shows as the database keeps it.
    virtual void reload(Row& row) const = 0;
    /// Throws 3251 (or the driver's refusal) when this cursor's rows cannot be written.
    virtual void check_updatable() const = 0;
    /// The value field index stores for v; throws when the field cannot be written.
    virtual Variant storable(int32_t index, const Variant& v) const = 0;
    /// Writes rows in order, appending to `stored` (the keyset's added rows) each row as it is
    /// written; throws at the first that fails, with `stored` holding those before it.
    virtual void insert_rows(std::vector<Edits>& rows, std::vector<Row>& stored) = 0;
    /// Writes the assigned values of an existing row, found by its key.
    virtual void update_row(Row& row, const Edits& edits) = 0;
    /// Called before every write, before the current row is looked up: a driver that must
    /// read the rest of the query first does it here.
    virtual void before_write() {}

    void drain() const {
        while (fetch()) {
        }
    }

    /// For a driver's close: writes the waiting rows, drops the row in hand and every row.
    void close_rows() {
        edits_.clear();
        std::vector<Edits> waiting = std::move(waiting_);
        waiting_.clear();
        try {
            if (!waiting.empty()) write_added(waiting);
        } catch (...) {
            forget();
            throw;
        }
        forget();
    }

    const Edits& edits() const { return edits_.values; }

    mutable KeysetRows<Row> rows_;

  private:
    void forget() {
        edits_.clear();
        waiting_.clear();
        rows_.clear();
    }

    void write_pending() {
        if (edits_.adding) {
            std::vector<Edits> rows = std::move(waiting_);
            waiting_.clear();
            rows.push_back(std::move(edits_.values));
            edits_.clear();
            write_added(rows);
        } else if (edits_.editing) {
            write_changed();
        }
    }

    void write_changed() {
        before_write();
        update_row(rows_.current(), edits_.values);
        edits_.clear();
    }

    // The rows join the keyset as they are written, and the cursor stands on the last
    // written. They go straight into rows_.added: a batch of thousands is not moved twice.
    void write_added(std::vector<Edits>& rows) {
        auto& added = rows_.added;
        const std::size_t before = added.size();
        // Room for a batch at once, still growing geometrically when rows come one at a time.
        if (added.capacity() < before + rows.size())
            added.reserve(std::max(before + rows.size(), 2 * added.capacity()));
        try {
            before_write();
            insert_rows(rows, added);
        } catch (...) {
            const std::size_t failed = added.size() - before;
            rows_.stand_on_last_added(before);
            if (failed < rows.size()) {
                edits_.values = std::move(rows[failed]);
                edits_.adding = true;
                waiting_.assign(std::make_move_iterator(rows.begin() + failed + 1),
                                std::make_move_iterator(rows.end()));
            }
            throw;
        }
        rows_.stand_on_last_added(before);
    }

    EditBuffer edits_;
    std::vector<Edits> waiting_;  // complete added rows not yet written
};

}  // namespace ortiva::detail
