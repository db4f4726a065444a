#pragma once

// What tests and benchmarks may ask the SQLite driver about its work.

#include <cstdint>

#include "ortiva/connection.hpp"
#include "ortiva/recordset.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::sqlite {

/// Rows the cursor has stepped its statement over; -1 for another driver's cursor.
int64_t rows_stepped(const detail::CursorDriver& cursor);
/// Rows all cursors of the connection have stepped over, closed ones included; -1 for another
/// driver's connection.
int64_t rows_stepped(const detail::ConnectionDriver& connection);

/// Statements the connection has prepared so far (the statement cache's misses); -1 for
/// another driver's connection.
int64_t statements_prepared(const detail::ConnectionDriver& connection);

/// The same for an open recordset; -1 when it is closed.
inline int64_t rows_stepped(const Recordset& rs) {
    return rs.State() == adStateOpen ? rows_stepped(rs.cursor()) : -1;
}

/// The same for an open connection; -1 when it is closed.
inline int64_t rows_stepped(Connection& connection) {
    return connection.State() == adStateOpen ? rows_stepped(connection.driver()) : -1;
}
inline int64_t statements_prepared(Connection& connection) {
    return connection.State() == adStateOpen ? statements_prepared(connection.driver()) : -1;
}

}  // namespace ortiva::sqlite
