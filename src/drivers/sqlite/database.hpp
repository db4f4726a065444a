#pragma once

// The native handles the SQLite driver shares between its connection and its cursors.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ortiva::sqlite {

/// One open database. Cursors hold it too, so a cursor never outlives the handle it steps on.
struct Database {
    sqlite3* db = nullptr;
    /// Rows that cursor statements have stepped over, for tests that prove a cursor fetched
    /// nothing.
    int64_t rows_stepped = 0;
    /// Whether a keyset holds the implicit transaction that groups rows appended one after
    /// another (see end_append_batch).
    bool append_batch_open = false;

    explicit Database(sqlite3* handle) : db(handle) {}
    ~Database() { sqlite3_close_v2(db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
};

struct StatementDeleter {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

/// Prepares the first statement of text; tail receives where the next one starts. Returns
/// nullptr when text holds only blanks and comments. Throws ErrorInfo on a rejected statement.
Statement prepare(sqlite3* db, std::string_view text, std::string_view* tail = nullptr);

/// Steps once: true on a row, false when done. Throws ErrorInfo on failure.
bool step(sqlite3* db, sqlite3_stmt* stmt);

/// Runs a statement without results (BEGIN, SAVEPOINT, ...).
void run(sqlite3* db, std::string_view sql);

/// Rows a keyset appends one after another, outside any transaction of the caller, are
/// written inside one implicit transaction, so that a grid of lines costs one commit rather
/// than one per line. The batch ends, committing every row written so far, as soon as the
/// cursor does anything but start the next row, or when the caller begins a transaction.
void begin_append_batch(Database& db);
void end_append_batch(Database& db);

}  // namespace ortiva::sqlite
