// getdate() for SQLite reached through its ODBC driver, which loads this file as an extension
// (LoadExt=): the embedded driver registers the function itself, an ODBC data source cannot.

#include <sqlite3ext.h>

#include <ctime>

SQLITE_EXTENSION_INIT1

namespace {

void getdate(sqlite3_context* ctx, int, sqlite3_value**) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    sqlite3_result_text(ctx, text, -1, SQLITE_TRANSIENT);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(
    sqlite3* db, char**, const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_function(db, "getdate", 0, SQLITE_UTF8, nullptr, getdate, nullptr,
                                   nullptr);
}
