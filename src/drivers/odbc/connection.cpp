#include <cstdint>

#include "drivers/odbc/cursor.hpp"
#include "drivers/odbc/diagnostics.hpp"
#include "drivers/odbc/errors.hpp"
#include "drivers/odbc/odbc_driver.hpp"
#include "drivers/odbc/session.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::odbc {

namespace {

// A server that does not answer fails the login after this long rather than hanging.
constexpr SQLULEN login_timeout_seconds = 15;
// Likewise for requests other than queries (catalog calls, transactions).
constexpr SQLULEN connection_timeout_seconds = 30;

SQLPOINTER attribute(SQLULEN v) {
    return reinterpret_cast<SQLPOINTER>(v);
}

// The value as an attribute of the connection string: as it is where that is safe, else
// {value} with every '}' doubled, so that ';', '{', '}' and outer spaces survive. (Some
// drivers take braces off passwords only, so they are not added where not needed.)
std::string braced(const std::string& value) {
    const bool plain = value.find_first_of(";{}") == std::string::npos && value.front() != ' ' &&
                       value.back() != ' ';
    if (plain) return value;
    std::string out = "{";
    for (const char c : value) {
        out.push_back(c);
        if (c == '}') out.push_back('}');
    }
    out.push_back('}');
    return out;
}

std::string info_text(SQLHDBC dbc, SQLUSMALLINT what) {
    char buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, what, buffer, sizeof buffer, &length))) return {};
    return std::string(buffer);
}

template <typename T>
T info_number(SQLHDBC dbc, SQLUSMALLINT what, T fallback) {
    T value = fallback;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, what, &value, sizeof value, nullptr))) return fallback;
    return value;
}

class OdbcConnection final : public detail::ConnectionDriver {
  public:
    explicit OdbcConnection(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    std::unique_ptr<detail::CursorDriver> open_cursor(const std::string& source,
                                                      int32_t cursor_type, int32_t lock_type,
                                                      int32_t cursor_location) override {
        const bool read_only = lock_type == adLockReadOnly;
        const bool client = cursor_location == adUseClient;
        int32_t records_affected = 0;
        if (read_only && cursor_type == adOpenForwardOnly && !client) {
            return execute(source, records_affected);
        }
        if (read_only && (cursor_type == adOpenStatic || client)) {
            auto stmt = run_query(source, records_affected);
            if (!stmt) return nullptr;
            return open_static(std::move(stmt), source);
        }
        // Keyset: prepared and described now, run when a row is first asked for, so that
        // opening a whole table only to append reads nothing.
        auto stmt = Statement::cached(session_, source);
        auto columns = describe(*stmt, source);
        if (columns.empty()) {
            // Not a query: it runs now and leaves the recordset closed.
            forget_statements();
            stmt->execute(source);
            return nullptr;
        }
        return open_keyset(std::move(stmt), source, std::move(columns), read_only,
                           client || cursor_type == adOpenStatic);
    }

    std::unique_ptr<detail::CursorDriver> execute(const std::string& sql,
                                                  int32_t& records_affected) override {
        auto stmt = run_query(sql, records_affected);
        if (!stmt) return nullptr;
        return open_forward(std::move(stmt), sql);
    }

    int32_t begin_trans() override {
        if (!session_->transactions) {
            refuse(code::operation_not_allowed,
                   "Operation is not allowed in this context: the data source has no "
                   "transactions.");
        }
        if (session_->level == 0) {
            set_autocommit(*session_, false);
        } else {
            run(session_, (session_->transact_sql ? "SAVE TRANSACTION " : "SAVEPOINT ") +
                              savepoint(session_->level + 1));
        }
        return ++session_->level;
    }

    int32_t transaction_level() const override { return session_ ? session_->level : 0; }

    void commit_trans() override {
        require_transaction();
        if (session_->level > 1) {
            if (!session_->transact_sql) {
                run(session_, "RELEASE SAVEPOINT " + savepoint(session_->level));
            }
            --session_->level;
            return;
        }
        refuse_if_lost("the transaction was not committed");
        try {
            end_transaction(*session_, true);
        } catch (const ErrorInfo&) {
            // The server refused the commit: what is left of the transaction is rolled back,
            // the connection goes back to autocommit, and the caller hears of the failure.
            leave_transaction(false);
            throw;
        }
        leave_transaction(true);
    }

    void rollback_trans() override {
        require_transaction();
        if (session_->level > 1) {
            const std::string name = savepoint(session_->level);
            // Tables created or changed since the savepoint are as they were before.
            forget_statements();
            if (session_->transact_sql) {
                run(session_, "ROLLBACK TRANSACTION " + name);
            } else {
                run(session_, "ROLLBACK TO SAVEPOINT " + name);
                run(session_, "RELEASE SAVEPOINT " + name);
            }
            --session_->level;
            return;
        }
        refuse_if_lost("the server has rolled the transaction back");
        forget_statements();
        try {
            end_transaction(*session_, false);
        } catch (const ErrorInfo&) {
            leave_transaction(false);
            throw;
        }
        leave_transaction(true);
    }

    // The link, while open.
    Session* session() const { return session_.get(); }

    void close() override {
        if (!session_) return;
        auto session = std::move(session_);
        // An open transaction is rolled back, never committed by closing.
        if (session->level > 0) {
            session->level = 0;
            const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, session->dbc, SQL_ROLLBACK);
            SQLSetConnectAttr(session->dbc, SQL_ATTR_AUTOCOMMIT, attribute(SQL_AUTOCOMMIT_ON), 0);
            if (!SQL_SUCCEEDED(rc)) raise_error(SQL_HANDLE_DBC, session->dbc, rc, {});
        }
        // Cursors still open hold the session; the link closes when the last one goes.
    }

  private:
    // Runs sql up to its first result with rows; records_affected sums the rows changed by
    // the results before it (-1 when rows come back or the driver cannot tell).
    std::unique_ptr<Statement> run_query(const std::string& sql, int32_t& records_affected) {
        std::unique_ptr<Statement> stmt;
        if (reusable(sql) && !session_->large_results.contains(sql)) {
            stmt = Statement::cached(session_, sql);
            Statement::execute_cached(stmt);
        } else {
            // Statements kept against a table are let go before anything that may change it.
            if (!reusable(sql)) forget_statements();
            stmt = std::make_unique<Statement>(session_);
            stmt->execute_direct(sql);
        }
        records_affected = 0;
        for (;;) {
            if (stmt->result_columns(sql) > 0) {
                records_affected = -1;
                return stmt;
            }
            forget_statements();
            const SQLLEN n = stmt->row_count();
            if (n < 0 || records_affected < 0) {
                records_affected = -1;
            } else {
                records_affected += static_cast<int32_t>(n);
            }
            const SQLRETURN rc = SQLMoreResults(stmt->get());
            if (rc == SQL_NO_DATA) return nullptr;
            stmt->check(rc, sql);
        }
    }

    // Some drivers answer a commit on a lost link with success, having sent nothing: the
    // link is asked first, so that a transaction that cannot have been committed is never
    // reported as committed.
    void refuse_if_lost(const std::string& what) {
        SQLUINTEGER dead = SQL_CD_FALSE;
        const SQLRETURN rc =
            SQLGetConnectAttr(session_->dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        if (!SQL_SUCCEEDED(rc) || dead != SQL_CD_TRUE) return;
        leave_transaction(false);
        ErrorInfo e(code::provider_failure, error_source,
                    "The connection to the server was lost: " + what + ".");
        e.with_native(0, "08S01");
        throw e;
    }

    void require_transaction() const {
        if (session_->level == 0) refuse(code::no_transaction, "No transaction is active.");
    }

    // Back to autocommit after the outermost transaction ended (or failed to).
    void leave_transaction(bool report) {
        session_->level = 0;
        if (!report) {
            forget_statements();
            SQLEndTran(SQL_HANDLE_DBC, session_->dbc, SQL_ROLLBACK);
            SQLSetConnectAttr(session_->dbc, SQL_ATTR_AUTOCOMMIT, attribute(SQL_AUTOCOMMIT_ON), 0);
            return;
        }
        set_autocommit(*session_, true);
    }

    // A statement that may have changed a table's columns or dropped it leaves no statement
    // prepared against the old table.
    void forget_statements() { session_->forget_statements(); }

    // One query is kept prepared for the next run of the same text, unless it gave many rows;
    // other statements, and texts that may hold several statements, run directly.
    static bool reusable(const std::string& sql) {
        return sql.find(';') == std::string::npos &&
               detail::sql::is_select(sql, detail::sql::odbc_dialect);
    }

    static std::string savepoint(int32_t level) { return "ortiva_" + std::to_string(level); }

    std::shared_ptr<Session> session_;
};

}  // namespace

int64_t rows_fetched(const detail::ConnectionDriver& connection) {
    const auto* own = dynamic_cast<const OdbcConnection*>(&connection);
    return own && own->session() ? own->session()->rows_fetched : -1;
}

int64_t statements_prepared(const detail::ConnectionDriver& connection) {
    const auto* own = dynamic_cast<const OdbcConnection*>(&connection);
    return own && own->session() ? own->session()->statements_prepared : -1;
}

int64_t catalog_calls(const detail::ConnectionDriver& connection) {
    const auto* own = dynamic_cast<const OdbcConnection*>(&connection);
    return own && own->session() ? own->session()->catalog_calls : -1;
}

void use_parameter_arrays(detail::ConnectionDriver& connection, bool on) {
    auto* own = dynamic_cast<OdbcConnection*>(&connection);
    if (own && own->session()) own->session()->param_arrays = on;
}

std::unique_ptr<detail::ConnectionDriver> open(const detail::ConnectionString& cs,
                                               const std::string& user_id,
                                               const std::string& password) {
    auto session = std::make_shared<Session>();
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &session->env);
    if (!SQL_SUCCEEDED(rc)) {
        session->env = SQL_NULL_HENV;
        refuse(code::provider_failure, "The ODBC driver manager could not be started.");
    }
    rc = SQLSetEnvAttr(session->env, SQL_ATTR_ODBC_VERSION, attribute(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(rc)) raise_open_error(SQL_HANDLE_ENV, session->env, rc);
    rc = SQLAllocHandle(SQL_HANDLE_DBC, session->env, &session->dbc);
    if (!SQL_SUCCEEDED(rc)) {
        session->dbc = SQL_NULL_HDBC;
        raise_open_error(SQL_HANDLE_ENV, session->env, rc);
    }
    // Drivers that have no such timeouts say so; that is no reason to fail.
    SQLSetConnectAttr(session->dbc, SQL_ATTR_LOGIN_TIMEOUT, attribute(login_timeout_seconds), 0);
    SQLSetConnectAttr(session->dbc, SQL_ATTR_CONNECTION_TIMEOUT,
                      attribute(connection_timeout_seconds), 0);

    // The caller's text unchanged; the credentials after it, so that they win over any in it.
    // This text holds the password: it is never logged or put into an error.
    std::string text = cs.text;
    auto add = [&text](const char* key, const std::string& value) {
        if (value.empty()) return;
        if (!text.empty() && text.back() != ';') text.push_back(';');
        text += key;
        text += '=';
        text += braced(value);
    };
    add("UID", user_id);
    add("PWD", password);
    if (text.size() > static_cast<std::size_t>(INT16_MAX)) {
        refuse(code::provider_failure, "The connection string is too long.");
    }
    rc = SQLDriverConnect(session->dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                          static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                          SQL_DRIVER_NOPROMPT);
    std::fill(text.begin(), text.end(), '\0');
    if (!SQL_SUCCEEDED(rc)) raise_open_error(SQL_HANDLE_DBC, session->dbc, rc);
    session->connected = true;

    session->dbms = info_text(session->dbc, SQL_DBMS_NAME);
    const std::string quote = info_text(session->dbc, SQL_IDENTIFIER_QUOTE_CHAR);
    session->quote = quote == " " ? std::string() : quote;
    const auto getdata = info_number<SQLUINTEGER>(session->dbc, SQL_GETDATA_EXTENSIONS, 0);
    constexpr SQLUINTEGER needed = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND;
    session->bind_columns = (getdata & needed) == needed;
    session->transactions =
        info_number<SQLUSMALLINT>(session->dbc, SQL_TXN_CAPABLE, SQL_TC_ALL) != SQL_TC_NONE;
    session->transact_sql = text::upper(session->dbms).find("SQL SERVER") != std::string::npos;
    return std::make_unique<OdbcConnection>(std::move(session));
}

}  // namespace ortiva::odbc
