#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::detail {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim_blanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

// A malformed string is refused before any driver sees it: read loosely, an unterminated
// quote swallows the pairs after it and the driver opens whatever the value became.
[[noreturn]] void refuse(const std::string& text, std::size_t at, const std::string& why) {
    // Positions count UTF-16 units from 1, as every position the library reports does.
    const int32_t position = text::utf16_length(std::string_view(text).substr(0, at)) + 1;
    raise(err::ado_wrong_arguments, "Ortiva.Connection",
          "The connection string is malformed at position " + std::to_string(position) + ": " +
              why + ".");
}

}  // namespace

// Pairs are separated by ';'; blank pieces (as after a trailing ';') are skipped. A value may
// be quoted ('...' or "...", the quote doubled inside) or braced ({...}, '}}' inside stands
// for '}'), so that it can hold ';'. Only blanks may follow the closing quote or brace.
ConnectionString ConnectionString::parse(const std::string& text) {
    ConnectionString cs;
    cs.text = text;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && is_blank(text[i]))
            ++i;
        if (i == n) break;
        if (text[i] == ';') {
            ++i;
            continue;
        }
        const std::size_t key_start = i;
        const auto eq = text.find('=', i);
        const auto semi = text.find(';', i);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq))
            refuse(text, key_start, "a key without '='");
        std::string key = text::upper(trim_blanks(std::string_view(text).substr(i, eq - i)));
        if (key.empty()) refuse(text, key_start, "a value without a key");
        i = eq + 1;
        while (i < n && is_blank(text[i]))
            ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'' || text[i] == '{')) {
            const std::size_t open_at = i;
            const char open = text[i];
            const char close = open == '{' ? '}' : open;
            bool closed = false;
            ++i;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed) {
                refuse(text, open_at,
                       open == '{' ? std::string("the brace is never closed")
                                   : std::string("the quote is never closed"));
            }
            while (i < n && is_blank(text[i]))
                ++i;
            if (i < n && text[i] != ';') refuse(text, i, "text after the closing quote or brace");
        } else {
            const auto end = text.find(';', i);
            const auto stop = end == std::string::npos ? n : end;
            value = trim_blanks(std::string_view(text).substr(i, stop - i));
            i = stop;
        }
        cs.values[key] = std::move(value);
    }
    return cs;
}

bool ConnectionString::has(const std::string& key) const {
    return values.count(text::upper(key)) != 0;
}

std::string ConnectionString::get(const std::string& key) const {
    const auto it = values.find(text::upper(key));
    return it == values.end() ? std::string() : it->second;
}

}  // namespace ortiva::detail
