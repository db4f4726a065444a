#include "table.hpp"

#include <algorithm>

#include "ortiva/text.hpp"

namespace ortiva::cli {

namespace {

std::size_t width(const std::string& s) {
    return text::to_utf32(s).size();
}

void print_row(std::ostream& out, const std::vector<std::string>& cells,
               const std::vector<std::size_t>& widths) {
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const std::string cell = c < cells.size() ? cells[c] : std::string();
        out << (c == 0 ? "" : " | ") << cell;
        if (c + 1 < widths.size()) out << std::string(widths[c] - width(cell), ' ');
    }
    out << '\n';
}

}  // namespace

void print_table(std::ostream& out, const std::vector<std::string>& headers,
                 const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths(headers.size());
    for (std::size_t c = 0; c < headers.size(); ++c)
        widths[c] = width(headers[c]);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    print_row(out, headers, widths);
    for (std::size_t c = 0; c < widths.size(); ++c)
        out << (c == 0 ? "" : "-+-") << std::string(widths[c], '-');
    out << '\n';
    for (const auto& row : rows)
        print_row(out, row, widths);
}

}  // namespace ortiva::cli
