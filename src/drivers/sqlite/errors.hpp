#pragma once

// SQLite result codes and the driver's own refusals as ErrorInfo.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace ortiva::sqlite {

inline constexpr const char* error_source = "Ortiva.SQLite";

namespace code {
inline constexpr int32_t not_updatable = 3251;
inline constexpr int32_t wrong_type = 3421;
inline constexpr int32_t provider_failure = -2147467259;       // E_FAIL
inline constexpr int32_t out_of_memory = -2147024882;          // E_OUTOFMEMORY
inline constexpr int32_t row_deleted = -2147217885;            // DB_E_DELETEDROW
inline constexpr int32_t cannot_fetch_backward = -2147217884;  // DB_E_CANTFETCHBACKWARDS
inline constexpr int32_t row_not_found = -2147217864;          // DB_E_CONCURRENCYVIOLATION
inline constexpr int32_t no_transaction = -2147168242;         // XACT_E_NOTRANSACTION
}  // namespace code

/// The number a failing SQLite call maps to: constraint violations -2147217873, out of memory
/// -2147024882, everything else the database rejects -2147217900.
int32_t error_number(int rc);

/// Throws the ErrorInfo for rc with SQLite's own message, the extended code as native error and
/// the statement that failed.
[[noreturn]] void raise_error(sqlite3* db, int rc, std::string_view statement);
/// Throws for a database that cannot be opened; the description names the file.
[[noreturn]] void raise_open_error(sqlite3* db, int rc, const std::string& path);
/// Throws a refusal of the driver itself (number, description, source Ortiva.SQLite).
[[noreturn]] void refuse(int32_t number, std::string description, std::string_view statement = {});

}  // namespace ortiva::sqlite
