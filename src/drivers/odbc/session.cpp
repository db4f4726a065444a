#include "drivers/odbc/session.hpp"

#include <cstdint>
#include <utility>

#include "drivers/odbc/errors.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::odbc {

namespace {

// From this many rows on, a query's text is run directly from then on (Session::large_results),
// and at most this many such texts are remembered.
constexpr int64_t large_result = 1000;
constexpr std::size_t max_large_results = 256;
// Tables described at once; past that the descriptions start afresh.
constexpr std::size_t max_tables = 256;

// ODBC lengths are SQLINTEGER; a longer text cannot be passed at all.
SQLINTEGER text_length(std::string_view sql) {
    if (sql.size() > static_cast<std::size_t>(INT32_MAX)) {
        refuse(err::ado_provider_error, "The statement is too long.", sql.substr(0, 200));
    }
    return static_cast<SQLINTEGER>(sql.size());
}

}  // namespace

void FreeStatement::operator()(void* stmt) const noexcept {
    // psqlODBC leaks what it keeps for a statement that was prepared and described but never
    // run unless its cursor is closed first.
    SQLFreeStmt(stmt, SQL_CLOSE);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

void ResetStatement::operator()(KeptStatement& stmt) const noexcept {
    SQLFreeStmt(stmt.handle.get(), SQL_CLOSE);
    SQLFreeStmt(stmt.handle.get(), SQL_RESET_PARAMS);
    SQLFreeStmt(stmt.handle.get(), SQL_UNBIND);
}

Session::~Session() {
    // Every statement goes before the link.
    cache.clear();
    if (dbc != SQL_NULL_HDBC) {
        // An open transaction ends with the link: never committed by accident.
        if (connected && level > 0) SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        if (connected) SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
}

void Session::forget_statements() noexcept {
    cache.clear();
    tables.clear();
    ++schema_generation;
}

TableFacts& Session::table(const std::string& schema, const std::string& name) {
    auto key = std::make_pair(schema, name);
    if (const auto it = tables.find(key); it != tables.end()) return it->second;
    if (tables.size() >= max_tables) tables.clear();
    return tables[std::move(key)];
}

std::string Session::quoted(std::string_view name) const {
    if (quote.empty()) return std::string(name);
    std::string out = quote;
    for (const char c : name) {
        out.push_back(c);
        if (std::string_view(&c, 1) == quote) out.push_back(c);
    }
    out += quote;
    return out;
}

Statement::Statement(std::shared_ptr<Session> session) : session_(std::move(session)) {
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, session_->dbc, &stmt_);
    if (!SQL_SUCCEEDED(rc)) {
        stmt_ = SQL_NULL_HSTMT;
        raise_error(SQL_HANDLE_DBC, session_->dbc, rc, {});
    }
}

std::unique_ptr<Statement> Statement::cached(const std::shared_ptr<Session>& session,
                                             std::string sql) {
    std::unique_ptr<Statement> stmt;
    if (KeptStatement kept = session->cache.take(sql)) {
        stmt.reset(new Statement(session, static_cast<SQLHSTMT>(kept.handle.release())));
        stmt->columns_ = std::move(kept.columns);
        stmt->reused_ = true;
    } else {
        stmt = std::make_unique<Statement>(session);
        stmt->prepare(sql);
    }
    stmt->cached_sql_ = std::move(sql);
    stmt->generation_ = session->schema_generation;
    return stmt;
}

Statement::~Statement() {
    if (stmt_ == SQL_NULL_HSTMT) return;
    KeptStatement kept{StatementHandle(stmt_), std::move(columns_)};
    if (cached_sql_.empty()) return;
    if (rows_ >= large_result) {
        try {
            auto& large = session_->large_results;
            if (large.size() >= max_large_results) large.clear();
            large.insert(std::move(cached_sql_));
        } catch (...) {
            // Out of memory: the text is simply prepared again next time.
        }
        return;
    }
    // Prepared against a table that may have changed since: it goes with its cursor.
    if (generation_ == session_->schema_generation) {
        session_->cache.give_back(std::move(cached_sql_), std::move(kept));
    }
}

const Description& Statement::described() const {
    static const Description none;
    return executed_ ? none : columns_;
}

void Statement::check(SQLRETURN rc, std::string_view sql) const {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    // A statement that failed is not trusted again: prepared afresh next time.
    cached_sql_.clear();
    SQLUINTEGER dead = SQL_CD_FALSE;
    const bool lost = SQL_SUCCEEDED(SQLGetConnectAttr(session_->dbc, SQL_ATTR_CONNECTION_DEAD,
                                                      &dead, 0, nullptr)) &&
                      dead == SQL_CD_TRUE;
    raise_error(SQL_HANDLE_STMT, stmt_, rc, sql, session_->dbms, lost);
}

void Statement::prepare(std::string_view sql) {
    const SQLINTEGER length = text_length(sql);
    check(SQLPrepare(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())), length),
          sql);
    ++session_->statements_prepared;
}

void Statement::execute(std::string_view sql) {
    executed_ = true;
    check(SQLExecute(stmt_), sql);
}

void Statement::execute_direct(std::string_view sql) {
    executed_ = true;
    const SQLINTEGER length = text_length(sql);
    check(SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())), length),
          sql);
}

bool Statement::execute_cached(std::unique_ptr<Statement>& stmt) {
    const std::string sql = stmt->cached_sql_;
    try {
        stmt->execute(sql);
        return false;
    } catch (const ErrorInfo&) {
        if (!stmt->reused_) throw;
    }
    // Another connection changed a table: what the catalog said of it may be out of date too.
    stmt->session_->tables.clear();
    auto fresh = std::make_unique<Statement>(stmt->session_);
    fresh->prepare(sql);
    fresh->cached_sql_ = sql;
    fresh->generation_ = stmt->session_->schema_generation;
    fresh->execute(sql);
    stmt = std::move(fresh);
    return true;
}

void Statement::close_cursor() noexcept {
    SQLFreeStmt(stmt_, SQL_CLOSE);
}

SQLSMALLINT Statement::result_columns(std::string_view sql) const {
    SQLSMALLINT n = 0;
    check(SQLNumResultCols(stmt_, &n), sql);
    return n;
}

SQLLEN Statement::row_count() const {
    SQLLEN n = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(stmt_, &n))) return -1;
    return n;
}

void run(const std::shared_ptr<Session>& session, std::string_view sql) {
    Statement stmt(session);
    stmt.execute_direct(sql);
}

void set_autocommit(Session& session, bool on) {
    const auto value = reinterpret_cast<SQLPOINTER>(
        static_cast<uintptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF));
    const SQLRETURN rc = SQLSetConnectAttr(session.dbc, SQL_ATTR_AUTOCOMMIT, value, 0);
    if (!SQL_SUCCEEDED(rc)) raise_error(SQL_HANDLE_DBC, session.dbc, rc, {}, session.dbms);
}

void end_transaction(Session& session, bool commit) {
    const SQLRETURN rc =
        SQLEndTran(SQL_HANDLE_DBC, session.dbc, commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) raise_error(SQL_HANDLE_DBC, session.dbc, rc, {}, session.dbms);
}

}  // namespace ortiva::odbc
