#include <algorithm>
#include <sstream>

#include "controls/memory/caption_controls.hpp"
#include "controls/memory/combo_box.hpp"
#include "controls/memory/flex_grid.hpp"
#include "controls/memory/form.hpp"
#include "controls/memory/list_view.hpp"
#include "controls/memory/text_box.hpp"
#include "controls/memory/tree_view.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/text.hpp"

namespace ortiva::memory {

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::size_t width(const std::string& s) {
    return text::to_utf32(s).size();
}

std::string quoted(const std::string& s) {
    return '"' + s + '"';
}

// " (2 rows)", " (1 row)".
std::string counted(std::size_t n, const std::string& what) {
    return " (" + std::to_string(n) + ' ' + what + (n == 1 ? ")" : "s)");
}

// Cells aligned in columns separated by " | ", indented by two blanks, a rule under the first
// header_rows rows. Trailing blanks are trimmed so that outputs compare cleanly.
void table(std::ostream& out, const Rows& rows, std::size_t header_rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string line = " ", rule = " ";
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::string cell = c < rows[r].size() ? rows[r][c] : std::string();
            line += (c > 0 ? " | " : " ") + cell + std::string(widths[c] - width(cell), ' ');
            rule += (c > 0 ? "-+-" : " ") + std::string(widths[c], '-');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
        if (r + 1 == header_rows) out << rule << '\n';
    }
}

void render_list(std::ostream& out, const ListControl& list) {
    const auto& entries = list.entries();
    Rows rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool selected = static_cast<int32_t>(i) == list.list_index();
        rows.push_back({(selected ? "> " : "  ") + std::to_string(i), entries[i].text,
                        "(" + std::to_string(entries[i].data) + ")"});
    }
    table(out, rows, 0);
}

void render_edit(std::ostream& out, const EditText& edit) {
    out << " text=" << quoted(edit.edit_text());
    if (edit.sel_start() != 0 || edit.sel_length() != 0)
        out << " sel=" << edit.sel_start() << '+' << edit.sel_length();
    out << '\n';
}

void render_list_view(std::ostream& out, const ListView& view) {
    out << counted(view.rows().size(), "row") << '\n';
    const int32_t columns = std::max(view.column_count(), 1);
    Rows rows{{""}};
    if (view.column_count() == 0) rows[0].emplace_back("(text)");
    rows[0].insert(rows[0].end(), view.headers().begin(), view.headers().end());
    for (const auto& r : view.rows()) {
        rows.push_back({(r->selected() ? "> " : "  ") + std::to_string(r->position())});
        for (int32_t c = 0; c < columns; ++c)
            rows.back().push_back(r->cell(c));
    }
    table(out, rows, 1);
}

void render_tree(std::ostream& out, const TreeView& tree) {
    out << counted(static_cast<std::size_t>(tree.count()), "node") << '\n';
    tree.walk([&](const Node& n, int depth) {
        out << (tree.selected_node() == &n ? "> " : "  ") << std::string(2 * depth, ' ')
            << n.text();
        if (!n.key().empty()) out << "  [" << n.key() << ']';
        out << '\n';
    });
}

void render_grid(std::ostream& out, const FlexGrid& grid) {
    out << " (" << grid.rows() << " x " << grid.cols() << ")\n";
    Rows rows;
    for (int32_t r = 0; r < grid.rows(); ++r) {
        rows.push_back({std::to_string(r)});
        for (int32_t c = 0; c < grid.cols(); ++c)
            rows.back().push_back(grid.cell(r, c));
    }
    table(out, rows, static_cast<std::size_t>(grid.fixed_rows()));
}

std::string render_control(const Control& c) {
    std::ostringstream out;
    out << c.type_name() << ' ' << quoted(c.name());
    if (!c.enabled()) out << " disabled";
    if (!c.visible()) out << " hidden";
    if (const auto* form = dynamic_cast<const Form*>(&c)) {
        if (!form->caption().empty()) out << " caption=" << quoted(form->caption());
        out << counted(form->controls().size(), "control") << '\n';
        for (const auto& child : form->controls()) {
            std::istringstream lines(render_control(*child));
            for (std::string line; std::getline(lines, line);)
                out << "  " << line << '\n';
        }
    } else if (const auto* box = dynamic_cast<const TextBox*>(&c)) {
        render_edit(out, box->edit());
    } else if (const auto* combo = dynamic_cast<const ComboBox*>(&c)) {
        render_edit(out, combo->edit());
        render_list(out, *combo);
    } else if (const auto* list = dynamic_cast<const ListControl*>(&c)) {
        out << '\n';
        render_list(out, *list);
    } else if (const auto* view = dynamic_cast<const ListView*>(&c)) {
        render_list_view(out, *view);
    } else if (const auto* tree = dynamic_cast<const TreeView*>(&c)) {
        render_tree(out, *tree);
    } else if (const auto* grid = dynamic_cast<const FlexGrid*>(&c)) {
        render_grid(out, *grid);
    } else if (const auto* check = dynamic_cast<const CheckBox*>(&c)) {
        out << " value=" << check->check_value();
        if (!check->caption().empty()) out << " caption=" << quoted(check->caption());
        out << '\n';
    } else if (const auto* captioned = dynamic_cast<const CaptionControl*>(&c)) {
        out << " caption=" << quoted(captioned->caption()) << '\n';
    } else {
        out << '\n';
    }
    return out.str();
}

}  // namespace

std::string render(const HostObject& object) {
    if (const auto* c = dynamic_cast<const Control*>(&object)) return render_control(*c);
    return object.type_name() + '\n';
}

}  // namespace ortiva::memory
