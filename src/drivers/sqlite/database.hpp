#pragma once

// The native handles the SQLite driver shares between its connection and its cursors.

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "seams/data/core/statement_cache.hpp"

namespace ortiva::sqlite {

struct StatementDeleter {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct ResetStatement {
    void operator()(Statement& stmt) const noexcept {
        sqlite3_reset(stmt.get());
        sqlite3_clear_bindings(stmt.get());
    }
};
using StatementCache = detail::StatementCache<Statement, ResetStatement>;

/// What a cursor needs to know of a table to write it and find its rows again.
struct TableInfo {
    std::vector<std::string> columns;
    std::vector<std::string> primary_key;  // in key order; empty without one
    std::string rowid;                     // a spelling of the rowid no column hides, or ""
    bool integer_key = false;              // the primary key is the rowid (INTEGER PRIMARY KEY)
};

struct WritePlan;  // a keyset's, by statement text (keyset.cpp)

/// One open database. Cursors hold it too, so a cursor never outlives the handle it steps on.
struct Database {
    sqlite3* db = nullptr;
    /// Rows that cursor statements have stepped over, for tests that prove a cursor fetched
    /// nothing.
    int64_t rows_stepped = 0;
    /// Statements prepared on this handle, counted for tests and benchmarks of the cache.
    int64_t statements_prepared = 0;
    /// Whether a keyset holds the implicit transaction that groups rows appended one after
    /// another (see end_append_batch).
    bool append_batch_open = false;
    StatementCache cache{64};
    std::map<std::string, std::shared_ptr<const TableInfo>> tables;  // "db\ntable"
    std::unordered_map<std::string, std::shared_ptr<const WritePlan>> write_plans;

    explicit Database(sqlite3* handle) : db(handle) {}
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// Drops cached statements and table descriptions when the schema changed since the last
    /// call (on this connection or another), so that none is used with stale columns.
    void check_schema();

  private:
    Statement schema_version_;
    int64_t known_version_ = -1;
};

/// Prepares the first statement of text; tail receives where the next one starts. Returns
/// nullptr when text holds only blanks and comments. Throws ErrorInfo on a rejected statement.
Statement prepare(Database& db, std::string_view text, std::string_view* tail = nullptr);
/// The whole of text as one statement, from the cache when it holds it.
Statement prepare_cached(Database& db, std::string_view text);

/// Gives a statement back to the cache on every way out (reset, so that no write stays
/// active).
struct GiveBack {
    Database& db;
    std::string sql;
    Statement stmt;
    ~GiveBack() { db.cache.give_back(std::move(sql), std::move(stmt)); }
};

/// Steps once: true on a row, false when done. Throws ErrorInfo on failure, naming `shown` as
/// the statement (the statement's own text when empty).
bool step(sqlite3* db, sqlite3_stmt* stmt, std::string_view shown = {});

/// Runs a statement without results (BEGIN, SAVEPOINT, ...).
void run(Database& db, std::string_view sql);

/// The table's columns, primary key and rowid, cached until the schema changes. Throws
/// ErrorInfo when the table cannot be read.
std::shared_ptr<const TableInfo> describe_table(Database& db, const std::string& database,
                                                const std::string& table);

/// Rows a keyset appends one after another, outside any transaction of the caller, are
/// written inside one implicit transaction, so that a grid of lines costs one commit rather
/// than one per line. The batch ends, committing every row written so far, as soon as the
/// cursor does anything but start the next row, or when the caller begins a transaction.
void begin_append_batch(Database& db);
void end_append_batch(Database& db);

}  // namespace ortiva::sqlite
