// Backup and restore of a 100 MB PostgreSQL database through a device, against the raw floors
// in the same run: pg_dump -Fc into a plain file, and pg_restore --single-transaction from it.
// The counters give the ratios of time to those floors. Needs the server that
// scripts/with-postgres.sh starts (ORTIVA_PG_*).

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/management.hpp"

namespace {

namespace fs = std::filesystem;

constexpr const char* database = "bench_big";

// The value of key in an ODBC-style "Key=value;..." text.
std::string odbc_value(const std::string& text, const std::string& key) {
    const auto at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const auto start = at + key.size() + 1;
    return text.substr(start, text.find(';', start) - start);
}

void run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status != 0 || !WIFEXITED(status)) throw std::runtime_error("failed: " + command);
}

struct Setup {
    std::string host, port, user, server;
    fs::path root;
    double megabytes = 0;

    explicit Setup(const char* connect) {
        host = odbc_value(connect, "Server");
        port = odbc_value(connect, "Port");
        user = std::getenv("ORTIVA_PG_USER");
        // The client programs of the floors find the password where libpq looks for it.
        setenv("PGPASSWORD", std::getenv("ORTIVA_PG_PASSWORD"), 1);
        setenv("PGHOST", host.c_str(), 1);
        setenv("PGPORT", port.c_str(), 1);
        setenv("PGUSER", user.c_str(), 1);
        std::string pattern = (fs::temp_directory_path() / "ortiva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        server = "postgresql://" + host + ":" + port + "?devices=" + root.string();
        ortiva::management::add_backup_device(ortiva::management::device_catalog_directory(server),
                                              "BENCH", "bench.bak");
        const std::string admin = "psql -q -v ON_ERROR_STOP=1 -U postgres -d postgres -c ";
        run(admin + "'DROP DATABASE IF EXISTS " + database + "' -c 'CREATE DATABASE " + database +
            " OWNER " + user + "'");
        // 17,000 rows of 4,000 random bytes: about 100 MB on the server, stored.
        run("psql -q -v ON_ERROR_STOP=1 -d " + std::string(database) +
            " -c 'CREATE TABLE blobs(b bytea)' -c \"INSERT INTO blobs SELECT (SELECT "
            "string_agg(decode(md5(random()::text || i || g), 'hex'), '') FROM "
            "generate_series(1, 250) g) FROM generate_series(1, 17000) i\"");
        PGconn* c = PQconnectdb(("dbname=" + std::string(database)).c_str());
        PGresult* r = PQexec(c, "SELECT pg_database_size(current_database())");
        megabytes = std::stod(PQgetvalue(r, 0, 0)) / 1e6;
        PQclear(r);
        PQfinish(c);
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(root, ec);
        std::system(("psql -q -U postgres -d postgres -c 'DROP DATABASE IF EXISTS " +
                     std::string(database) + " WITH (FORCE)'")
                        .c_str());
    }
};

void BM_PostgresBackupRestoreRatios(benchmark::State& state) {
    const char* connect = std::getenv("ORTIVA_PG_CONNECT");
    if (!connect) {
        state.SkipWithError("ORTIVA_PG_CONNECT is not set: run under scripts/with-postgres.sh");
        return;
    }
    static Setup s(connect);
    ortiva::ClsDBBackupRestore obj;
    obj.SetConnectionToServer(s.server, s.user, std::getenv("ORTIVA_PG_PASSWORD"));
    const ortiva::VariantArray databases{ortiva::Variant(database)};
    const std::string file = (s.root / "plain.dump").string();
    using clock = std::chrono::steady_clock;
    clock::duration dump_time{}, backup_time{}, plain_restore_time{}, restore_time{};
    for (auto _ : state) {
        const auto t0 = clock::now();
        run("pg_dump -Fc -w -d " + std::string(database) + " -f " + file);
        const auto t1 = clock::now();
        obj.fnBackupDatabase("BENCH", true, databases);
        const auto t2 = clock::now();
        run("pg_restore -w --single-transaction --clean --if-exists -d " + std::string(database) +
            " " + file);
        const auto t3 = clock::now();
        obj.fnRestoreDatabase("BENCH", 1, databases);
        const auto t4 = clock::now();
        dump_time += t1 - t0;
        backup_time += t2 - t1;
        plain_restore_time += t3 - t2;
        restore_time += t4 - t3;
    }
    const auto seconds = [](clock::duration d) { return std::chrono::duration<double>(d).count(); };
    const double n = static_cast<double>(state.iterations());
    state.counters["database_MB"] = s.megabytes;
    state.counters["backup_MB/s"] = s.megabytes * n / seconds(backup_time);
    state.counters["backup_vs_pg_dump"] = seconds(backup_time) / seconds(dump_time);
    state.counters["restore_vs_pg_restore"] = seconds(restore_time) / seconds(plain_restore_time);
}
BENCHMARK(BM_PostgresBackupRestoreRatios)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
