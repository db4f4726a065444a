#pragma once

#include <memory>
#include <string>

#include "seams/data_driver.hpp"

namespace ortiva::sqlite {

/// Opens the embedded SQLite driver on "Data Source=<path>" (":memory:" too; "Mode=Read" opens
/// read-only). SQLite has no logins: user id and password are accepted and not used.
std::unique_ptr<detail::ConnectionDriver> open(const detail::ConnectionString& cs);

}  // namespace ortiva::sqlite
