#pragma once

// The ODBC driver's cursors: forward-only and static read-only ones (recordset.cpp) and the
// updatable keyset cursor (keyset.cpp).

#include <memory>
#include <string>
#include <vector>

#include "drivers/odbc/session.hpp"
#include "drivers/odbc/values.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::odbc {

class Cursor : public detail::CursorDriver {
  public:
    explicit Cursor(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  protected:
    [[noreturn]] void refuse_update() const;

    std::shared_ptr<Session> session_;
};

/// Streams the rows of an executed statement that has result columns.
std::unique_ptr<Cursor> open_forward(std::unique_ptr<Statement> executed, std::string sql);
/// Reads every row of an executed statement now: RecordCount is known at once.
std::unique_ptr<detail::CursorDriver> open_static(std::unique_ptr<Statement> executed,
                                                  std::string sql);
/// A keyset cursor on a prepared (not executed) query with these columns: the query runs
/// only when a row is asked for. Unless read_only, AddNew and changed rows are written to the
/// one table the rows come from (when: see seams/data/core/keyset_cursor.hpp); an existing row is
/// found again by its primary key, or by all its original values where the table has none. load_all
/// reads every row at once.
std::unique_ptr<Cursor> open_keyset(std::unique_ptr<Statement> prepared, std::string sql,
                                    std::vector<Column> columns, bool read_only, bool load_all);

}  // namespace ortiva::odbc
