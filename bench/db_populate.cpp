// Filling controls from the database and storing grid lines, each against a raw floor in the
// same iteration, so that drift on a shared machine falls on both alike:
//   - PopulateListview of 32,767 rows x 5 columns into the in-memory list view, against a raw
//     sqlite3_step loop that fills the same list view through the same members;
//   - fnInsertGridDetails of 10,000 grid lines inside the host's own BeginTrans/CommitTrans,
//     against a prepared, bound INSERT loop in one transaction that reads the same grid cells;
//     and of 300 lines called bare, against the same floor over those lines (both in thread
//     CPU time);
//   - PopulateTree over 100,000 records of 3 levels against 10,000 records: linear growth
//     gives a ratio near 10.
// The counters are the ratios of the library's time to the floor's.

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/memory_controls.hpp"

namespace {

namespace fs = std::filesystem;
using ortiva::Args;
using ortiva::HostObjectPtr;
using ortiva::Variant;
using ortiva::VariantArray;
using clock_type = std::chrono::steady_clock;

constexpr int list_rows = 32767;
constexpr int list_columns = 5;
constexpr int grid_lines = 10000;
// Bare, every stored line commits on its own and waits for the disk: fewer lines keep the run
// short, and the ratio is per line all the same.
constexpr int bare_grid_lines = 300;

double seconds(clock_type::duration d) {
    return std::chrono::duration<double>(d).count();
}

void check(sqlite3* db, int rc, const std::string& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(what + ": " + sqlite3_errmsg(db));
}

struct Sqlite {
    sqlite3* db = nullptr;
    explicit Sqlite(const std::string& path) { check(db, sqlite3_open(path.c_str(), &db), path); }
    ~Sqlite() { sqlite3_close(db); }
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;
    void exec(const std::string& sql) {
        check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), sql);
    }
};

std::string numbers_upto(int n) {
    return "with recursive c(i) as (select 1 union all select i + 1 from c where i < " +
           std::to_string(n) + ") ";
}

struct Setup {
    fs::path dir;
    fs::path file;

    Setup() {
        std::string pattern = (fs::temp_directory_path() / "ortiva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        file = dir / "populate.sqlite";
        Sqlite s(file.string());
        s.exec(
            "create table LV (C1 INTEGER, C2 VARCHAR(40), C3 VARCHAR(40), C4 DOUBLE PRECISION, "
            "C5 VARCHAR(40))");
        s.exec(numbers_upto(list_rows) +
               "insert into LV select i, 'Name ' || i, 'Group ' || (i % 50), i * 1.5, "
               "'Note number ' || i from c");
        s.exec(
            "create table LINES (NO INTEGER, ITEM VARCHAR(40), NOTE VARCHAR(40), QTY "
            "DOUBLE PRECISION)");
        for (const int n : {10000, 100000}) {
            const std::string table = "TREE" + std::to_string(n);
            s.exec("create table " + table + " (A VARCHAR(20), B VARCHAR(20), C VARCHAR(20))");
            s.exec(numbers_upto(n) + "insert into " + table +
                   " select 'g' || (i % 10), 'h' || (i % 100), 'n' || i from c");
        }
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    std::string connection_string() const { return "Data Source=" + file.string(); }
};

Setup& setup() {
    static Setup s;
    return s;
}

HostObjectPtr list_view() {
    auto lvw = ortiva::memory::create_control("ListView", "lvw");
    const auto headers = ortiva::get_object(*lvw, "ColumnHeaders");
    for (int c = 0; c < list_columns; ++c)
        headers->call("Add");
    return lvw;
}

Variant column_value(sqlite3_stmt* stmt, int c) {
    switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER:
            return Variant(static_cast<int32_t>(sqlite3_column_int64(stmt, c)));
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(stmt, c));
        case SQLITE_NULL:
            return Variant::null();
        default:
            return Variant(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
    }
}

// The floor: the rows stepped straight out of SQLite into the list view, through the members
// the library uses, with nothing else around them.
void raw_list_fill(sqlite3* db, ortiva::HostObject& lvw) {
    lvw.let("Visible", Variant(false));
    const auto items = ortiva::get_object(lvw, "ListItems");
    items->call("Clear");
    sqlite3_stmt* stmt = nullptr;
    check(db, sqlite3_prepare_v2(db, "select C1,C2,C3,C4,C5 from LV", -1, &stmt, nullptr),
          "prepare");
    Args add{Variant(), Variant::missing(), Variant()};
    Args subs[list_columns];
    for (int c = 1; c < list_columns; ++c)
        subs[c] = {Variant(static_cast<int16_t>(c))};
    int j = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const Variant position(static_cast<int16_t>(++j));
        add[0] = position;
        add[2] = column_value(stmt, 0);
        items->call("Add", add);
        const auto item = ortiva::get_object(lvw, "ListItems", {position});
        for (int c = 1; c < list_columns; ++c)
            item->let("SubItems", column_value(stmt, c), subs[c]);
    }
    sqlite3_finalize(stmt);
    ortiva::get_object(lvw, "ListItems", {Variant(int16_t{1})})->let("Selected", Variant(true));
    lvw.let("Visible", Variant(true));
}

// The other floor: the same rows stepped into plain strings, no control at all.
void raw_vector_fill(sqlite3* db, std::vector<std::array<std::string, list_columns>>& out) {
    out.clear();
    sqlite3_stmt* stmt = nullptr;
    check(db, sqlite3_prepare_v2(db, "select C1,C2,C3,C4,C5 from LV", -1, &stmt, nullptr),
          "prepare");
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto& row = out.emplace_back();
        for (int c = 0; c < list_columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            if (text) row[static_cast<std::size_t>(c)].assign(text);
        }
    }
    sqlite3_finalize(stmt);
}

void BM_PopulateListview(benchmark::State& state) {
    Setup& s = setup();
    Sqlite raw(s.file.string());
    ortiva::ClsCommonDb db;
    db.SetPropertyValues(s.connection_string(), "", "");
    auto lvw = list_view();
    const VariantArray fields{"C1", "C2", "C3", "C4", "C5"};
    std::vector<std::array<std::string, list_columns>> plain;
    clock_type::duration raw_time{}, lib_time{}, vector_time{};
    for (auto _ : state) {
        const auto tv = clock_type::now();
        raw_vector_fill(raw.db, plain);
        const auto t0 = clock_type::now();
        vector_time += t0 - tv;
        raw_list_fill(raw.db, *lvw);
        const auto t1 = clock_type::now();
        std::string condition;
        db.PopulateListview(*lvw, "LV", condition, fields);
        const auto t2 = clock_type::now();
        raw_time += t1 - t0;
        lib_time += t2 - t1;
    }
    state.counters["raw_ms"] = 1e3 * seconds(raw_time) / static_cast<double>(state.iterations());
    state.counters["populate_ms"] =
        1e3 * seconds(lib_time) / static_cast<double>(state.iterations());
    state.counters["populate_vs_raw"] = seconds(lib_time) / seconds(raw_time);
    state.counters["populate_vs_vector"] = seconds(lib_time) / seconds(vector_time);
}
BENCHMARK(BM_PopulateListview)->Unit(benchmark::kMillisecond)->Iterations(10);

HostObjectPtr filled_grid(int32_t lines) {
    auto grid = ortiva::memory::create_control("MSFlexGrid", "mfg");
    grid->let("Cols", Variant(int32_t{4}));
    grid->let("Rows", Variant(lines + 1));
    for (int32_t r = 1; r <= lines; ++r) {
        grid->let("TextMatrix", Variant("Item " + std::to_string(r)), {Variant(r), Variant(1)});
        grid->let("TextMatrix", Variant("Note " + std::to_string(r)), {Variant(r), Variant(2)});
        grid->let("TextMatrix", Variant(std::to_string(r % 97) + ".5"), {Variant(r), Variant(3)});
    }
    return grid;
}

// The floor: one transaction, one prepared INSERT bound per line from the same grid cells.
void raw_grid_insert(sqlite3* db, ortiva::HostObject& grid) {
    check(db, sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt* stmt = nullptr;
    check(db, sqlite3_prepare_v2(db, "insert into LINES values (?, ?, ?, ?)", -1, &stmt, nullptr),
          "prepare");
    const int32_t last = ortiva::to_int32(grid.get("Rows")) - 1;
    for (int32_t r = 1; r <= last; ++r) {
        const Variant row(static_cast<int16_t>(r));
        const Variant item = grid.get("TextMatrix", {row, Variant(int16_t{1})});
        if (item.str().empty()) continue;
        const Variant note = grid.get("TextMatrix", {row, Variant(int16_t{2})});
        const Variant qty = grid.get("TextMatrix", {row, Variant(int16_t{3})});
        sqlite3_bind_int(stmt, 1, r);
        sqlite3_bind_text(stmt, 2, item.str().data(), static_cast<int>(item.str().size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, note.str().data(), static_cast<int>(note.str().size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_double(stmt, 4, std::stod(qty.str()));
        check(db, sqlite3_step(stmt), "insert");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    check(db, sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), "commit");
}

// Thread CPU time: on a busy shared machine other processes inflate wall time unevenly.
clock_type::duration cpu_now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::duration_cast<clock_type::duration>(std::chrono::seconds(ts.tv_sec) +
                                                            std::chrono::nanoseconds(ts.tv_nsec));
}

void BM_InsertGridDetails(benchmark::State& state) {
    const bool in_transaction = state.range(0) != 0;
    Setup& s = setup();
    Sqlite raw(s.file.string());
    ortiva::ClsCommonDb db;
    db.SetPropertyValues(s.connection_string(), "", "", "LINES");
    auto grid = filled_grid(in_transaction ? grid_lines : bare_grid_lines);
    clock_type::duration raw_time{}, lib_time{};
    for (auto _ : state) {
        raw.exec("delete from LINES");
        const auto t0 = cpu_now();
        raw_grid_insert(raw.db, *grid);
        const auto t1 = cpu_now();
        raw.exec("delete from LINES");
        VariantArray map{"N", Variant(int32_t{1}), "C", Variant(int16_t{1}),
                         "C", Variant(int16_t{2}), "C", Variant(int16_t{3})};
        const auto t2 = cpu_now();
        if (in_transaction) db.BeginTrans();
        db.fnInsertGridDetails(*grid, map);
        if (in_transaction) db.CommitTrans();
        const auto t3 = cpu_now();
        raw_time += t1 - t0;
        lib_time += t3 - t2;
    }
    state.counters["raw_ms"] = 1e3 * seconds(raw_time) / static_cast<double>(state.iterations());
    state.counters["insert_ms"] = 1e3 * seconds(lib_time) / static_cast<double>(state.iterations());
    state.counters["insert_vs_raw"] = seconds(lib_time) / seconds(raw_time);
}
BENCHMARK(BM_InsertGridDetails)
    ->ArgName("caller_transaction")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

void BM_PopulateTreeGrowth(benchmark::State& state) {
    Setup& s = setup();
    ortiva::ClsCommonDb db;
    db.SetPropertyValues(s.connection_string(), "", "");
    const VariantArray levels{"A", "B", "C"};
    clock_type::duration small_time{}, large_time{};
    for (auto _ : state) {
        auto small = ortiva::memory::create_control("TreeView", "small");
        auto large = ortiva::memory::create_control("TreeView", "large");
        const auto t0 = clock_type::now();
        db.PopulateTree(*small, "select A, B, C from TREE10000", "All", levels);
        const auto t1 = clock_type::now();
        db.PopulateTree(*large, "select A, B, C from TREE100000", "All", levels);
        const auto t2 = clock_type::now();
        small_time += t1 - t0;
        large_time += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["10k_ms"] = 1e3 * seconds(small_time) / n;
    state.counters["100k_ms"] = 1e3 * seconds(large_time) / n;
    state.counters["100k_vs_10k"] = seconds(large_time) / seconds(small_time);
}
BENCHMARK(BM_PopulateTreeGrowth)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
