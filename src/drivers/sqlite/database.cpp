#include "drivers/sqlite/database.hpp"

#include <algorithm>
#include <limits>

#include "drivers/sqlite/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::sqlite {

Database::~Database() {
    // Every statement goes before the handle, or closing would wait for them.
    cache.clear();
    schema_version_.reset();
    sqlite3_close_v2(db);
}

void Database::check_schema() {
    if (!schema_version_) schema_version_ = prepare(*this, "PRAGMA schema_version");
    sqlite3_stmt* s = schema_version_.get();
    const int64_t version = step(db, s) ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_reset(s);
    if (version == known_version_) return;
    known_version_ = version;
    cache.clear();
    tables.clear();
    write_plans.clear();
}

Statement prepare(Database& db, std::string_view text, std::string_view* tail) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        refuse(err::ado_provider_error, "The statement is too long.", text.substr(0, 200));
    }
    sqlite3_stmt* raw = nullptr;
    const char* rest = nullptr;
    const int rc = sqlite3_prepare_v3(db.db, text.data(), static_cast<int>(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, &rest);
    Statement stmt(raw);
    if (rc != SQLITE_OK) raise_error(db.db, rc, text);
    ++db.statements_prepared;
    const std::size_t used = rest ? static_cast<std::size_t>(rest - text.data()) : text.size();
    if (tail) *tail = text.substr(used);
    return stmt;
}

Statement prepare_cached(Database& db, std::string_view text) {
    if (Statement stmt = db.cache.take(text)) return stmt;
    return prepare(db, text);
}

bool step(sqlite3* db, sqlite3_stmt* stmt, std::string_view shown) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    if (!shown.empty()) raise_error(db, rc, shown);
    const char* sql = sqlite3_sql(stmt);
    raise_error(db, rc, sql ? sql : "");
}

void run(Database& db, std::string_view sql) {
    auto stmt = prepare(db, sql);
    if (!stmt) return;
    while (step(db.db, stmt.get())) {
    }
}

std::shared_ptr<const TableInfo> describe_table(Database& db, const std::string& database,
                                                const std::string& table) {
    std::string key = database + '\n' + table;
    if (const auto it = db.tables.find(key); it != db.tables.end()) return it->second;

    auto info = std::make_shared<TableInfo>();
    bool integer = false;
    {
        const std::string sql = "SELECT name, pk, upper(type) FROM pragma_table_info(?1, ?2)";
        Statement stmt = prepare_cached(db, sql);
        sqlite3_bind_text(stmt.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt.get(), 2, database.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::pair<int, std::string>> key_columns;
        while (step(db.db, stmt.get())) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
            info->columns.emplace_back(name ? name : "");
            if (const int pk = sqlite3_column_int(stmt.get(), 1); pk > 0) {
                key_columns.emplace_back(pk, info->columns.back());
                const auto* type =
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 2));
                integer = type && std::string_view(type) == "INTEGER";
            }
        }
        db.cache.give_back(sql, std::move(stmt));
        std::sort(key_columns.begin(), key_columns.end());
        for (auto& [position, name] : key_columns)
            info->primary_key.push_back(std::move(name));
    }
    // A column may take any of the rowid's names; WITHOUT ROWID tables have none at all.
    const std::string target =
        detail::sql::quote_identifier(database) + "." + detail::sql::quote_identifier(table);
    for (const char* spelling : {"rowid", "_rowid_", "oid"}) {
        bool hidden = false;
        for (const auto& column : info->columns)
            hidden = hidden || detail::sql::same_name(column, spelling);
        if (hidden) continue;
        sqlite3_stmt* probe = nullptr;
        const std::string sql = std::string("SELECT ") + spelling + " FROM " + target;
        const int rc = sqlite3_prepare_v2(db.db, sql.c_str(), -1, &probe, nullptr);
        sqlite3_finalize(probe);
        if (rc == SQLITE_OK) info->rowid = spelling;
        break;
    }
    info->integer_key = integer && info->primary_key.size() == 1 && !info->rowid.empty();
    db.tables.emplace(std::move(key), info);
    return info;
}

void begin_append_batch(Database& db) {
    if (db.append_batch_open || !sqlite3_get_autocommit(db.db)) return;
    run(db, "SAVEPOINT ortiva_append_batch");
    db.append_batch_open = true;
}

void end_append_batch(Database& db) {
    if (!db.append_batch_open) return;
    db.append_batch_open = false;
    run(db, "RELEASE SAVEPOINT ortiva_append_batch");
}

}  // namespace ortiva::sqlite
