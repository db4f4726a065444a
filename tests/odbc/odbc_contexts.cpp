#include "odbc/odbc_contexts.hpp"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "db/db_fixture.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::testing {

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

std::string postgres_unavailable() {
    if (!env("ORTIVA_PG_CONNECT").empty() || !env("CI").empty()) return {};
    return "run under scripts/with-postgres.sh";
}

DbContext postgres_context() {
    DbContext c;
    c.name = "PostgreSQL";
    c.user = env("ORTIVA_PG_USER");
    c.password = env("ORTIVA_PG_PASSWORD");
    c.fresh_database = [user = c.user, password = c.password] {
        const std::string base = env("ORTIVA_PG_CONNECT");
        if (base.empty()) {
            throw std::runtime_error(
                "ORTIVA_PG_CONNECT is not set: run the tests under scripts/with-postgres.sh");
        }
        // One schema per test; the search path keeps public (getdate()) after it.
        static std::shared_ptr<Connection> setup;
        static int counter = 0;
        if (!setup) {
            auto opened = Connection::create();
            opened->Open(base, user, password);
            setup = std::move(opened);
        }
        const std::string schema = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        setup->Execute("create schema " + schema);
        return base + ";ConnSettings=set search_path to " + schema + ",public";
    };
    c.cannot["case_preserving_names"] =
        "PostgreSQL folds unquoted names to lower case: the fields read back as name, qty";
    c.cannot["reject_empty_select"] = "PostgreSQL accepts a SELECT without columns";
    c.cannot["rowid"] = "PostgreSQL tables have no rowid: rows without a key are found by value";
    c.unavailable = postgres_unavailable;
    return c;
}

DbContext sqlite_odbc_context() {
    DbContext c;
    c.name = "SQLiteODBC";
    c.fresh_database = [] {
        static TempDir dir;
        static int counter = 0;
        const auto file = dir.path() / ("db" + std::to_string(++counter) + ".sqlite");
        return "Driver=SQLite3;Database=" + file.string() + ";LoadExt=" + ORTIVA_SQLITE_GETDATE;
    };
    c.cannot["getdate_as_date"] =
        "SQLite has no date type: its ODBC driver describes getdate() as text";
    c.cannot["exact_doubles"] = "the SQLite ODBC driver reads REAL values through 15-digit text";
    c.cannot["rowid"] = "ODBC has no rowid: rows without a key are found by value";
    c.without_rowid = " WITHOUT ROWID";
    return c;
}

std::vector<DbContext> odbc_contexts() {
    return {sqlite_odbc_context(), postgres_context()};
}

// psqlODBC loses the column description of a statement described before it first ran once
// the statement runs again (the statement cache does that). Only leaks from describe() are
// passed over, so a statement or connection the driver fails to free is still reported; the
// driver has no frame pointers, so stacks are unwound the slow way to reach describe().
extern "C" const char* __lsan_default_suppressions() {
    return "leak:ortiva::odbc::describe\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

// The ClsCommonDb suites of tests/db run on these contexts in this program.
std::vector<DbContext> db_contexts() {
    return odbc_contexts();
}

}  // namespace ortiva::testing
