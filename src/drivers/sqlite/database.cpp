#include "drivers/sqlite/database.hpp"

#include <limits>

#include "drivers/sqlite/errors.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::sqlite {

Statement prepare(sqlite3* db, std::string_view text, std::string_view* tail) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        refuse(err::ado_provider_error, "The statement is too long.", text.substr(0, 200));
    }
    sqlite3_stmt* raw = nullptr;
    const char* rest = nullptr;
    const int rc =
        sqlite3_prepare_v3(db, text.data(), static_cast<int>(text.size()), 0, &raw, &rest);
    Statement stmt(raw);
    if (rc != SQLITE_OK) raise_error(db, rc, text);
    const std::size_t used = rest ? static_cast<std::size_t>(rest - text.data()) : text.size();
    if (tail) *tail = text.substr(used);
    return stmt;
}

bool step(sqlite3* db, sqlite3_stmt* stmt) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const char* sql = sqlite3_sql(stmt);
    raise_error(db, rc, sql ? sql : "");
}

void run(sqlite3* db, std::string_view sql) {
    auto stmt = prepare(db, sql);
    if (!stmt) return;
    while (step(db, stmt.get())) {
    }
}

void begin_append_batch(Database& db) {
    if (db.append_batch_open || !sqlite3_get_autocommit(db.db)) return;
    run(db.db, "SAVEPOINT ortiva_append_batch");
    db.append_batch_open = true;
}

void end_append_batch(Database& db) {
    if (!db.append_batch_open) return;
    db.append_batch_open = false;
    run(db.db, "RELEASE SAVEPOINT ortiva_append_batch");
}

}  // namespace ortiva::sqlite
