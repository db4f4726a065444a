#include "drivers/sqlite/errors.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva::sqlite {

int32_t error_number(int rc) {
    switch (rc & 0xff) {
        case SQLITE_CONSTRAINT:
            return err::ado_integrity_violation;
        case SQLITE_NOMEM:
            return code::out_of_memory;
        default:
            return err::ado_provider_error;
    }
}

void raise_error(sqlite3* db, int rc, std::string_view statement) {
    // The handle's message is the one that goes with rc only while nothing else ran since.
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (message.empty()) message = sqlite3_errstr(rc);
    ErrorInfo e(error_number(rc), error_source, std::move(message));
    e.with_native(db ? sqlite3_extended_errcode(db) : rc).with_statement(std::string(statement));
    throw e;
}

void raise_open_error(sqlite3* db, int rc, const std::string& path) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    ErrorInfo e(code::provider_failure, error_source, message + " (Data Source=" + path + ")");
    e.with_native(db ? sqlite3_extended_errcode(db) : rc);
    throw e;
}

void refuse(int32_t number, std::string description, std::string_view statement) {
    detail::refuse(error_source, number, std::move(description), statement);
}

}  // namespace ortiva::sqlite
