// The SQLite driver against its floors, measured in the same run:
//
//  - KeysetAppend: open a keyset on "Select * from T", AddNew, assign, Update, Close on a table
//    of 1,000,000 rows and on an empty table in the same database. The counter "ratio" is the
//    big table's time over the empty table's: appending must not read the table (target 1.2).
//  - ForwardRead: 100,000 rows of four columns read through Connection::Execute and
//    Fields()[i].Value(), against a raw sqlite3_step loop that copies every value into a
//    std::string. The counter "ratio" is the Recordset's time over the raw loop's (target 1.5).
//
//  - ForwardReadText: 100,000 rows x 3 columns (integer, text, real) read through Execute and
//    turned into text with to_text, against a raw sqlite3_step loop that makes the same strings
//    from the typed columns (target 1.15).
//  - ReturnFieldByKey: fnReturnField by primary key 10,000 times in one read transaction,
//    against a raw loop that prepares the same statement text each time (target 1.0).
//
// Each iteration runs both sides, so drift on a shared machine falls on them alike; the sides
// are timed in thread CPU time, which other processes on a busy machine do not inflate. A
// second floor, "ratio_typed", reads each column with its own accessor (no number-to-text
// conversion) and is the tighter one.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <time.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/recordset.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int big_rows = 1000000;
constexpr int read_rows = 100000;

struct Setup {
    fs::path root;
    std::string file;
    std::shared_ptr<ortiva::Connection> connection;

    Setup() {
        std::string pattern = (fs::temp_directory_path() / "ortiva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        file = (root / "bench.sqlite").string();
        connection = ortiva::Connection::create();
        connection->Open("Data Source=" + file);
        // Durability is not what is measured: no sync per append.
        connection->Execute("PRAGMA journal_mode = WAL");
        connection->Execute("PRAGMA synchronous = OFF");
        const std::string columns =
            " (Id integer primary key, Name text, Qty integer, Price real, At datetime)";
        connection->BeginTrans();
        connection->Execute("create table Big" + columns);
        connection->Execute("create table Empty" + columns);
        connection->Execute("create table R" + columns);
        const auto fill = [&](const std::string& table, int n) {
            connection->Execute(
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                std::to_string(n) + ") insert into " + table +
                " select i, 'item number ' || i, i % 1000, i * 0.25, '2024-01-01 10:00:00' "
                "from n");
        };
        fill("Big", big_rows);
        fill("R", read_rows);
        connection->CommitTrans();
    }
    ~Setup() {
        connection.reset();
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

double cpu_now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double seconds_since(double start) {
    return cpu_now() - start;
}

double append_one(const std::shared_ptr<ortiva::Connection>& c, const std::string& table) {
    const double start = cpu_now();
    ortiva::Recordset rs;
    rs.Open("Select * from " + table, c, ortiva::adOpenKeyset, ortiva::adLockOptimistic);
    rs.AddNew();
    rs.Fields()[1].Value("appended");
    rs.Fields()[2].Value(int32_t{7});
    rs.Fields()[3].Value(1.5);
    rs.Update();
    rs.Close();
    return seconds_since(start);
}

void KeysetAppend(benchmark::State& state) {
    auto& s = setup();
    double big = 0, empty = 0;
    for (auto _ : state) {
        empty += append_one(s.connection, "Empty");
        big += append_one(s.connection, "Big");
        state.PauseTiming();
        s.connection->Execute("delete from Empty");
        s.connection->Execute("delete from Big where Id > " + std::to_string(big_rows));
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["big_us"] = big / n * 1e6;
    state.counters["empty_us"] = empty / n * 1e6;
    state.counters["ratio"] = big / empty;
}
BENCHMARK(KeysetAppend)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

const char* read_sql = "select Id, Name, Qty, Price from R";

double read_raw(sqlite3* db, std::size_t& bytes) {
    const double start = cpu_now();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, read_sql, -1, &stmt, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < 4; ++i) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            std::string value(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
            bytes += value.size();
            benchmark::DoNotOptimize(value);
        }
    }
    sqlite3_finalize(stmt);
    return seconds_since(start);
}

double read_raw_typed(sqlite3* db, std::size_t& bytes) {
    const double start = cpu_now();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, read_sql, -1, &stmt, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        int64_t id = sqlite3_column_int64(stmt, 0);
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        std::string name(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 1)));
        int64_t qty = sqlite3_column_int64(stmt, 2);
        double price = sqlite3_column_double(stmt, 3);
        bytes += name.size();
        benchmark::DoNotOptimize(id);
        benchmark::DoNotOptimize(name);
        benchmark::DoNotOptimize(qty);
        benchmark::DoNotOptimize(price);
    }
    sqlite3_finalize(stmt);
    return seconds_since(start);
}

double read_recordset(const std::shared_ptr<ortiva::Connection>& c, std::size_t& rows) {
    const double start = cpu_now();
    auto rs = c->Execute(read_sql);
    auto& fields = rs->Fields();
    for (; !rs->Eof(); rs->MoveNext()) {
        for (int32_t i = 0; i < 4; ++i) {
            ortiva::Variant value = fields[i].Value();
            benchmark::DoNotOptimize(value);
        }
        ++rows;
    }
    rs->Close();
    return seconds_since(start);
}

void ForwardRead(benchmark::State& state) {
    auto& s = setup();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(s.file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    double floor = 0, typed = 0, recordset = 0;
    std::size_t bytes = 0, rows = 0;
    for (auto _ : state) {
        floor += read_raw(raw, bytes);
        typed += read_raw_typed(raw, bytes);
        recordset += read_recordset(s.connection, rows);
    }
    sqlite3_close(raw);
    if (rows != static_cast<std::size_t>(read_rows) * state.iterations()) {
        state.SkipWithError("the recordset did not read every row");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = floor / n * 1e3;
    state.counters["raw_typed_ms"] = typed / n * 1e3;
    state.counters["recordset_ms"] = recordset / n * 1e3;
    state.counters["ratio"] = recordset / floor;
    state.counters["ratio_typed"] = recordset / typed;
}
BENCHMARK(ForwardRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

const char* text_sql = "select Id, Name, Price from R";

// The floor makes each value's text as the library does, by the shortest raw means: integers
// in decimal, reals to 15 significant digits (the same text for this table's values), texts as
// they are. The run fails when the two sides made texts of other lengths.
double read_text_raw(sqlite3* db, std::size_t& bytes) {
    const double start = cpu_now();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, text_sql, -1, &stmt, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db));
    }
    char buf[32];
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < 3; ++i) {
            std::string value;
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER:
                    value.assign(
                        buf,
                        std::to_chars(buf, buf + sizeof buf, sqlite3_column_int64(stmt, i)).ptr);
                    break;
                case SQLITE_FLOAT:
                    value.assign(
                        buf, std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(stmt, i),
                                           std::chars_format::general, 15)
                                 .ptr);
                    break;
                default: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                    value.assign(p ? p : "",
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
                }
            }
            bytes += value.size();
            benchmark::DoNotOptimize(value);
        }
    }
    sqlite3_finalize(stmt);
    return seconds_since(start);
}

double read_text_recordset(const std::shared_ptr<ortiva::Connection>& c, std::size_t& bytes) {
    const double start = cpu_now();
    auto rs = c->Execute(text_sql);
    auto& fields = rs->Fields();
    for (; !rs->Eof(); rs->MoveNext()) {
        for (int32_t i = 0; i < 3; ++i) {
            std::string value = ortiva::to_text(fields[i].Value());
            bytes += value.size();
            benchmark::DoNotOptimize(value);
        }
    }
    rs->Close();
    return seconds_since(start);
}

void ForwardReadText(benchmark::State& state) {
    auto& s = setup();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(s.file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    double floor = 0, recordset = 0;
    std::size_t raw_bytes = 0, bytes = 0;
    for (auto _ : state) {
        floor += read_text_raw(raw, raw_bytes);
        recordset += read_text_recordset(s.connection, bytes);
    }
    sqlite3_close(raw);
    if (bytes != raw_bytes) state.SkipWithError("the recordset made other texts than the floor");
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = floor / n * 1e3;
    state.counters["recordset_ms"] = recordset / n * 1e3;
    state.counters["ratio"] = recordset / floor;
}
BENCHMARK(ForwardReadText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

constexpr int lookups = 10000;

double return_field_raw(sqlite3* db, std::size_t& bytes) {
    const double start = cpu_now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int k = 1; k <= lookups; ++k) {
        const std::string sql = "select Name from R where Id = " + std::to_string(k * 7);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db));
        }
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            std::string value(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
            bytes += value.size();
            benchmark::DoNotOptimize(value);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return seconds_since(start);
}

double return_field_library(ortiva::ClsCommonDb& db, std::size_t& bytes) {
    const double start = cpu_now();
    db.BeginTrans();
    for (int k = 1; k <= lookups; ++k) {
        const ortiva::Variant value =
            db.fnReturnField("Name", ortiva::Variant("Id = " + std::to_string(k * 7)));
        bytes += value.str().size();
        benchmark::DoNotOptimize(value);
    }
    db.CommitTrans();
    return seconds_since(start);
}

void ReturnFieldByKey(benchmark::State& state) {
    auto& s = setup();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(s.file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    ortiva::ClsCommonDb db;
    db.SetPropertyValues("Data Source=" + s.file, "", "", "R");
    double floor = 0, library = 0;
    std::size_t raw_bytes = 0, bytes = 0;
    for (auto _ : state) {
        floor += return_field_raw(raw, raw_bytes);
        library += return_field_library(db, bytes);
    }
    sqlite3_close(raw);
    if (bytes != raw_bytes) state.SkipWithError("the library read other values than the floor");
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = floor / n * 1e3;
    state.counters["library_ms"] = library / n * 1e3;
    state.counters["ratio"] = library / floor;
}
BENCHMARK(ReturnFieldByKey)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
