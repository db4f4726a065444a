#pragma once

// In-memory controls for the suites that fill and read them through the library's classes,
// and a headless run time whose messages, DoEvents calls and mouse pointers they inspect.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/conversions.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::testing {

using Cells = std::vector<std::vector<std::string>>;

/// A headless run time that records without echoing; a fixture installs it with
/// ScopedHostRuntime for the life of the test.
inline std::shared_ptr<HeadlessRuntime> quiet_runtime() {
    auto runtime = std::make_shared<HeadlessRuntime>();
    runtime->set_echo(false);
    return runtime;
}

/// A grid with the given lines below its header row, as many columns as the widest line; ""
/// leaves a cell empty.
inline HostObjectPtr grid_with(const Cells& lines) {
    auto g = memory::create_control("MSFlexGrid", "mfg");
    std::size_t cols = 1;
    for (const auto& line : lines)
        cols = std::max(cols, line.size());
    g->let("Cols", Variant(static_cast<int32_t>(cols)));
    g->let("Rows", Variant(static_cast<int32_t>(lines.size() + 1)));
    for (std::size_t r = 0; r < lines.size(); ++r) {
        for (std::size_t c = 0; c < lines[r].size(); ++c) {
            g->let("TextMatrix", Variant(lines[r][c]),
                   {Variant(static_cast<int32_t>(r + 1)), Variant(static_cast<int32_t>(c))});
        }
    }
    return g;
}

inline HostObjectPtr list_view(int columns) {
    auto lvw = memory::create_control("ListView", "lvw");
    const auto headers = get_object(*lvw, "ColumnHeaders");
    for (int c = 1; c <= columns; ++c)
        headers->call("Add",
                      {Variant::missing(), Variant::missing(), Variant("Col" + std::to_string(c))});
    return lvw;
}

/// Appends a row: its text, then sub-items 1, 2, ...
inline void add_row(HostObject& lvw, const std::vector<std::string>& cells) {
    const auto row = object_of(get_object(lvw, "ListItems")->call("Add", {}));
    row->let("Text", Variant(cells.at(0)));
    for (std::size_t c = 1; c < cells.size(); ++c)
        row->let("SubItems", Variant(cells[c]), {Variant(static_cast<int32_t>(c))});
}

inline HostObjectPtr list_view_with(int columns, const Cells& rows) {
    auto lvw = list_view(columns);
    for (const auto& r : rows)
        add_row(*lvw, r);
    return lvw;
}

/// Every row as its text followed by its sub-items.
inline Cells cells(HostObject& lvw) {
    const int32_t columns = to_int32(get_object(lvw, "ColumnHeaders")->get("Count"));
    const int32_t rows = to_int32(get_object(lvw, "ListItems")->get("Count"));
    Cells out;
    for (int32_t r = 1; r <= rows; ++r) {
        const auto item = get_object(lvw, "ListItems", {Variant(r)});
        std::vector<std::string> row{to_text(item->get("Text"))};
        for (int32_t c = 1; c < columns; ++c)
            row.push_back(to_text(item->get("SubItems", {Variant(c)})));
        out.push_back(std::move(row));
    }
    return out;
}

/// Column 0 of every row.
inline std::vector<std::string> first_column(HostObject& lvw) {
    std::vector<std::string> out;
    for (const auto& row : cells(lvw))
        out.push_back(row.front());
    return out;
}

/// The selected row's position, 0 when none is.
inline int32_t selected_row(HostObject& lvw) {
    const Variant item = lvw.get("SelectedItem");
    if (!item.object()) return 0;
    return to_int32(item.object()->get("Index"));
}

inline std::vector<std::string> entries(HostObject& list) {
    std::vector<std::string> out;
    const int32_t n = to_int32(list.get("ListCount"));
    for (int32_t i = 0; i < n; ++i)
        out.push_back(to_text(list.get("List", {Variant(i)})));
    return out;
}

}  // namespace ortiva::testing
