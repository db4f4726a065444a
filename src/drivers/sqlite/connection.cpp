#include <string>
#include <string_view>
#include <utility>

#include "drivers/sqlite/cursor.hpp"
#include "drivers/sqlite/database.hpp"
#include "drivers/sqlite/diagnostics.hpp"
#include "drivers/sqlite/errors.hpp"
#include "drivers/sqlite/sqlite_driver.hpp"
#include "drivers/sqlite/values.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::sqlite {

namespace {

constexpr int32_t no_command = -2147217908;  // DB_E_NOCOMMAND
constexpr int busy_timeout_ms = 30000;

// getdate(): the local date and time, marked so that a bare "select getdate()" reads as a Date.
void getdate(sqlite3_context* ctx, int, sqlite3_value**) {
    std::string text;
    try {
        text = iso_text(Date::now());
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
        return;
    }
    sqlite3_result_text64(ctx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    sqlite3_result_subtype(ctx, date_subtype);
}

std::string savepoint(int level) {
    return "ortiva_level_" + std::to_string(level);
}

class SqliteConnection final : public detail::ConnectionDriver {
  public:
    explicit SqliteConnection(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    std::unique_ptr<detail::CursorDriver> open_cursor(const std::string& source,
                                                      int32_t cursor_type, int32_t lock_type,
                                                      int32_t cursor_location) override {
        const bool read_only = lock_type == adLockReadOnly;
        const bool loads = cursor_location == adUseClient || cursor_type == adOpenStatic;
        if (read_only && (loads || cursor_type == adOpenForwardOnly)) {
            if (auto [stmt, key] = prepare_bound(source); stmt) {
                if (loads) return open_static(db_, std::move(stmt), std::move(key), source);
                return open_forward(db_, std::move(stmt), std::move(key), source);
            }
        }
        int32_t affected = 0;
        auto [stmt, text] = prepare_last(source, affected);
        if (!stmt) return nullptr;
        if (loads) {
            if (read_only) return open_static(db_, std::move(stmt), std::move(text));
            return open_keyset(db_, std::move(stmt), std::move(text), false, true);
        }
        if (read_only && cursor_type == adOpenForwardOnly) {
            return open_forward(db_, std::move(stmt), std::move(text));
        }
        // A statement that changes data runs at Open, not whenever a row is first asked for.
        const bool load_all = !sqlite3_stmt_readonly(stmt.get());
        return open_keyset(db_, std::move(stmt), std::move(text), read_only, load_all);
    }

    std::unique_ptr<detail::CursorDriver> execute(const std::string& sql,
                                                  int32_t& records_affected) override {
        records_affected = 0;
        if (auto [stmt, key] = prepare_bound(sql); stmt) {
            records_affected = -1;
            return open_forward(db_, std::move(stmt), std::move(key), sql);
        }
        auto [stmt, text] = prepare_last(sql, records_affected);
        if (!stmt) return nullptr;
        records_affected = -1;
        return open_forward(db_, std::move(stmt), std::move(text));
    }

    int32_t begin_trans() override {
        if (level_ == 0) end_append_batch(*db_);
        run(*db_, level_ == 0 ? "BEGIN" : "SAVEPOINT " + savepoint(level_ + 1));
        return ++level_;
    }

    int32_t transaction_level() const override {
        return sqlite3_get_autocommit(db_->db) ? 0 : level_;
    }

    void commit_trans() override {
        if (level_ > 1) {
            run(*db_, "RELEASE SAVEPOINT " + savepoint(level_));
            --level_;
            return;
        }
        end_transaction("COMMIT");
    }

    void rollback_trans() override {
        if (level_ > 1) {
            run(*db_, "ROLLBACK TO SAVEPOINT " + savepoint(level_));
            run(*db_, "RELEASE SAVEPOINT " + savepoint(level_));
            --level_;
            return;
        }
        end_transaction("ROLLBACK");
    }

    // Closing rolls back what was not committed, as SQLite does for a closing handle.
    void close() override { db_.reset(); }

    const Database& database() const { return *db_; }

  private:
    void end_transaction(const char* sql) {
        if (sqlite3_get_autocommit(db_->db)) {
            level_ = 0;
            refuse(code::no_transaction, "No transaction is active.", sql);
        }
        try {
            run(*db_, sql);
        } catch (const ErrorInfo&) {
            // A transaction SQLite itself ended is over for the caller too.
            if (sqlite3_get_autocommit(db_->db)) level_ = 0;
            throw;
        }
        level_ = 0;
    }

    // Runs a statement that yields no rows to its end; adds the rows it changed.
    void finish(sqlite3_stmt* stmt, int32_t& records_affected) {
        const sqlite3_int64 before = sqlite3_total_changes64(db_->db);
        while (step(db_->db, stmt)) {
        }
        // Schema statements leave the count of the last change standing: they changed no rows.
        if (sqlite3_total_changes64(db_->db) != before) {
            records_affected += static_cast<int32_t>(sqlite3_changes64(db_->db));
        }
    }

    // Runs every statement of the text but the last, which is returned prepared and not
    // stepped, with its own text, when it yields rows; a last statement without rows runs too
    // and nothing is returned. Only the last statement may return rows, so that no result is
    // dropped unseen. The rows changed are added to records_affected.
    std::pair<Statement, std::string> prepare_last(std::string_view text,
                                                   int32_t& records_affected) {
        db_->check_schema();
        // One statement, as most are: prepared once per text and reused.
        if (Statement cached = db_->cache.take(text)) {
            return ready(std::move(cached), text, records_affected);
        }
        std::string_view rest = text;
        bool any = false;
        while (!rest.empty()) {
            std::string_view tail;
            Statement stmt = prepare(*db_, rest, &tail);
            const std::string_view own = rest.substr(0, rest.size() - tail.size());
            if (stmt) {
                any = true;
                if (detail::sql::is_blank(tail, detail::sql::sqlite_dialect)) {
                    // Kept under the whole text, so that the next call finds it at once.
                    return ready(std::move(stmt), rest.data() == text.data() ? text : own,
                                 records_affected);
                }
                if (sqlite3_column_count(stmt.get()) > 0) {
                    refuse(err::ado_provider_error,
                           "Only the last statement of a batch may return rows.", own);
                }
                finish(stmt.get(), records_affected);
            }
            if (tail.size() == rest.size()) break;
            rest = tail;
        }
        if (any) return {Statement(), std::string()};
        refuse(no_command, "Command text was not set for the command object.", text);
    }

    // A read whose condition holds literals is prepared with parameters in their place, so that
    // the same read with other values (a lookup by key in a loop) prepares nothing again.
    // Returns the statement, bound, and its text in the cache; nothing when the text is not
    // such a read, and then it is prepared as written, which also reports its own failures.
    std::pair<Statement, std::string> prepare_bound(std::string_view text) {
        auto p = detail::sql::parameterize_condition(text, detail::sql::sqlite_dialect);
        if (!p) return {};
        db_->check_schema();
        Statement stmt = db_->cache.take(p->sql);
        if (!stmt) {
            try {
                std::string_view tail;
                stmt = prepare(*db_, p->sql, &tail);
                if (!detail::sql::is_blank(tail, detail::sql::sqlite_dialect)) return {};
            } catch (const ErrorInfo&) {
                return {};
            }
        }
        if (!stmt || sqlite3_column_count(stmt.get()) == 0 ||
            sqlite3_bind_parameter_count(stmt.get()) != static_cast<int>(p->values.size())) {
            return {};
        }
        for (std::size_t i = 0; i < p->values.size(); ++i) {
            const auto& v = p->values[i];
            const int at = static_cast<int>(i) + 1;
            const int rc = v.is_text
                               ? sqlite3_bind_text64(stmt.get(), at, v.text.data(), v.text.size(),
                                                     SQLITE_TRANSIENT, SQLITE_UTF8)
                               : sqlite3_bind_int64(stmt.get(), at, v.integer);
            if (rc != SQLITE_OK) return {};
        }
        return {std::move(stmt), std::move(p->sql)};
    }

    std::pair<Statement, std::string> ready(Statement stmt, std::string_view text,
                                            int32_t& records_affected) {
        if (sqlite3_column_count(stmt.get()) > 0) return {std::move(stmt), std::string(text)};
        GiveBack done{*db_, std::string(text), std::move(stmt)};
        finish(done.stmt.get(), records_affected);
        return {Statement(), std::string()};
    }

    std::shared_ptr<Database> db_;
    int level_ = 0;
};

}  // namespace

std::unique_ptr<detail::ConnectionDriver> open(const detail::ConnectionString& cs) {
    const std::string path = cs.get("Data Source");
    if (path.empty()) {
        refuse(code::provider_failure, "The connection string names no Data Source.");
    }
    const std::string mode = text::upper(text::trim(cs.get("Mode")));
    const bool read_only = mode == "READ" || mode == "1";
    const int flags =
        (read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    auto db = std::make_shared<Database>(raw);
    if (rc != SQLITE_OK) raise_open_error(raw, rc, path);

    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busy_timeout_ms);
    int fn_flags = SQLITE_UTF8;
#ifdef SQLITE_RESULT_SUBTYPE
    fn_flags |= SQLITE_RESULT_SUBTYPE;
#endif
    if (const int frc = sqlite3_create_function_v2(raw, "getdate", 0, fn_flags, nullptr, getdate,
                                                   nullptr, nullptr, nullptr);
        frc != SQLITE_OK) {
        raise_open_error(raw, frc, path);
    }
    // Reading the schema now makes a file that is no database fail here, not at first use;
    // foreign keys are enforced as a server database would.
    if (const int prc = sqlite3_exec(raw, "PRAGMA foreign_keys = ON; PRAGMA schema_version;",
                                     nullptr, nullptr, nullptr);
        prc != SQLITE_OK) {
        raise_open_error(raw, prc, path);
    }
    return std::make_unique<SqliteConnection>(std::move(db));
}

int64_t rows_stepped(const detail::ConnectionDriver& connection) {
    const auto* own = dynamic_cast<const SqliteConnection*>(&connection);
    return own ? own->database().rows_stepped : -1;
}

int64_t statements_prepared(const detail::ConnectionDriver& connection) {
    const auto* own = dynamic_cast<const SqliteConnection*>(&connection);
    return own ? own->database().statements_prepared : -1;
}

}  // namespace ortiva::sqlite
