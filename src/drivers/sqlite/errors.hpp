#pragma once

// SQLite result codes and the driver's own refusals as ErrorInfo.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "seams/data/core/cursors.hpp"

namespace ortiva::sqlite {

inline constexpr const char* error_source = "Ortiva.SQLite";

namespace code = detail::data_code;

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
