// The ODBC driver against raw ODBC on the PostgreSQL server of scripts/with-postgres.sh:
//   - a forward-only read of 100,000 rows, every field of every row, against a SQLFetch loop
//     with bound columns;
//   - the same one-row query 2,000 times against SQLExecDirect of its text each time;
//   - a keyset opened on one row, that row changed and the keyset closed, 500 times, against
//     SQLExecDirect of the query and of the UPDATE each time;
//   - fnInsertGridDetails of 10,000 grid lines against a prepared, bound INSERT executed per
//     line in one transaction, with the driver's parameter arrays and without them.
// Each iteration runs both sides one after the other, so that drift falls on both alike; the
// counters are rows per second and the ratios of wall time and of this thread's processor
// time. Without ORTIVA_PG_CONNECT every benchmark skips with a message.
//
//   scripts/with-postgres.sh build/bin/bench_odbc_driver

#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "drivers/odbc/diagnostics.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/recordset.hpp"

namespace {

constexpr int read_rows = 100'000;
constexpr int grid_lines = 10'000;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// As the driver passes credentials: unchanged unless ';', '{', '}' or outer spaces need
// {value} with '}' doubled (some drivers take braces off passwords only).
std::string braced(const std::string& v) {
    if (v.find_first_of(";{}") == std::string::npos && v.front() != ' ' && v.back() != ' ') {
        return v;
    }
    std::string out = "{";
    for (const char c : v) {
        out.push_back(c);
        if (c == '}') out.push_back('}');
    }
    return out + "}";
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const std::string& what) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    SQLCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, h, 1, state, &native, message, sizeof message, &length);
    throw std::runtime_error(what + ": " + reinterpret_cast<char*>(message));
}

// A raw ODBC link, the floor.
struct Raw {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;

    explicit Raw(const std::string& text) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        std::string copy = text;
        check(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS,
                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc, "connect");
    }
    ~Raw() {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    void exec(const std::string& sql) {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
        std::string copy = sql;
        const SQLRETURN rc = SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        check(rc, SQL_HANDLE_DBC, dbc, sql);
    }
    int64_t count(const std::string& sql) {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
        std::string copy = sql;
        SQLBIGINT n = -1;
        SQLLEN ind = 0;
        check(SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS), SQL_HANDLE_STMT,
              st, sql);
        if (SQL_SUCCEEDED(SQLFetch(st))) SQLGetData(st, 1, SQL_C_SBIGINT, &n, 0, &ind);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return n;
    }
    void autocommit(bool on) {
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(
                              static_cast<uintptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                          0);
    }
};

// A schema of its own with the table to read (filled by the server) and the table to append to.
struct Setup {
    std::string skip;  // why the benchmarks cannot run, or ""
    std::string connect;
    std::string user, password;
    std::string raw_text;

    Setup() {
        const std::string base = env("ORTIVA_PG_CONNECT");
        if (base.empty()) {
            skip = "ORTIVA_PG_CONNECT is not set: run under scripts/with-postgres.sh";
            return;
        }
        user = env("ORTIVA_PG_USER");
        password = env("ORTIVA_PG_PASSWORD");
        const std::string schema = "bench_" + std::to_string(getpid());
        connect = base + ";ConnSettings=set search_path to " + schema + ",public";
        raw_text = connect + ";UID=" + braced(user) + ";PWD=" + braced(password);
        Raw raw(base + ";UID=" + braced(user) + ";PWD=" + braced(password));
        raw.exec("create schema " + schema);
        raw.exec("create table " + schema +
                 ".bench_read (Id integer primary key, Name varchar(40), Rate double precision)");
        raw.exec("insert into " + schema +
                 ".bench_read select i, 'name of row ' || i, i * 0.25 from generate_series(1, " +
                 std::to_string(read_rows) + ") i");
        raw.exec("create table " + schema +
                 ".bench_lines (No integer, Item varchar(40), Note varchar(40))");
        raw.exec("analyze " + schema + ".bench_read");
    }
};

const Setup& setup() {
    static Setup s;
    return s;
}

int64_t thread_ns() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

int64_t wall_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Clock {
    int64_t wall = 0, cpu = 0;
};

template <typename F>
void timed(Clock& clock, F&& work) {
    const int64_t w0 = wall_ns(), c0 = thread_ns();
    work();
    clock.cpu += thread_ns() - c0;
    clock.wall += wall_ns() - w0;
}

void report(benchmark::State& state, const Clock& raw, const Clock& lib, int rows) {
    const auto ratio = [](int64_t a, int64_t b) {
        return b ? static_cast<double>(a) / static_cast<double>(b) : 0.0;
    };
    const double n = static_cast<double>(rows) * static_cast<double>(state.iterations());
    state.counters["raw_rows_per_s"] = raw.wall ? n / (static_cast<double>(raw.wall) / 1e9) : 0;
    state.counters["driver_rows_per_s"] = lib.wall ? n / (static_cast<double>(lib.wall) / 1e9) : 0;
    state.counters["wall_ratio"] = ratio(lib.wall, raw.wall);
    state.counters["cpu_ratio"] = ratio(lib.cpu, raw.cpu);
}

// False, having told the benchmark why, when there is no server to run against.
bool ready(benchmark::State& state) {
    const Setup& s = setup();
    if (s.skip.empty()) return true;
    state.SkipWithError(s.skip.c_str());
    return false;
}

std::shared_ptr<ortiva::Connection> open_driver() {
    const Setup& s = setup();
    auto conn = ortiva::Connection::create();
    conn->Open(s.connect, s.user, s.password);
    return conn;
}

// Runs raw_side and driver_side, each given its link and returning a checksum of what it
// read, once per iteration; the sums must agree.
template <typename RawSide, typename DriverSide>
void compare_reads(benchmark::State& state, int rows, RawSide&& raw_side,
                   DriverSide&& driver_side) {
    if (!ready(state)) return;
    Raw raw(setup().raw_text);
    const auto conn = open_driver();
    Clock raw_clock, lib_clock;
    for (auto _ : state) {
        int64_t raw_sum = 0, lib_sum = 0;
        timed(raw_clock, [&] { raw_sum = raw_side(raw); });
        timed(lib_clock, [&] { lib_sum = driver_side(*conn); });
        if (raw_sum != lib_sum) {
            state.SkipWithError("the driver read other values than raw ODBC");
            return;
        }
        benchmark::DoNotOptimize(lib_sum);
    }
    report(state, raw_clock, lib_clock, rows);
}

void BM_ForwardReadVsRawFetch(benchmark::State& state) {
    const std::string sql = "select Id, Name, Rate from bench_read";
    compare_reads(
        state, read_rows,
        [&](Raw& raw) {
            int64_t sum = 0;
            SQLHSTMT st;
            SQLAllocHandle(SQL_HANDLE_STMT, raw.dbc, &st);
            SQLINTEGER id = 0;
            char name[161];
            double rate = 0;
            SQLLEN id_ind = 0, name_ind = 0, rate_ind = 0;
            check(SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                                SQL_NTS),
                  SQL_HANDLE_STMT, st, sql);
            SQLBindCol(st, 1, SQL_C_SLONG, &id, 0, &id_ind);
            SQLBindCol(st, 2, SQL_C_CHAR, name, sizeof name, &name_ind);
            SQLBindCol(st, 3, SQL_C_DOUBLE, &rate, 0, &rate_ind);
            while (SQL_SUCCEEDED(SQLFetch(st))) {
                sum += id + name_ind + static_cast<int64_t>(rate);
            }
            SQLFreeHandle(SQL_HANDLE_STMT, st);
            return sum;
        },
        [&](ortiva::Connection& conn) {
            int64_t sum = 0;
            auto rs = conn.Execute(sql);
            auto& fields = rs->Fields();
            const ortiva::Field id = fields[0], name = fields[1], rate = fields[2];
            for (; !rs->Eof(); rs->MoveNext()) {
                sum += id.Value().long_value() + static_cast<int64_t>(name.Value().str().size()) +
                       static_cast<int64_t>(rate.Value().dbl());
            }
            rs->Close();
            return sum;
        });
}
BENCHMARK(BM_ForwardReadVsRawFetch)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same one-row query again and again, as fnGetNextMaxNo and the combo fillers send it,
// against SQLExecDirect of the text each time.
void BM_RepeatedQueryVsRawExecDirect(benchmark::State& state) {
    constexpr int runs = 2000;
    const std::string sql = "select max(Id) from bench_read where Id < 1000";
    compare_reads(
        state, runs,
        [&](Raw& raw) {
            int64_t sum = 0;
            for (int i = 0; i < runs; ++i)
                sum += raw.count(sql);
            return sum;
        },
        [&](ortiva::Connection& conn) {
            int64_t sum = 0;
            for (int i = 0; i < runs; ++i) {
                auto rs = conn.Execute(sql);
                sum += rs->Fields()[0].Value().long_value();
                rs->Close();
            }
            return sum;
        });
}
BENCHMARK(BM_RepeatedQueryVsRawExecDirect)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// As fnUpdateSelectedRecord does it: what a keyset open costs beside the statements it runs
// (finding the table's key and whether it is a view).
void BM_KeysetUpdateVsRawExecDirect(benchmark::State& state) {
    constexpr int runs = 500;
    const std::string select = "select Id, Name from bench_read where Id = 7";
    const std::string update = "update bench_read set Name = 'name of row 7' where Id = 7";
    compare_reads(
        state, runs,
        [&](Raw& raw) {
            int64_t sum = 0;
            for (int i = 0; i < runs; ++i) {
                sum += raw.count(select);
                raw.exec(update);
            }
            return sum;
        },
        [&](ortiva::Connection& conn) {
            int64_t sum = 0;
            for (int i = 0; i < runs; ++i) {
                ortiva::Recordset rs;
                rs.Open(select, conn.shared_from_this(), ortiva::adOpenKeyset,
                        ortiva::adLockOptimistic);
                auto& fields = rs.Fields();
                sum += fields[0].Value().long_value();
                fields[1].Value(ortiva::Variant("name of row 7"));
                rs.Update();
                rs.Close();
            }
            return sum;
        });
}
BENCHMARK(BM_KeysetUpdateVsRawExecDirect)->Unit(benchmark::kMillisecond)->MinTime(3.0);

std::shared_ptr<ortiva::HostObject> make_grid() {
    auto g = ortiva::memory::create_control("MSFlexGrid", "mfgLines");
    g->let("Cols", ortiva::Variant(int32_t{3}));
    g->let("Rows", ortiva::Variant(int32_t{grid_lines + 1}));
    for (int32_t r = 1; r <= grid_lines; ++r) {
        g->let("TextMatrix", ortiva::Variant("item " + std::to_string(r)),
               {ortiva::Variant(r), ortiva::Variant(int32_t{1})});
        g->let("TextMatrix", ortiva::Variant("note " + std::to_string(r % 97)),
               {ortiva::Variant(r), ortiva::Variant(int32_t{2})});
    }
    return g;
}

// range(0): 1 writes the lines with parameter arrays, 0 one execution per line as on a driver
// without them.
void BM_InsertGridDetailsVsRawInsertLoop(benchmark::State& state) {
    if (!ready(state)) return;
    Raw raw(setup().raw_text);
    const auto conn = open_driver();
    ortiva::odbc::use_parameter_arrays(*conn, state.range(0) != 0);
    ortiva::ClsCommonDb db;
    db.adocon(conn);
    db.strTableName("bench_lines");
    const auto grid = make_grid();
    std::vector<std::string> items, notes;
    for (int r = 1; r <= grid_lines; ++r) {
        items.push_back("item " + std::to_string(r));
        notes.push_back("note " + std::to_string(r % 97));
    }
    Clock raw_clock, lib_clock;
    for (auto _ : state) {
        timed(raw_clock, [&] {
            raw.autocommit(false);
            SQLHSTMT st;
            SQLAllocHandle(SQL_HANDLE_STMT, raw.dbc, &st);
            const std::string sql = "insert into bench_lines (No, Item, Note) values (?, ?, ?)";
            check(
                SQLPrepare(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS),
                SQL_HANDLE_STMT, st, sql);
            SQLINTEGER no = 0;
            char item[41], note[41];
            SQLLEN no_ind = 0, item_ind = SQL_NTS, note_ind = SQL_NTS;
            SQLBindParameter(st, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &no, 0,
                             &no_ind);
            SQLBindParameter(st, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0, item,
                             sizeof item, &item_ind);
            SQLBindParameter(st, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0, note,
                             sizeof note, &note_ind);
            for (int r = 0; r < grid_lines; ++r) {
                no = r + 1;
                items[r].copy(item, sizeof item - 1);
                item[items[r].size()] = '\0';
                notes[r].copy(note, sizeof note - 1);
                note[notes[r].size()] = '\0';
                check(SQLExecute(st), SQL_HANDLE_STMT, st, sql);
            }
            SQLFreeHandle(SQL_HANDLE_STMT, st);
            check(SQLEndTran(SQL_HANDLE_DBC, raw.dbc, SQL_COMMIT), SQL_HANDLE_DBC, raw.dbc,
                  "commit");
            raw.autocommit(true);
        });
        timed(lib_clock, [&] {
            ortiva::VariantArray map{"R", ortiva::Variant(int32_t{1}),
                                     "C", ortiva::Variant(int32_t{1}),
                                     "C", ortiva::Variant(int32_t{2})};
            if (!db.fnInsertGridDetails(*grid, map)) throw std::runtime_error("not stored");
        });
        state.PauseTiming();
        const int64_t stored = raw.count("select count(*) from bench_lines");
        raw.exec("truncate bench_lines");
        state.ResumeTiming();
        if (stored != 2 * grid_lines) {
            state.SkipWithError("the lines were not all stored");
            return;
        }
    }
    report(state, raw_clock, lib_clock, grid_lines);
}
BENCHMARK(BM_InsertGridDetailsVsRawInsertLoop)
    ->ArgName("arrays")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

}  // namespace
