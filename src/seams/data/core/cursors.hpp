#pragma once

// What every driver's cursors share: the data-access error numbers, the refusal of writes to
// a read-only cursor, and the static cursor, which holds its rows whatever read them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/date.hpp"
#include "ortiva/variant.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::detail {

namespace data_code {
inline constexpr int32_t operation_not_allowed = 3219;
inline constexpr int32_t not_updatable = 3251;
inline constexpr int32_t wrong_type = 3421;
inline constexpr int32_t provider_failure = -2147467259;       // E_FAIL
inline constexpr int32_t out_of_memory = -2147024882;          // E_OUTOFMEMORY
inline constexpr int32_t row_deleted = -2147217885;            // DB_E_DELETEDROW
inline constexpr int32_t cannot_fetch_backward = -2147217884;  // DB_E_CANTFETCHBACKWARDS
inline constexpr int32_t row_not_found = -2147217864;          // DB_E_CONCURRENCYVIOLATION
inline constexpr int32_t no_transaction = -2147168242;         // XACT_E_NOTRANSACTION
}  // namespace data_code

/// Throws number from source with description, and the statement when there is one.
[[noreturn]] void refuse(std::string_view source, int32_t number, std::string description,
                         std::string_view statement);

/// Throws 3251 for a write to a read-only cursor, from source.
[[noreturn]] void refuse_update(std::string_view source);

/// Whether v is stored as SQL NULL (Empty and Null); throws 3421 from source for the values no
/// column can hold (objects, arrays, error values).
bool stores_as_null(const Variant& v, std::string_view source);

/// What a date column stores for v (not Null): numbers and date text as dates, else v.
Variant storable_date(const Variant& v);
/// What a truth-value column stores for v (not Null): numbers and truth-value text as
/// booleans, else v.
Variant storable_bool(const Variant& v);
/// "YYYY-MM-DD hh:mm:ss", the date text every database reads.
std::string iso_text(Date d);

/// The values a static cursor holds, row after row. Values live in fixed blocks that never
/// move, so loading a large result copies nothing it has already read; numbers, dates and
/// short texts are packed into 16 bytes each, and only what does not fit is kept as a Variant.
class StaticRows {
  public:
    void append(Variant v);
    std::size_t size() const { return cells_.size(); }
    Variant at(std::size_t i) const;
    /// Value i into out, which keeps its storage where it can.
    void copy(std::size_t i, Variant& out) const;
    void clear();

  private:
    // Values in blocks of N, appended in place: growing never moves those stored.
    template <class T, std::size_t N>
    class Blocks {
      public:
        void push_back(T v) {
            if (blocks_.empty() || blocks_.back().size() == N) blocks_.emplace_back().reserve(N);
            blocks_.back().push_back(std::move(v));
            ++size_;
        }
        const T& operator[](std::size_t i) const { return blocks_[i / N][i % N]; }
        std::size_t size() const { return size_; }
        void clear() {
            blocks_.clear();
            size_ = 0;
        }

      private:
        std::vector<std::vector<T>> blocks_;
        std::size_t size_ = 0;
    };

    static constexpr std::size_t inline_text = 14;
    enum class Tag : unsigned char {
        empty,
        null,
        integer,
        long_value,
        single,
        dbl,
        date,
        boolean,
        text,
        boxed
    };
    struct Cell {
        alignas(8) char bytes[inline_text];  // the scalar, the text, or the index of the Variant
        unsigned char size;                  // of the text
        Tag tag;
    };
    static_assert(sizeof(Cell) == 16);

    Blocks<Cell, 4096> cells_;
    Blocks<Variant, 1024> boxed_;
};

/// A read-only cursor over rows read at Open: RecordCount is known at once. values holds
/// names.size() values for each of the rows.
std::unique_ptr<CursorDriver> make_static_cursor(std::string_view source,
                                                 std::vector<std::string> names, StaticRows values,
                                                 std::size_t rows);

/// Reads every row of a cursor standing on its first row into a static cursor, and closes it
/// (also when a read fails). Rows is the driver's forward cursor class: being final, its calls
/// here need no vtable.
template <class Rows>
std::unique_ptr<CursorDriver> load_static(std::string_view source, Rows& rows) {
    const int32_t width = rows.field_count();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(width));
    for (int32_t i = 0; i < width; ++i)
        names.push_back(rows.field_name(i));
    StaticRows values;
    std::size_t count = 0;
    try {
        for (; !rows.eof(); rows.move_next(), ++count) {
            for (int32_t i = 0; i < width; ++i)
                values.append(rows.value(i));
        }
    } catch (...) {
        rows.close();
        throw;
    }
    rows.close();
    return make_static_cursor(source, std::move(names), std::move(values), count);
}

}  // namespace ortiva::detail
