#pragma once

#include <memory>
#include <string>

#include "seams/data_driver.hpp"

namespace ortiva::odbc {

/// Opens an ODBC connection: the connection string goes to SQLDriverConnect unchanged, with
/// UID and PWD added (braced) when user id or password are not empty.
std::unique_ptr<detail::ConnectionDriver> open(const detail::ConnectionString& cs,
                                               const std::string& user_id,
                                               const std::string& password);

}  // namespace ortiva::odbc
