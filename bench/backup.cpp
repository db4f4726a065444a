// Backup of a 100 MB database onto a device and its restore, against the raw floor of a plain
// file copy of the same database file (read, write, flush to disk) in the same run. Each
// iteration runs them all, so drift on a shared machine falls on them alike; the counters
// give MB/s and the ratios of time to the copy. A restore must replace the live database in
// one transaction, so it writes the old pages to a journal as well as the new ones to the
// database; SQLite's own backup API restoring the copied file into the live database (no
// device, no checksum) is measured beside it to show that share, and SQLite's integrity
// check of the file, which both the backup and the restore run on the image.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/management.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int rows = 25000;
constexpr int row_bytes = 4000;  // 25,000 rows of 4,000 random bytes: about 100 MB

struct Setup {
    fs::path root;
    fs::path server;
    fs::path database;
    double megabytes = 0;

    Setup() {
        std::string pattern = (fs::temp_directory_path() / "ortiva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        server = root / "server";
        ortiva::management::create_server_directory(server);
        ortiva::management::add_backup_device(server, "BENCH", "bench.bak");
        database = server / "BIG.db";
        sqlite3* db = nullptr;
        sqlite3_open(database.c_str(), &db);
        const std::string sql =
            "CREATE TABLE blobs(b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM "
            "n WHERE i < " +
            std::to_string(rows) + ") INSERT INTO blobs SELECT randomblob(" +
            std::to_string(row_bytes) + ") FROM n;";
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
            throw std::runtime_error(error ? error : "cannot build the database");
        sqlite3_close(db);
        megabytes = static_cast<double>(fs::file_size(database)) / 1e6;
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

// The floor: the same bytes read and written once, and flushed as a backup must be.
void plain_copy(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) throw std::runtime_error("cannot open for the copy");
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) throw std::runtime_error("read failed");
        if (n == 0) break;
        if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n)
            throw std::runtime_error("write failed");
    }
    ::fsync(out);
    ::close(in);
    ::close(out);
}

// SQLite's backup API from a database file into the live database, as a restore must write.
void sqlite_restore(const fs::path& from, const fs::path& to) {
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    sqlite3_open_v2(from.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open_v2(to.c_str(), &target, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(target, "main", source, "main");
    const int rc = b ? sqlite3_backup_step(b, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(b);
    sqlite3_close(source);
    sqlite3_close(target);
    if (rc != SQLITE_DONE) throw std::runtime_error("SQLite restore failed");
}

// SQLite's integrity check of the copied file: what a backup and a restore each spend on
// checking the image before the set is kept or the live database touched.
void integrity_check(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const int rc = sqlite3_exec(db, "PRAGMA integrity_check(1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("integrity check failed");
}

void BM_BackupRestoreRatios(benchmark::State& state) {
    Setup& s = setup();
    ortiva::ClsDBBackupRestore obj;
    obj.SetConnectionToServer(s.server.string(), "bench", "");
    const ortiva::VariantArray databases{ortiva::Variant("BIG")};
    using clock = std::chrono::steady_clock;
    clock::duration copy_time{}, backup_time{}, restore_time{}, sqlite_restore_time{}, check_time{};
    for (auto _ : state) {
        const auto t0 = clock::now();
        plain_copy(s.database, s.root / "copy.db");
        const auto t1 = clock::now();
        obj.fnBackupDatabase("BENCH", true, databases);
        const auto t2 = clock::now();
        obj.fnRestoreDatabase("BENCH", 1, databases);
        const auto t3 = clock::now();
        sqlite_restore(s.root / "copy.db", s.database);
        const auto t4 = clock::now();
        integrity_check(s.root / "copy.db");
        const auto t5 = clock::now();
        copy_time += t1 - t0;
        check_time += t5 - t4;
        backup_time += t2 - t1;
        restore_time += t3 - t2;
        sqlite_restore_time += t4 - t3;
    }
    const auto seconds = [](clock::duration d) { return std::chrono::duration<double>(d).count(); };
    const double n = static_cast<double>(state.iterations());
    state.counters["copy_MB/s"] = s.megabytes * n / seconds(copy_time);
    state.counters["backup_MB/s"] = s.megabytes * n / seconds(backup_time);
    state.counters["restore_MB/s"] = s.megabytes * n / seconds(restore_time);
    state.counters["backup_vs_copy"] = seconds(backup_time) / seconds(copy_time);
    state.counters["restore_vs_copy"] = seconds(restore_time) / seconds(copy_time);
    state.counters["sqlite_restore_vs_copy"] = seconds(sqlite_restore_time) / seconds(copy_time);
    state.counters["integrity_check_vs_copy"] = seconds(check_time) / seconds(copy_time);
}
BENCHMARK(BM_BackupRestoreRatios)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
