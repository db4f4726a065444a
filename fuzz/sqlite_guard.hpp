#pragma once

// Every SQLite connection the process opens gets bounds first, so that fuzzed SQL can neither
// run for ever, grow a value without end nor write a file outside its own database: a budget
// of virtual-machine steps per input, a short maximum length, and no ATTACH (nor VACUUM INTO).
// A statement past a bound fails with SQLite's own error, which the library reports as usual.
#include <sqlite3.h>

namespace ortiva::fuzz {

inline int sqlite_budget = 0;

inline void sqlite_guard_reset() {
    sqlite_budget = 20000;  // progress calls of 100 steps each
}

inline int sqlite_guard_init(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 1 << 16);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_progress_handler(
        db, 100, [](void*) { return --sqlite_budget < 0 ? 1 : 0; }, nullptr);
    sqlite3_set_authorizer(
        db,
        [](void*, int action, const char*, const char*, const char*, const char*) {
            return action == SQLITE_ATTACH ? SQLITE_DENY : SQLITE_OK;
        },
        nullptr);
    return SQLITE_OK;
}

inline void sqlite_guard_install() {
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&sqlite_guard_init));
}

}  // namespace ortiva::fuzz
