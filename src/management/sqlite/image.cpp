#include "management/sqlite/image.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "management/errors.hpp"
#include "management/file_io.hpp"
#include "management/sqlite/window_vfs.hpp"
#include "ortiva/error_info.hpp"

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

void exec(sqlite3* db, const std::string& sql, const std::string& database) {
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail_db(database, db, rc);
}

// The first column of each row of a query, as text.
std::vector<std::string> query(sqlite3* db, const char* sql, const std::string& database) {
    sqlite3_stmt* raw = nullptr;
    if (const int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr); rc != SQLITE_OK)
        fail_db(database, db, rc);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> st(raw, sqlite3_finalize);
    std::vector<std::string> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(raw, 0);
        rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    if (rc != SQLITE_DONE) fail_db(database, db, rc);
    return rows;
}

// SQLite may read a name beginning "file:" as a URI (that depends on how the library was
// built); an absolute URI with every other byte escaped names exactly this file.
std::string file_uri(const std::filesystem::path& file) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::filesystem::path absolute = std::filesystem::absolute(file);
    std::string uri = "file:";
    for (const char c : absolute.native()) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            b == '/' || b == '-' || b == '.' || b == '_' || b == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += hex[b >> 4];
            uri += hex[b & 15];
        }
    }
    return uri;
}

File nameless_file_near(const std::filesystem::path& file) {
    const auto dir = parent_of(std::filesystem::absolute(file));
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // File systems without O_TMPFILE: a named file, unlinked at once.
        std::string pattern = (dir / ".ortiva-restore.XXXXXX").string();
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) fail_io("Creating a file in", dir.string(), errno);
        ::unlink(pattern.c_str());
    }
    return File::adopt(fd, dir);
}

Db open_file(const std::filesystem::path& file, int flags, const std::string& database) {
    return open_db(file_uri(file), flags | SQLITE_OPEN_URI, database);
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
    const Db source = open_file(file, SQLITE_OPEN_READWRITE, database);
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
    // The online backup copies pages as they are, damage included: refuse a damaged source
    // now rather than have it found at restore time.
    if (const std::string problem = image_problem(fd, offset, size, database); !problem.empty())
        fail(Error::database_damaged, {database, problem});
    return size;
}

std::string image_problem(int fd, uint64_t offset, uint64_t size, const std::string& database) {
    const Db image = open_db(window_uri(fd, offset, size, false),
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, database);
    std::vector<std::string> found;
    try {
        found = query(image.get(), "PRAGMA integrity_check(1)", database);
    } catch (const ErrorInfo& e) {
        return e.description();  // a header too damaged to read the schema
    }
    if (found.size() == 1 && found.front() == "ok") return {};
    return found.empty() ? std::string("the integrity check gave no result") : found.front();
}

void restore_image(const std::filesystem::path& file, const std::string& database, int fd,
                   uint64_t offset, uint64_t size, bool create) {
    const Db source = open_db(window_uri(fd, offset, size, false),
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, database);
    const Db target =
        open_file(file, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), database);
    const std::string target_page = query(target.get(), "PRAGMA page_size", database).at(0);
    const std::string source_page = query(source.get(), "PRAGMA page_size", database).at(0);
    if (target_page == source_page ||
        query(target.get(), "PRAGMA journal_mode", database).at(0) != "wal") {
        copy_all(target.get(), source.get(), database);
        return;
    }
    // A WAL database keeps its page size for as long as it is in WAL mode, and leaving WAL
    // needs every other connection closed. So the image is first rebuilt with the target's
    // page size in a nameless file beside it (nothing is left if the process dies; SQLite's
    // own temporary databases would not take a new page size), and that is copied in one
    // transaction as before.
    const File scratch = nameless_file_near(file);
    const Db rebuilt =
        open_db(window_uri(scratch.fd(), 0, 0, true),
                SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, database);
    exec(rebuilt.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", database);
    copy_all(rebuilt.get(), source.get(), database);
    exec(rebuilt.get(), "PRAGMA page_size=" + std::to_string(std::stoi(target_page)) + "; VACUUM",
         database);
    copy_all(target.get(), rebuilt.get(), database);
}

int sqlite_version_number() {
    return sqlite3_libversion_number();
}

}  // namespace ortiva::management::sqlite
