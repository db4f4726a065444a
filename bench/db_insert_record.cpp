// fnInsertRecord appends one row through a keyset over the whole table: its cost must not grow
// with the table. Measured on an empty table and on one of 1,000,000 rows, against a prepared
// SQLite insert of one row as the floor. Every run works inside a transaction that is rolled
// back, so the tables keep their size and no run waits for the disk.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "ortiva/ClsCommonDb.hpp"

namespace {

constexpr int big_rows = 1'000'000;
constexpr const char* schema =
    "create table Items (Code INTEGER, Name VARCHAR(200), Rate DOUBLE PRECISION)";

void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
    }
}

struct Sqlite {
    sqlite3* db = nullptr;
    explicit Sqlite(const std::string& path) { check(db, sqlite3_open(path.c_str(), &db), "open"); }
    ~Sqlite() { sqlite3_close(db); }
    void exec(const char* sql) { check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sql); }
};

// One prepared insert, the floor.
struct RawInsert {
    Sqlite conn;
    sqlite3_stmt* stmt = nullptr;
    explicit RawInsert(const std::string& path) : conn(path) {
        check(conn.db,
              sqlite3_prepare_v2(conn.db, "insert into Items (Code, Name, Rate) values (?, ?, ?)",
                                 -1, &stmt, nullptr),
              "prepare");
        conn.exec("begin");
    }
    ~RawInsert() {
        sqlite3_finalize(stmt);
        sqlite3_exec(conn.db, "rollback", nullptr, nullptr, nullptr);
    }
    void insert(int code) {
        sqlite3_bind_int(stmt, 1, code);
        sqlite3_bind_text(stmt, 2, "Nut", -1, SQLITE_STATIC);
        sqlite3_bind_double(stmt, 3, 1.5);
        check(conn.db, sqlite3_step(stmt), "step");
        sqlite3_reset(stmt);
    }
};

struct LibraryInsert {
    ortiva::ClsCommonDb db;
    explicit LibraryInsert(const std::string& path) {
        db.SetPropertyValues("Data Source=" + path, "", "", "Items");
        db.BeginTrans();
    }
    ~LibraryInsert() {
        try {
            db.RollBackTrans();
        } catch (...) {
        }
    }
    void insert(int code) {
        if (!db.fnInsertRecord({code, "Nut", 1.5})) throw std::runtime_error("insert failed");
    }
};

struct Files {
    std::filesystem::path dir;
    std::string empty, big, raw;

    Files() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ortiva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        empty = (dir / "empty.sqlite").string();
        big = (dir / "big.sqlite").string();
        raw = (dir / "raw.sqlite").string();
        for (const auto& path : {empty, raw})
            Sqlite(path).exec(schema);
        Sqlite b(big);
        b.exec(schema);
        b.exec("begin");
        sqlite3_stmt* stmt = nullptr;
        check(b.db,
              sqlite3_prepare_v2(b.db, "insert into Items (Code, Name, Rate) values (?, ?, ?)", -1,
                                 &stmt, nullptr),
              "prepare");
        for (int i = 1; i <= big_rows; ++i) {
            sqlite3_bind_int(stmt, 1, i);
            sqlite3_bind_text(stmt, 2, "Filler row", -1, SQLITE_STATIC);
            sqlite3_bind_double(stmt, 3, i * 0.5);
            check(b.db, sqlite3_step(stmt), "fill");
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        b.exec("commit");
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

const Files& files() {
    static Files f;
    return f;
}

void BM_RawSqliteInsert(benchmark::State& state) {
    RawInsert raw(files().raw);
    int code = 0;
    for (auto _ : state)
        raw.insert(++code);
}
BENCHMARK(BM_RawSqliteInsert);

void BM_InsertRecordEmptyTable(benchmark::State& state) {
    LibraryInsert lib(files().empty);
    int code = 0;
    for (auto _ : state)
        lib.insert(++code);
}
BENCHMARK(BM_InsertRecordEmptyTable);

void BM_InsertRecordMillionRows(benchmark::State& state) {
    LibraryInsert lib(files().big);
    int code = big_rows;
    for (auto _ : state)
        lib.insert(++code);
}
BENCHMARK(BM_InsertRecordMillionRows);

// Processor time of this thread, so that other work on a shared machine does not count.
int64_t thread_ns() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// The three inserts interleaved in each iteration, so that drift falls on all of them alike;
// the counters are the ratios of their processor times.
void BM_InsertRecordRatios(benchmark::State& state) {
    RawInsert raw(files().raw);
    LibraryInsert empty(files().empty);
    LibraryInsert big(files().big);
    int64_t raw_ns = 0, empty_ns = 0, big_ns = 0;
    int code = big_rows;
    for (auto _ : state) {
        ++code;
        const int64_t t0 = thread_ns();
        raw.insert(code);
        const int64_t t1 = thread_ns();
        empty.insert(code);
        const int64_t t2 = thread_ns();
        big.insert(code);
        const int64_t t3 = thread_ns();
        raw_ns += t1 - t0;
        empty_ns += t2 - t1;
        big_ns += t3 - t2;
    }
    const auto ratio = [](int64_t a, int64_t b) {
        return b ? static_cast<double>(a) / static_cast<double>(b) : 0.0;
    };
    state.counters["million_vs_empty"] = ratio(big_ns, empty_ns);
    state.counters["empty_vs_raw"] = ratio(empty_ns, raw_ns);
    state.counters["million_vs_raw"] = ratio(big_ns, raw_ns);
}
BENCHMARK(BM_InsertRecordRatios)->MinTime(2.0);

}  // namespace
