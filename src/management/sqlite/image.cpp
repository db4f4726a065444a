#include "management/sqlite/image.hpp"

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <thread>

#include "management/sqlite/errors.hpp"

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

Snapshot::Snapshot(const std::filesystem::path& file, const std::string& database) {
    const Db source = open_db(file.string(), SQLITE_OPEN_READONLY, database);
    // A private memdb keeps the image in one block that can be written out without a copy.
    Db memory = open_db("file:snapshot?vfs=memdb",
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, database);
    copy_all(memory.get(), source.get(), database);
    sqlite3_int64 size = 0;
    data_ = sqlite3_serialize(memory.get(), "main", &size, SQLITE_SERIALIZE_NOCOPY);
    if (!data_ && size > 0) {
        data_ = sqlite3_serialize(memory.get(), "main", &size, 0);
        if (!data_) fail_db(database, nullptr, SQLITE_NOMEM);
        owns_data_ = true;
    }
    size_ = static_cast<std::size_t>(size);
    memory_ = memory.release();
}

Snapshot::~Snapshot() {
    if (owns_data_) sqlite3_free(data_);
    sqlite3_close_v2(memory_);
}

void restore_image(const std::filesystem::path& file, const std::string& database,
                   unsigned char* image, std::size_t size, bool create) {
    // Bytes 18 and 19 mark a WAL database; an in-memory copy cannot open in that mode. The
    // target keeps its own journal mode either way.
    if (size > 19 && image[18] == 2 && image[19] == 2) image[18] = image[19] = 1;

    const Db source = open_db(":memory:", SQLITE_OPEN_READWRITE, database);
    const int rc =
        sqlite3_deserialize(source.get(), "main", image, static_cast<sqlite3_int64>(size),
                            static_cast<sqlite3_int64>(size), SQLITE_DESERIALIZE_READONLY);
    if (rc != SQLITE_OK) fail_db(database, source.get(), rc);
    const Db target =
        open_db(file.string(), SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), database);
    copy_all(target.get(), source.get(), database);
}

int sqlite_version_number() {
    return sqlite3_libversion_number();
}

}  // namespace ortiva::management::sqlite
