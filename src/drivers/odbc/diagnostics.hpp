#pragma once

// What tests and benchmarks may ask the ODBC driver about its work.

#include <cstdint>

#include "ortiva/connection.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::odbc {

/// Rows fetched on the connection so far by cursors and by the re-reading of written rows;
/// -1 for another driver's connection.
int64_t rows_fetched(const detail::ConnectionDriver& connection);

/// The same for an open connection; -1 when it is closed.
inline int64_t rows_fetched(Connection& connection) {
    return connection.State() == adStateOpen ? rows_fetched(connection.driver()) : -1;
}

/// Statements prepared on the connection so far; -1 for another driver's connection.
int64_t statements_prepared(const detail::ConnectionDriver& connection);
/// Catalog calls made on the connection so far; -1 for another driver's connection.
int64_t catalog_calls(const detail::ConnectionDriver& connection);

/// Whether added rows may be written with parameter arrays on this driver; off, they are
/// written as on a driver without them, one execution per row. For tests of that path.
void use_parameter_arrays(detail::ConnectionDriver& connection, bool on);

/// The same for an open connection. Inline, so that the driver's archive does not depend back
/// on the library that holds Connection.
inline void use_parameter_arrays(Connection& connection, bool on) {
    use_parameter_arrays(connection.driver(), on);
}

}  // namespace ortiva::odbc
