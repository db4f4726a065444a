#include "management/sqlite/image.hpp"

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "management/sqlite/errors.hpp"
#include "management/sqlite/window_vfs.hpp"

namespace ortiva::management::sqlite {

namespace {

// How long a backup or restore waits for another connection's lock before giving up.
constexpr std::chrono::seconds lock_wait{10};
constexpr int busy_timeout_ms = 10000;

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

[[noreturn]] void fail_db(const std::string& database, sqlite3* db, int rc) {
    const std::string message =
        db && sqlite3_errcode(db) == rc ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw make_error(Error::database, {database, message}).with_native(rc);
}

Db open_db(const std::string& name, int flags, const std::string& database) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) fail_db(database, raw, rc);
    sqlite3_busy_timeout(raw, busy_timeout_ms);
    sqlite3_extended_result_codes(raw, 1);
    return db;
}

void exec(sqlite3* db, const char* sql, const std::string& database) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail_db(database, db, rc);
}

// Copies every page of from into to in one step, retrying while a lock is in the way.
void copy_all(sqlite3* to, sqlite3* from, const std::string& database) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) fail_db(database, to, sqlite3_errcode(to));
    const auto deadline = std::chrono::steady_clock::now() + lock_wait;
    int rc = SQLITE_OK;
    for (;;) {
        rc = sqlite3_backup_step(backup, -1);
        const int primary = rc & 0xFF;
        if ((primary == SQLITE_BUSY || primary == SQLITE_LOCKED) &&
            std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        break;
    }
    const int finish = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) fail_db(database, nullptr, rc);
    if (finish != SQLITE_OK) fail_db(database, to, finish);
}

}  // namespace

uint64_t write_snapshot(const std::filesystem::path& file, const std::string& database, int fd,
                        uint64_t offset) {
    // Read-write (never written): a read-only connection could neither open a WAL database
    // whose shared-memory file is gone nor roll back a hot journal.
    const Db source = open_db(file.string(), SQLITE_OPEN_READWRITE, database);
    uint64_t size = 0;
    {
        const Db image =
            open_db(window_uri(fd, offset, 0, true),
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, database);
        // The device file is synced as a whole once the set is complete.
        exec(image.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", database);
        copy_all(image.get(), source.get(), database);
        // Asking SQLite for the page count would read page 1 again, which a WAL source has
        // marked as WAL; the window knows its size without that. Its xSync writes out what it
        // still holds and reports any failure to do so.
        sqlite3_file* window = nullptr;
        sqlite3_int64 window_size = 0;
        if (sqlite3_file_control(image.get(), "main", SQLITE_FCNTL_FILE_POINTER, &window) !=
                SQLITE_OK ||
            !window)
            fail(Error::database, {database, "cannot reach the image file"});
        if (const int rc = window->pMethods->xSync(window, SQLITE_SYNC_NORMAL); rc != SQLITE_OK)
            fail_db(database, nullptr, rc);
        if (const int rc = window->pMethods->xFileSize(window, &window_size); rc != SQLITE_OK)
            fail_db(database, nullptr, rc);
        size = static_cast<uint64_t>(window_size);
    }
    // Bytes 18 and 19 mark a WAL database. The image is kept in rollback form, which any
    // connection can open; a restore leaves the target's own journal mode in place.
    unsigned char mode[2] = {0, 0};
    if (size > 19 && ::pread(fd, mode, 2, static_cast<off_t>(offset + 18)) == 2 && mode[0] == 2 &&
        mode[1] == 2) {
        const unsigned char rollback[2] = {1, 1};
        if (::pwrite(fd, rollback, 2, static_cast<off_t>(offset + 18)) != 2)
            fail(Error::database, {database, "cannot mark the image's journal mode"});
    }
    return size;
}

void restore_image(const std::filesystem::path& file, const std::string& database, int fd,
                   uint64_t offset, uint64_t size, bool create) {
    const Db source = open_db(window_uri(fd, offset, size, false),
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, database);
    const Db target =
        open_db(file.string(), SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), database);
    copy_all(target.get(), source.get(), database);
}

int sqlite_version_number() {
    return sqlite3_libversion_number();
}

}  // namespace ortiva::management::sqlite
