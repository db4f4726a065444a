#include "output.hpp"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>

#include <nlohmann/json.hpp>

#include "ortiva/conversions.hpp"
#include "ortiva/text.hpp"

namespace ortiva::cli {

namespace {

constexpr std::string_view null_text = "NULL";

// A table cell: NULL prints as NULL, a text reading NULL in quotes, so the two differ.
bool needs_escape(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return u < 0x20 || u == 0x7f || ch == '\\';
    });
}

std::string table_cell(const Variant& v) {
    if (v.is_null()) return std::string(null_text);
    std::string text = to_text(v);
    // Most values need no escaping; they are kept without another copy.
    if (needs_escape(text)) text = escape_controls(text);
    return text == null_text ? "'" + text + "'" : text;
}

class TableWriter final : public RowWriter {
  public:
    TableWriter(std::ostream& out, std::size_t block)
        : out_(out), block_(std::max<size_t>(block, 1)) {}

    void begin(const std::vector<std::string>& headers) override {
        headers_.clear();
        for (const auto& h : headers)
            headers_.push_back(escape_controls(h));
        widths_.assign(headers_.size(), 0);
        for (std::size_t c = 0; c < headers_.size(); ++c)
            widths_[c] = display_width(headers_[c]);
    }

    void row(const std::vector<Variant>& values) override {
        auto& cells = held_.emplace_back();
        for (const auto& v : values)
            cells.push_back(table_cell(v));
        ++count_;
        if (held_.size() >= block_) flush();
    }

    void end() override {
        flush();
        if (!header_printed_) print_header();
        out_ << '(' << count_ << (count_ == 1 ? " row)\n" : " rows)\n");
        out_.flush();
    }

  private:
    // Columns are sized by the rows held back; a later, wider value widens its column from
    // there on rather than holding the whole result in memory.
    void flush() {
        for (const auto& cells : held_) {
            for (std::size_t c = 0; c < cells.size() && c < widths_.size(); ++c)
                widths_[c] = std::max(widths_[c], display_width(cells[c]));
        }
        if (!header_printed_) print_header();
        for (const auto& cells : held_)
            print_row(cells);
        held_.clear();
    }

    void print_header() {
        print_row(headers_);
        for (std::size_t c = 0; c < widths_.size(); ++c)
            out_ << (c == 0 ? "" : "-+-") << std::string(widths_[c], '-');
        out_ << '\n';
        header_printed_ = true;
    }

    void print_row(const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            const std::string& cell = c < cells.size() ? cells[c] : empty_;
            out_ << (c == 0 ? "" : " | ") << cell;
            const std::size_t w = display_width(cell);
            if (c + 1 < widths_.size() && w < widths_[c]) out_ << std::string(widths_[c] - w, ' ');
        }
        out_ << '\n';
    }

    std::ostream& out_;
    std::size_t block_;
    std::vector<std::string> headers_;
    std::vector<std::size_t> widths_;
    std::vector<std::vector<std::string>> held_;
    std::size_t count_ = 0;
    bool header_printed_ = false;
    const std::string empty_;
};

// RFC 4180. NULL is an empty field, an empty text a quoted one.
void csv_field(std::ostream& out, std::string_view text, bool quote_empty) {
    // A plain loop: find_first_of calls memchr once per character of the text.
    const bool quote =
        std::any_of(text.begin(), text.end(),
                    [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }) ||
        (quote_empty && text.empty());
    if (!quote) {
        out << text;
        return;
    }
    out << '"';
    for (char ch : text) {
        if (ch == '"') out << '"';
        out << ch;
    }
    out << '"';
}

class CsvWriter final : public RowWriter {
  public:
    explicit CsvWriter(std::ostream& out) : out_(out) {}

    void begin(const std::vector<std::string>& headers) override {
        for (std::size_t c = 0; c < headers.size(); ++c) {
            if (c) out_ << ',';
            csv_field(out_, headers[c], true);
        }
        out_ << "\r\n";
    }
    void row(const std::vector<Variant>& values) override {
        for (std::size_t c = 0; c < values.size(); ++c) {
            if (c) out_ << ',';
            if (!values[c].is_null()) csv_field(out_, to_text(values[c]), true);
        }
        out_ << "\r\n";
    }
    void end() override { out_.flush(); }

  private:
    std::ostream& out_;
};

nlohmann::json json_value(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Null:
        case VariantKind::Empty:
            return nullptr;
        case VariantKind::Integer:
        case VariantKind::Long:
            return to_int32(v);
        case VariantKind::Single:
        case VariantKind::Double:
            return to_double(v);
        case VariantKind::Boolean:
            return to_bool(v);
        default:
            return to_text(v);
    }
}

// One object per row, one row per line, inside an array. Repeated column names get a
// suffix, so that no value is lost to a duplicate key.
class JsonWriter final : public RowWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void begin(const std::vector<std::string>& headers) override {
        keys_.clear();
        std::map<std::string, int> seen;
        for (const auto& h : headers) {
            const int n = ++seen[h];
            keys_.push_back(n == 1 ? h : h + ":" + std::to_string(n));
        }
        out_ << '[';
    }
    void row(const std::vector<Variant>& values) override {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < values.size() && c < keys_.size(); ++c)
            object[keys_[c]] = json_value(values[c]);
        out_ << (first_ ? "\n" : ",\n")
             << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        first_ = false;
    }
    void end() override {
        out_ << (first_ ? "]\n" : "\n]\n");
        out_.flush();
    }

  private:
    std::ostream& out_;
    std::vector<std::string> keys_;
    bool first_ = true;
};

}  // namespace

const std::vector<std::pair<std::string, Format>>& format_names() {
    static const std::vector<std::pair<std::string, Format>> names{
        {"table", Format::table}, {"csv", Format::csv}, {"json", Format::json}};
    return names;
}

std::unique_ptr<RowWriter> make_writer(Format format, std::ostream& out, std::size_t table_block) {
    switch (format) {
        case Format::csv:
            return std::make_unique<CsvWriter>(out);
        case Format::json:
            return std::make_unique<JsonWriter>(out);
        case Format::table:
            break;
    }
    return std::make_unique<TableWriter>(out, table_block);
}

void write_affected(Format format, std::ostream& out, int32_t records_affected) {
    switch (format) {
        case Format::json:
            out << nlohmann::json{{"records_affected", records_affected}}.dump() << '\n';
            return;
        case Format::csv:
            out << "records_affected\r\n" << records_affected << "\r\n";
            return;
        case Format::table:
            break;
    }
    if (records_affected < 0)
        out << "Statement executed.\n";
    else
        out << '(' << records_affected
            << (records_affected == 1 ? " row affected)\n" : " rows affected)\n");
}

std::size_t display_width(std::string_view utf8) {
    std::size_t width = 0;
    bool ascii = true;
    for (unsigned char ch : utf8)
        ascii = ascii && ch < 0x80;
    if (ascii) return utf8.size();
    for (char32_t c : text::to_utf32(utf8)) {
        const int w = ::wcwidth(static_cast<wchar_t>(c));
        // Unprintable characters have been escaped already; count what is left as one column.
        width += w < 0 ? 1 : static_cast<std::size_t>(w);
    }
    return width;
}

std::string escape_controls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (u < 0x20 || u == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

void use_utf8_ctype() {
    std::setlocale(LC_CTYPE, "");
    if (MB_CUR_MAX == 1) std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace ortiva::cli
