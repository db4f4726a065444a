#pragma once

// The forward-only, read-only cursor every driver shares: it streams a statement's rows and
// holds none. A driver supplies only its native calls: fetching a row, reading a value of it,
// running the statement again and giving it back. They are called directly, not through the
// vtable, so that reading a value costs no call beyond the cursor's own.
//
// MoveFirst on the first row does nothing; elsewhere it runs the statement again, which only a
// statement that merely reads may do (others are refused, the cursor left as it was). After a
// failed fetch the cursor has no rows and reports that failure again at every move, instead of
// letting the database run the statement from its start behind the caller's back; MoveFirst
// starts it over.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ortiva/error_info.hpp"
#include "ortiva/variant.hpp"
#include "seams/data/core/cursors.hpp"

namespace ortiva::detail {

/// Base is the driver's CursorDriver, whose constructor this one takes. Rows is the driver's
/// class deriving from this one (befriending it), which has these members:
///   bool fetch();                       moves to the next row: false after the last; throws
///                                       ErrorInfo on failure
///   Variant read(std::size_t i) const;  value i of the row fetched
///   bool rerunnable() const;            whether the statement only reads, and so may run again
///   void rerun();                       runs it again: the next fetch gives its first row
///   std::string_view statement() const; the statement as errors name it
///   void give_back();                   gives the statement back; the cursor is not used after
template <class Base, class Rows>
class ForwardCursor : public Base {
  public:
    using Base::Base;

    bool eof() const override { return !has_row_; }
    int32_t record_count() const override { return -1; }

    void move_first() override {
        if (position_ == 0 && !failure_) return;
        if (!rows().rerunnable()) {
            detail::refuse(source_, data_code::cannot_fetch_backward,
                           "The rowset does not support fetching backward.", rows().statement());
        }
        failure_.reset();
        has_row_ = false;
        position_ = -1;
        rows().rerun();
        advance();
    }

    void move_next() override { advance(); }

    int32_t field_count() const override { return static_cast<int32_t>(names_.size()); }
    std::string field_name(int32_t index) const override { return names_[index]; }
    Variant value(int32_t index) const override {
        return rows().read(static_cast<std::size_t>(index));
    }

    void set_value(int32_t, const Variant&) override { detail::refuse_update(source_); }
    void add_new() override { detail::refuse_update(source_); }
    void update() override { detail::refuse_update(source_); }
    void update_batch(int32_t) override { detail::refuse_update(source_); }
    bool adding() const override { return false; }
    void close() override { rows().give_back(); }

  protected:
    /// Stands on the first row of the statement, which the driver has run; the driver's
    /// constructor calls it last. source names the driver in errors; columns are the driver's
    /// column descriptions, each with its name.
    template <class Columns>
    void start(std::string_view source, const Columns& columns) {
        source_ = source;
        names_.reserve(columns.size());
        for (const auto& c : columns)
            names_.push_back(c.name);
        advance();
    }

  private:
    Rows& rows() { return static_cast<Rows&>(*this); }
    const Rows& rows() const { return static_cast<const Rows&>(*this); }

    void advance() {
        if (failure_) throw *failure_;
        try {
            has_row_ = rows().fetch();
        } catch (const ErrorInfo& e) {
            has_row_ = false;
            failure_ = e;
            throw;
        }
        ++position_;
    }

    std::string_view source_;
    std::vector<std::string> names_;
    bool has_row_ = false;
    int64_t position_ = -1;
    std::optional<ErrorInfo> failure_;
};

}  // namespace ortiva::detail
