// The in-memory toolkit under the loads the library puts on it: a list view filled with
// 32,767 rows of 5 columns the way the list-view fill adds them (Add at position j, then
// SubItems(1..4) through "ListItems"(j)), and grid cells read by name as the duplicate-row
// search reads them. Each is measured against a raw floor that stores or reads the same texts
// in plain vectors; the counters are the ratios to the floor. A third counter compares the
// cost per row of a 32,767-row fill with a 1,024-row fill: about 1 when appending is O(1).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/host_object.hpp"
#include "ortiva/memory_controls.hpp"

namespace {

using ortiva::Variant;
using clock_type = std::chrono::steady_clock;

constexpr int32_t max_rows = 32767;
constexpr int32_t columns = 5;

struct RawRow {
    std::string text;
    std::vector<std::string> subs;
};

// The floor: the same texts made from the same numbers, stored in vectors.
void raw_fill(int32_t rows) {
    std::vector<RawRow> table;
    for (int32_t j = 1; j <= rows; ++j) {
        RawRow row{std::to_string(j), {}};
        for (int32_t c = 1; c < columns; ++c)
            row.subs.push_back(std::to_string(j * 10 + c));
        table.push_back(std::move(row));
    }
    benchmark::DoNotOptimize(table.data());
    benchmark::ClobberMemory();
}

void toolkit_fill(int32_t rows) {
    auto lvw = ortiva::memory::create_control("ListView", "lvw");
    auto headers = ortiva::get_object(*lvw, "ColumnHeaders");
    for (int32_t c = 0; c < columns; ++c)
        headers->call("Add");
    auto items = ortiva::get_object(*lvw, "ListItems");
    items->call("Clear");
    const Variant missing = Variant::missing();
    for (int32_t j = 1; j <= rows; ++j) {
        const Variant position(static_cast<int16_t>(j));
        items->call("Add", {position, missing, Variant(j)});
        auto row = ortiva::get_object(*lvw, "ListItems", {position});
        for (int32_t c = 1; c < columns; ++c)
            row->let("SubItems", Variant(j * 10 + c), {Variant(static_cast<int16_t>(c))});
    }
    benchmark::DoNotOptimize(lvw.get());
}

double seconds(clock_type::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_ListViewFillRaw(benchmark::State& state) {
    for (auto _ : state)
        raw_fill(max_rows);
    state.SetItemsProcessed(state.iterations() * max_rows);
}
BENCHMARK(BM_ListViewFillRaw)->Unit(benchmark::kMillisecond);

void BM_ListViewFill(benchmark::State& state) {
    for (auto _ : state)
        toolkit_fill(max_rows);
    state.SetItemsProcessed(state.iterations() * max_rows);
}
BENCHMARK(BM_ListViewFill)->Unit(benchmark::kMillisecond);

// Interleaved in each iteration, so that drift on a shared machine falls on all alike.
void BM_ListViewFillRatios(benchmark::State& state) {
    constexpr int32_t small_rows = 1024;
    clock_type::duration raw{}, raw_small{}, full{}, small{};
    for (auto _ : state) {
        const auto t0 = clock_type::now();
        raw_fill(max_rows);
        const auto t1 = clock_type::now();
        toolkit_fill(max_rows);
        const auto t2 = clock_type::now();
        toolkit_fill(small_rows);
        const auto t3 = clock_type::now();
        raw_fill(small_rows);
        const auto t4 = clock_type::now();
        raw += t1 - t0;
        full += t2 - t1;
        small += t3 - t2;
        raw_small += t4 - t3;
    }
    state.counters["fill_vs_raw"] = seconds(full) / seconds(raw);
    // Per-row cost of the large fill over the small one; the raw floor's own figure shows how
    // much of any growth is the memory hierarchy rather than the list view.
    state.counters["per_row_32767_vs_1024"] =
        (seconds(full) / max_rows) / (seconds(small) / small_rows);
    state.counters["raw_per_row_32767_vs_1024"] =
        (seconds(raw) / max_rows) / (seconds(raw_small) / small_rows);
}
BENCHMARK(BM_ListViewFillRatios)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The least a host object can do for an indexed get: one virtual call taking the index
// arguments as Variants, no member name looked at, the cell copied into a Variant.
class SeamFloor : public ortiva::HostObject {
  public:
    explicit SeamFloor(const std::vector<std::vector<std::string>>& cells) : cells_(cells) {}
    std::string type_name() const override { return "SeamFloor"; }
    Variant get(std::string_view, const ortiva::Args& index) override {
        return Variant(cells_[static_cast<std::size_t>(index[0].integer())]
                             [static_cast<std::size_t>(index[1].long_value())]);
    }
    void let(std::string_view, const Variant&, const ortiva::Args&) override {}
    Variant call(std::string_view, const ortiva::Args&) override { return {}; }

  private:
    const std::vector<std::vector<std::string>>& cells_;
};

// Every cell of a 200 x 4 grid read once by "TextMatrix"(row, col), against copying the same
// strings out of nested vectors (the raw floor) and against SeamFloor (the cost of the seam's
// shape alone, so that the second ratio is what member-name dispatch and checks add), and
// the same reads by a member id resolved once (the third ratio: a call by id against a plain
// virtual call with the same arguments).
void BM_GridReadRatio(benchmark::State& state) {
    constexpr int32_t rows = 200;
    constexpr int32_t cols = 4;
    auto grid = ortiva::memory::create_control("MSFlexGrid", "grd");
    grid->let("Rows", Variant(rows));
    grid->let("Cols", Variant(cols));
    std::vector<std::vector<std::string>> raw_cells(rows, std::vector<std::string>(cols));
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            raw_cells[r][c] = "cell " + std::to_string(r * cols + c);
            grid->let("TextMatrix", Variant(raw_cells[r][c]), {Variant(r), Variant(c)});
        }
    }
    std::shared_ptr<ortiva::HostObject> floor = std::make_shared<SeamFloor>(raw_cells);
    const ortiva::MemberId text_matrix = ortiva::HostObject::id_of("TextMatrix");
    clock_type::duration raw{}, seam{}, named{}, by_id{};
    for (auto _ : state) {
        const auto t0 = clock_type::now();
        for (int32_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                std::string s = raw_cells[r][c];
                benchmark::DoNotOptimize(s.data());
            }
        }
        const auto t1 = clock_type::now();
        for (int16_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                Variant v = grid->get("TextMatrix", {Variant(r), Variant(c)});
                benchmark::DoNotOptimize(&v);
            }
        }
        const auto t2 = clock_type::now();
        for (int16_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                Variant v = floor->get("TextMatrix", {Variant(r), Variant(c)});
                benchmark::DoNotOptimize(&v);
            }
        }
        const auto t3 = clock_type::now();
        for (int16_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                Variant v = grid->get_by_id(text_matrix, {Variant(r), Variant(c)});
                benchmark::DoNotOptimize(&v);
            }
        }
        const auto t4 = clock_type::now();
        raw += t1 - t0;
        named += t2 - t1;
        seam += t3 - t2;
        by_id += t4 - t3;
    }
    state.counters["textmatrix_vs_raw"] = seconds(named) / seconds(raw);
    state.counters["textmatrix_vs_seam_floor"] = seconds(named) / seconds(seam);
    state.counters["by_id_vs_seam_floor"] = seconds(by_id) / seconds(seam);
    state.SetItemsProcessed(state.iterations() * rows * cols);
}
BENCHMARK(BM_GridReadRatio)->MinTime(1.0);

}  // namespace
