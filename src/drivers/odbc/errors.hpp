#pragma once

// ODBC diagnostics and the driver's own refusals as ErrorInfo.

#include <sql.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "seams/data/core/cursors.hpp"

namespace ortiva::odbc {

inline constexpr const char* error_source = "Ortiva.ODBC";

namespace code = detail::data_code;

/// The number a failure with this SQLSTATE maps to: integrity violations (class 23)
/// -2147217873, a lost or refused connection (class 08, and 57P0x: the server shut the
/// session) -2147467259, out of memory -2147024882, everything else the database rejects
/// -2147217900. Drivers that report every failure as HY000 (SQLite's) are read by their
/// native code where the DBMS is known.
int32_t error_number(std::string_view sqlstate, int32_t native = 0, std::string_view dbms = {});

/// Throws the diagnostics of handle: the first record's SQLSTATE and native error, every
/// record's message in full as the description, and the statement that failed. With
/// link_lost the number is -2147467259 whatever the SQLSTATE: some drivers report a request
/// that failed on a dead link as a general error.
[[noreturn]] void raise_error(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc,
                              std::string_view statement, std::string_view dbms = {},
                              bool link_lost = false);
/// As raise_error for a connection that could not be opened: always -2147467259, and
/// nothing of the connection string (it holds the password).
[[noreturn]] void raise_open_error(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc);
/// Throws a refusal of the driver itself (number, description, source Ortiva.ODBC).
[[noreturn]] void refuse(int32_t number, std::string description, std::string_view statement = {});

}  // namespace ortiva::odbc
