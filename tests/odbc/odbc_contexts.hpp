#pragma once

// The ODBC driver's test contexts: PostgreSQL (the server scripts/with-postgres.sh starts) and
// SQLite through its ODBC driver.

#include <string>
#include <vector>

#include "conformance/db_context.hpp"

namespace ortiva::testing {

/// Why the PostgreSQL tests cannot run here, or "" when ORTIVA_PG_CONNECT is set. In CI (the
/// environment variable CI set) a missing server is a failure, never a skip: then "" as well,
/// and opening fails.
std::string postgres_unavailable();

/// PostgreSQL: each fresh database is a new schema of the test database, first on the search
/// path. Opening fails when the server is missing.
DbContext postgres_context();

/// SQLite through its ODBC driver (Driver=SQLite3), on a new file per test, with getdate()
/// loaded as an extension.
DbContext sqlite_odbc_context();

/// The contexts the shared suites run on: SQLite through ODBC and PostgreSQL, always listed;
/// PostgreSQL's tests skip, saying why, when no server is there (outside CI).
std::vector<DbContext> odbc_contexts();

}  // namespace ortiva::testing
