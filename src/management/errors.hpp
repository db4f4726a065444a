#pragma once

// The errors of the management backends: one number per kind of failure, all with source
// "Ortiva.Management", so that callers and operators can tell them apart.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "ortiva/error_info.hpp"

namespace ortiva::management {

enum class Error : int32_t {
    not_connected = 21001,
    not_a_server = 21002,
    server_exists = 21003,
    no_such_device = 21004,
    device_exists = 21005,
    invalid_name = 21006,
    invalid_device_type = 21007,
    no_such_database = 21008,
    no_such_backup_set = 21009,
    backup_set_damaged = 21010,
    not_a_device = 21011,
    device_damaged = 21012,
    database_mismatch = 21013,
    device_missing = 21014,
    catalog_damaged = 21015,
    io = 21016,
    database = 21017,
    database_damaged = 21018,
    server = 21019,
    server_program = 21020,
};

inline constexpr const char* error_source = "Ortiva.Management";

/// The ErrorInfo for e, its text filled with args in order.
ErrorInfo make_error(Error e, std::initializer_list<std::string> args = {});
[[noreturn]] void fail(Error e, std::initializer_list<std::string> args = {});

/// An io failure: what was being done ("Writing device file"), on which path, and errno.
[[noreturn]] void fail_io(const std::string& action, const std::string& path, int errno_value);

}  // namespace ortiva::management
