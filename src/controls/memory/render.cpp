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

std::size_t width(const std::string& s) {
    return text::to_utf32(s).size();
}

std::string quoted(const std::string& s) {
    return '"' + s + '"';
}

std::string heading(const Control& c) {
    std::string out = c.type_name() + ' ' + quoted(c.name());
    if (!c.enabled()) out += " disabled";
    if (!c.visible()) out += " hidden";
    return out;
}

// Cells aligned in columns separated by " | ", a rule under the first header_rows rows, each
// line starting with margin. Trailing blanks are trimmed so that outputs compare cleanly.
void table(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
           std::size_t header_rows, const std::string& margin) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    auto line = [&](const std::vector<std::string>& row) {
        std::string s = margin;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::string cell = c < row.size() ? row[c] : std::string();
            if (c > 0) s += " | ";
            s += cell + std::string(widths[c] - width(cell), ' ');
        }
        s.erase(s.find_last_not_of(' ') + 1);
        out << s << '\n';
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        line(rows[r]);
        if (r + 1 == header_rows) {
            std::string rule = margin;
            for (std::size_t c = 0; c < widths.size(); ++c) {
                if (c > 0) rule += "-+-";
                rule += std::string(widths[c], '-');
            }
            out << rule << '\n';
        }
    }
}

void render_list(std::ostream& out, const ListControl& list) {
    const auto& entries = list.entries();
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool selected = static_cast<int32_t>(i) == list.list_index();
        rows.push_back({(selected ? "> " : "  ") + std::to_string(i), entries[i].text,
                        "(" + std::to_string(entries[i].data) + ")"});
    }
    table(out, rows, 0, "  ");
}

void render_edit(std::ostream& out, const EditText& edit) {
    out << " text=" << quoted(edit.text());
    if (edit.sel_start() != 0 || edit.sel_length() != 0)
        out << " sel=" << edit.sel_start() << '+' << edit.sel_length();
}

void render_list_view(std::ostream& out, const ListView& view) {
    out << " (" << view.row_count() << (view.row_count() == 1 ? " row)" : " rows)") << '\n';
    const int32_t columns = std::max(view.column_count(), 1);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{""};
    if (view.column_count() == 0) header.emplace_back("(text)");
    for (const auto& text : view.headers())
        header.push_back(text);
    rows.push_back(std::move(header));
    for (const auto& r : view.rows()) {
        std::vector<std::string> line{(r->selected() ? "> " : "  ") + std::to_string(r->position()),
                                      r->cell(0)};
        for (int32_t c = 1; c < columns; ++c)
            line.push_back(r->cell(c));
        rows.push_back(std::move(line));
    }
    table(out, rows, 1, "  ");
}

void render_tree(std::ostream& out, const TreeView& tree) {
    out << " (" << tree.count() << (tree.count() == 1 ? " node)" : " nodes)") << '\n';
    tree.walk([&](const Node& n, int depth) {
        out << (tree.selected_node() == &n ? "> " : "  ") << std::string(2 * depth, ' ')
            << n.text();
        if (!n.key().empty()) out << "  [" << n.key() << ']';
        out << '\n';
    });
}

void render_grid(std::ostream& out, const FlexGrid& grid) {
    out << " (" << grid.rows() << " x " << grid.cols() << ")\n";
    std::vector<std::vector<std::string>> rows;
    for (int32_t r = 0; r < grid.rows(); ++r) {
        std::vector<std::string> line{std::to_string(r)};
        for (int32_t c = 0; c < grid.cols(); ++c)
            line.push_back(grid.cell(r, c));
        rows.push_back(std::move(line));
    }
    table(out, rows, static_cast<std::size_t>(grid.fixed_rows()), "  ");
}

void render_control(std::ostream& out, const Control& c, const std::string& margin);

void render_form(std::ostream& out, const Form& form, const std::string& margin) {
    if (!form.caption().empty()) out << " caption=" << quoted(form.caption());
    out << " (" << form.controls().size()
        << (form.controls().size() == 1 ? " control)" : " controls)") << '\n';
    for (const auto& c : form.controls())
        render_control(out, *c, margin + "  ");
}

void render_control(std::ostream& out, const Control& c, const std::string& margin) {
    std::ostringstream body;
    body << heading(c);
    if (const auto* form = dynamic_cast<const Form*>(&c)) {
        out << margin << body.str();
        render_form(out, *form, margin);
        return;
    }
    if (const auto* box = dynamic_cast<const TextBox*>(&c)) {
        render_edit(body, box->edit());
        body << '\n';
    } else if (const auto* combo = dynamic_cast<const ComboBox*>(&c)) {
        render_edit(body, combo->edit());
        body << '\n';
        render_list(body, *combo);
    } else if (const auto* list = dynamic_cast<const ListControl*>(&c)) {
        body << '\n';
        render_list(body, *list);
    } else if (const auto* view = dynamic_cast<const ListView*>(&c)) {
        render_list_view(body, *view);
    } else if (const auto* tree = dynamic_cast<const TreeView*>(&c)) {
        render_tree(body, *tree);
    } else if (const auto* grid = dynamic_cast<const FlexGrid*>(&c)) {
        render_grid(body, *grid);
    } else if (const auto* check = dynamic_cast<const CheckBox*>(&c)) {
        body << " value=" << check->check_value();
        if (!check->caption().empty()) body << " caption=" << quoted(check->caption());
        body << '\n';
    } else if (const auto* captioned = dynamic_cast<const CaptionControl*>(&c)) {
        body << " caption=" << quoted(captioned->caption()) << '\n';
    } else {
        body << '\n';
    }
    // Indent every line of the body by the margin.
    std::istringstream lines(body.str());
    for (std::string line; std::getline(lines, line);)
        out << margin << line << '\n';
}

}  // namespace

std::string render(const HostObject& object) {
    std::ostringstream out;
    if (const auto* c = dynamic_cast<const Control*>(&object)) {
        render_control(out, *c, "");
    } else {
        out << object.type_name() << '\n';
    }
    return out.str();
}

}  // namespace ortiva::memory
