#pragma once

// The native handles the ODBC driver shares between its connection and its cursors.

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "seams/data/core/statement_cache.hpp"

namespace ortiva::odbc {

/// A statement handle, freed with its cursor closed first.
struct FreeStatement {
    void operator()(void* stmt) const noexcept;
};
using StatementHandle = std::unique_ptr<void, FreeStatement>;

struct Column;
using Description = std::shared_ptr<const std::vector<Column>>;

/// What the cache keeps of a statement: the handle and its result columns, which some drivers
/// cannot describe again once the statement has been closed.
struct KeptStatement {
    StatementHandle handle;
    Description columns;
    explicit operator bool() const { return static_cast<bool>(handle); }
};
/// Closes the cursor and unbinds parameters and columns, keeping the prepared statement.
struct ResetStatement {
    void operator()(KeptStatement& stmt) const noexcept;
};

/// What the catalog says of one table, asked only when first needed.
struct TableFacts {
    std::optional<std::vector<std::string>> primary_key;  // in key order; empty without one
    std::optional<bool> view;
};

/// One open ODBC connection. Cursors hold it too, so that a statement never outlives the
/// connection it runs on; the link is closed when the last holder lets go.
struct Session {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;

    std::string dbms;          // SQL_DBMS_NAME
    std::string quote = "\"";  // SQL_IDENTIFIER_QUOTE_CHAR, empty when the server has none
    /// Whether columns can be bound and still read with SQLGetData in any order (long texts
    /// are then bound with a small buffer and read whole only when they do not fit).
    bool bind_columns = false;
    /// Cleared the first time the driver refuses SQL_ATTR_PARAMSET_SIZE.
    bool param_arrays = true;
    /// Whether the data source has transactions at all (SQL_TXN_CAPABLE).
    bool transactions = true;
    /// SAVE TRANSACTION instead of SAVEPOINT, and no RELEASE.
    bool transact_sql = false;
    /// Nesting level of BeginTrans: 0 means autocommit.
    int32_t level = 0;
    /// Rows fetched by row readers on this link, for tests that prove a cursor read nothing.
    int64_t rows_fetched = 0;
    /// Statements prepared on this link, counted for tests and benchmarks of the cache.
    int64_t statements_prepared = 0;
    /// Catalog calls made on this link (keys of a table, whether it is a view), likewise.
    int64_t catalog_calls = 0;
    /// Statements kept prepared by their text: queries, and what keyset cursors write and
    /// read back with. It holds bare handles, not Statements, so that it never keeps its own
    /// session alive.
    detail::StatementCache<KeptStatement, ResetStatement> cache{32};
    /// Counts the moments a table may have changed (a statement without rows, a rollback).
    /// A statement taken from the cache before one of them is not given back after it.
    uint64_t schema_generation = 0;
    /// Queries that gave many rows: they run directly, as drivers read large results faster
    /// that way (psqlODBC by about a tenth) and preparing saves little beside the reading.
    std::unordered_set<std::string> large_results;
    /// Catalog answers by schema and table name, dropped with the kept statements.
    std::map<std::pair<std::string, std::string>, TableFacts> tables;

    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// An identifier quoted with the server's quote character.
    std::string quoted(std::string_view name) const;
    /// A table may have changed or gone: no statement prepared so far, and nothing the
    /// catalog said, is used again.
    void forget_statements() noexcept;
    /// What is known of a table; a new entry when nothing is.
    TableFacts& table(const std::string& schema, const std::string& name);
};

/// A statement handle on a session.
class Statement {
  public:
    explicit Statement(std::shared_ptr<Session> session);
    /// A statement prepared from sql, taken from the session's cache when it holds one; it
    /// goes back there when destroyed, unless a table may have changed meanwhile.
    static std::unique_ptr<Statement> cached(const std::shared_ptr<Session>& session,
                                             std::string sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    SQLHSTMT get() const { return stmt_; }
    Session& session() const { return *session_; }
    const std::shared_ptr<Session>& shared_session() const { return session_; }

    /// Throws the statement's diagnostics as ErrorInfo unless rc succeeded; SQL_NO_DATA
    /// counts as success (a searched UPDATE or DELETE that matched nothing).
    void check(SQLRETURN rc, std::string_view sql) const;
    void prepare(std::string_view sql);
    /// Executes the prepared statement.
    void execute(std::string_view sql);
    void execute_direct(std::string_view sql);
    /// Executes a statement from Statement::cached. One that was reused and fails is replaced
    /// by one prepared afresh and run once more (its plan may predate a change another
    /// connection made to a table); true when that happened.
    static bool execute_cached(std::unique_ptr<Statement>& stmt);
    /// Ends the current result, keeping the prepared statement and its bindings.
    void close_cursor() noexcept;
    SQLSMALLINT result_columns(std::string_view sql) const;
    /// Rows the last execution changed, -1 when the driver cannot tell.
    SQLLEN row_count() const;
    /// Counts a row fetched from this statement's result.
    void count_row() const { ++rows_; }

    /// The result columns as described while this statement has not run since it was taken
    /// from the cache, else nothing: describe then asks the driver.
    const Description& described() const;
    void remember(Description columns) const { columns_ = std::move(columns); }

  private:
    Statement(std::shared_ptr<Session> session, SQLHSTMT kept)
        : session_(std::move(session)), stmt_(kept) {}

    std::shared_ptr<Session> session_;
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
    mutable std::string
        cached_sql_;  // the cache's key when this statement goes back to it, else ""
    uint64_t generation_ = 0;
    bool reused_ = false;    // taken from the cache
    bool executed_ = false;  // since it was taken or prepared
    mutable Description columns_;
    mutable int64_t rows_ = 0;
};

/// Runs a statement without results (SAVEPOINT, ...).
void run(const std::shared_ptr<Session>& session, std::string_view sql);

/// Sets autocommit on or off; throws the connection's diagnostics on failure.
void set_autocommit(Session& session, bool on);
/// SQLEndTran; throws the connection's diagnostics on failure.
void end_transaction(Session& session, bool commit);

}  // namespace ortiva::odbc
