#pragma once

// The SQLite driver's cursors: forward-only and static read-only ones (recordset.cpp) and the
// updatable keyset cursor (keyset.cpp).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/sqlite/database.hpp"
#include "drivers/sqlite/values.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::sqlite {

/// A result column as the cursor sees it.
struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Plain;
};

/// The columns of stmt from position `first` on.
std::vector<Column> read_columns(sqlite3_stmt* stmt, int first = 0);

class Cursor : public detail::CursorDriver {
  public:
    explicit Cursor(std::shared_ptr<Database> db) : db_(std::move(db)) {}
    /// How many rows this cursor has stepped its statement over.
    int64_t rows_stepped() const { return rows_stepped_; }

  protected:
    /// Steps stmt, counting rows on the cursor and on the database; failures name `shown`
    /// (see step).
    bool step_row(sqlite3_stmt* stmt, std::string_view shown = {}) const;
    [[noreturn]] void refuse_update() const;

    std::shared_ptr<Database> db_;
    mutable int64_t rows_stepped_ = 0;
};

// Each cursor takes stmt, prepared from text and not stepped, and gives it back to the
// connection's statement cache when it ends. Failures name `shown`, the caller's own text,
// where stmt was prepared with parameters in place of its literals (empty otherwise).

/// Streams stmt's rows; stepped once here so that the cursor stands on the first row.
std::unique_ptr<Cursor> open_forward(std::shared_ptr<Database> db, Statement stmt, std::string text,
                                     std::string shown = {});
/// Reads every row of stmt now: RecordCount is known at once.
std::unique_ptr<detail::CursorDriver> open_static(std::shared_ptr<Database> db, Statement stmt,
                                                  std::string text, std::string_view shown = {});
/// A keyset cursor that steps only when a row is asked for. Unless read_only, it writes AddNew
/// and changed rows (when: see seams/data/core/keyset_cursor.hpp) back to the one table its
/// rows come from, finding each row by the table's
/// primary key, else its rowid, else all its values (refusing an update those do not pin to
/// one row). Key columns the query does not select are added after its own, so that its
/// columns keep their positions.
std::unique_ptr<Cursor> open_keyset(std::shared_ptr<Database> db, Statement stmt, std::string text,
                                    bool read_only, bool load_all);

}  // namespace ortiva::sqlite
