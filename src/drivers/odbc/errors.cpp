#include "drivers/odbc/errors.hpp"

#include <sqlext.h>

#include <vector>

#include "ortiva/error_info.hpp"

namespace ortiva::odbc {

namespace {

struct Diagnostics {
    std::string sqlstate;
    SQLINTEGER native = 0;
    std::string message;
};

// Every record's message, each read whole however long it is.
Diagnostics read_diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc) {
    Diagnostics d;
    if (rc == SQL_INVALID_HANDLE || handle == SQL_NULL_HANDLE) {
        d.message = "The ODBC driver manager reported an invalid handle.";
        return d;
    }
    std::vector<SQLCHAR> buffer(1024);
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLGetDiagRec(type, handle, record, state, &native, buffer.data(),
                                    static_cast<SQLSMALLINT>(buffer.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(length) + 1);
            r = SQLGetDiagRec(type, handle, record, state, &native, buffer.data(),
                              static_cast<SQLSMALLINT>(buffer.size()), &length);
        }
        if (!SQL_SUCCEEDED(r)) break;
        std::string message(
            reinterpret_cast<const char*>(buffer.data()),
            std::min<std::size_t>(static_cast<std::size_t>(length), buffer.size() - 1));
        if (record == 1) {
            d.sqlstate = reinterpret_cast<const char*>(state);
            d.native = native;
            d.message = std::move(message);
        } else if (!message.empty() && d.message.find(message) == std::string::npos) {
            d.message += '\n' + message;
        }
    }
    if (d.message.empty()) d.message = "The ODBC driver reported a failure without a message.";
    return d;
}

}  // namespace

int32_t error_number(std::string_view sqlstate, int32_t native, std::string_view dbms) {
    if (sqlstate.starts_with("23")) return err::ado_integrity_violation;
    if (sqlstate == "HY000" && dbms == "SQLite") {
        constexpr int32_t constraint = 19, nomem = 7;  // SQLite's primary result codes
        if ((native & 0xff) == constraint) return err::ado_integrity_violation;
        if ((native & 0xff) == nomem) return code::out_of_memory;
    }
    if (sqlstate.starts_with("08") || sqlstate.starts_with("57P0")) return code::provider_failure;
    if (sqlstate == "HY001") return code::out_of_memory;
    return err::ado_provider_error;
}

void raise_error(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc,
                 std::string_view statement, std::string_view dbms, bool link_lost) {
    Diagnostics d = read_diagnostics(handle_type, handle, rc);
    const int32_t number =
        link_lost ? code::provider_failure : error_number(d.sqlstate, d.native, dbms);
    ErrorInfo e(number, error_source, std::move(d.message));
    e.with_native(d.native, d.sqlstate).with_statement(std::string(statement));
    throw e;
}

void raise_open_error(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc) {
    Diagnostics d = read_diagnostics(handle_type, handle, rc);
    ErrorInfo e(code::provider_failure, error_source, std::move(d.message));
    e.with_native(d.native, d.sqlstate);
    throw e;
}

void refuse(int32_t number, std::string description, std::string_view statement) {
    detail::refuse(error_source, number, std::move(description), statement);
}

}  // namespace ortiva::odbc
