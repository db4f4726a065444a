#include <string>
#include <string_view>
#include <utility>

#include "drivers/sqlite/cursor.hpp"
#include "drivers/sqlite/database.hpp"
#include "drivers/sqlite/diagnostics.hpp"
#include "drivers/sqlite/errors.hpp"
#include "drivers/sqlite/sql_text.hpp"
#include "drivers/sqlite/sqlite_driver.hpp"
#include "drivers/sqlite/values.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

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
        auto [stmt, text] = prepare_last(source);
        if (sqlite3_column_count(stmt.get()) == 0) {
            finish(stmt.get());
            return nullptr;
        }
        const bool read_only = lock_type == adLockReadOnly;
        if (cursor_location == adUseClient || cursor_type == adOpenStatic) {
            if (read_only) return open_static(db_, std::move(stmt));
            return open_keyset(db_, std::move(stmt), text, false, true);
        }
        if (read_only && cursor_type == adOpenForwardOnly) {
            return open_forward(db_, std::move(stmt));
        }
        // A statement that changes data runs at Open, not whenever a row is first asked for.
        const bool load_all = !sqlite3_stmt_readonly(stmt.get());
        return open_keyset(db_, std::move(stmt), text, read_only, load_all);
    }

    std::unique_ptr<detail::CursorDriver> execute(const std::string& sql) override {
        records_affected_ = -1;
        auto [stmt, text] = prepare_last(sql);
        if (sqlite3_column_count(stmt.get()) == 0) {
            // sqlite3_changes keeps the last DML's count across DDL, so only trust it when
            // the total moved.
            const auto before = sqlite3_total_changes64(db_->db);
            finish(stmt.get());
            records_affected_ =
                sqlite3_total_changes64(db_->db) == before ? 0 : sqlite3_changes(db_->db);
            return nullptr;
        }
        return open_forward(db_, std::move(stmt));
    }

    int32_t begin_trans() override {
        if (level_ == 0) end_append_batch(*db_);
        run(db_->db, level_ == 0 ? "BEGIN" : "SAVEPOINT " + savepoint(level_ + 1));
        return ++level_;
    }

    int32_t records_affected() const override { return records_affected_; }

    int32_t transaction_level() const override {
        return sqlite3_get_autocommit(db_->db) ? 0 : level_;
    }

    void commit_trans() override {
        if (level_ > 1) {
            run(db_->db, "RELEASE SAVEPOINT " + savepoint(level_));
            --level_;
            return;
        }
        end_transaction("COMMIT");
    }

    void rollback_trans() override {
        if (level_ > 1) {
            run(db_->db, "ROLLBACK TO SAVEPOINT " + savepoint(level_));
            run(db_->db, "RELEASE SAVEPOINT " + savepoint(level_));
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
            run(db_->db, sql);
        } catch (const ErrorInfo&) {
            // A transaction SQLite itself ended is over for the caller too.
            if (sqlite3_get_autocommit(db_->db)) level_ = 0;
            throw;
        }
        level_ = 0;
    }

    int32_t records_affected_ = -1;

    void finish(sqlite3_stmt* stmt) {
        while (step(db_->db, stmt)) {
        }
    }

    // Runs every statement of the text but the last, which is returned prepared and not
    // stepped, with its own text. Only the last statement may return rows, so that no result
    // is dropped unseen.
    std::pair<Statement, std::string_view> prepare_last(std::string_view text) {
        std::string_view rest = text;
        while (!rest.empty()) {
            std::string_view tail;
            Statement stmt = prepare(db_->db, rest, &tail);
            const std::string_view own = rest.substr(0, rest.size() - tail.size());
            if (stmt) {
                if (is_blank(tail)) return {std::move(stmt), own};
                if (sqlite3_column_count(stmt.get()) > 0) {
                    refuse(err::ado_provider_error,
                           "Only the last statement of a batch may return rows.", own);
                }
                finish(stmt.get());
            }
            if (tail.size() == rest.size()) break;
            rest = tail;
        }
        refuse(no_command, "Command text was not set for the command object.", text);
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

}  // namespace ortiva::sqlite
