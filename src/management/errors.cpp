#include "management/errors.hpp"

#include <cstring>

namespace ortiva::management {

namespace {

// %1, %2, ... are replaced by the arguments in order.
const char* template_of(Error e) {
    switch (e) {
        case Error::not_connected:
            return "The server object is not connected to a server.";
        case Error::not_a_server:
            return "'%1' is not a server directory: it holds no device catalog.";
        case Error::server_exists:
            return "'%1' is already a server directory.";
        case Error::no_such_device:
            return "Backup device '%1' does not exist on server '%2'.";
        case Error::device_exists:
            return "Backup device '%1' already exists on server '%2'.";
        case Error::invalid_name:
            return "'%1' is not a valid %2 name: %3.";
        case Error::invalid_device_type:
            return "Device type %1 is not valid: use 2 (disk) or 5 (tape).";
        case Error::no_such_database:
            return "Database '%1' does not exist on server '%2'.";
        case Error::no_such_backup_set:
            return "Backup set %1 does not exist on device '%2', which holds %3 complete "
                   "backup sets.";
        case Error::backup_set_damaged:
            return "Backup set %1 on device '%2' is damaged (%3); nothing was restored.";
        case Error::not_a_device:
            return "File '%1' of backup device '%2' is not a backup device file; it was left "
                   "as it is.";
        case Error::device_damaged:
            return "Backup device '%1' is damaged after backup set %2 and holds further sets "
                   "beyond the damage; nothing was written. Initialize the device to reuse it.";
        case Error::database_mismatch:
            return "Backup set %1 on device '%2' holds database '%3', not '%4'; nothing was "
                   "restored.";
        case Error::device_missing:
            return "Device file '%1' of backup device '%2' does not exist.";
        case Error::catalog_damaged:
            return "The device catalog '%1' is damaged at line %2.";
        case Error::io:
            return "%1 '%2' failed: %3.";
        case Error::database:
            return "SQLite failed on database '%1': %2.";
        case Error::database_damaged:
            return "Database '%1' is damaged (%2); it was not backed up.";
        case Error::server:
            return "Server '%1' failed: %2 (SQLSTATE %3).";
        case Error::server_program:
            return "%1 failed on database '%2': %3.";
    }
    return "Unknown management error.";
}

}  // namespace

ErrorInfo make_error(Error e, std::initializer_list<std::string> args) {
    const std::string pattern = template_of(e);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) text += *(args.begin() + n);
            ++i;
        } else {
            text += c;
        }
    }
    return ErrorInfo(static_cast<int32_t>(e), error_source, text);
}

void fail(Error e, std::initializer_list<std::string> args) {
    throw make_error(e, args);
}

void fail_io(const std::string& action, const std::string& path, int errno_value) {
    fail(Error::io, {action, path, std::strerror(errno_value)});
}

}  // namespace ortiva::management
