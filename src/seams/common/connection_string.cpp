#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"

namespace ortiva::detail {

namespace {

std::string trim_blanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

}  // namespace

// Pairs are separated by ';'. A value may be quoted ('...' or "...", the quote doubled inside)
// or braced ({...}, '}}' inside stands for '}'), so that it can hold ';'.
ConnectionString ConnectionString::parse(const std::string& text) {
    ConnectionString cs;
    cs.text = text;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto eq = text.find('=', i);
        const auto semi = text.find(';', i);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
            // A piece without '=' carries no pair.
            if (semi == std::string::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = text::upper(trim_blanks(std::string_view(text).substr(i, eq - i)));
        i = eq + 1;
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'' || text[i] == '{')) {
            const char open = text[i];
            const char close = open == '{' ? '}' : open;
            ++i;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            const auto end = text.find(';', i);
            i = end == std::string::npos ? n : end + 1;
        } else {
            const auto end = text.find(';', i);
            const auto stop = end == std::string::npos ? n : end;
            value = trim_blanks(std::string_view(text).substr(i, stop - i));
            i = end == std::string::npos ? n : end + 1;
        }
        if (!key.empty()) cs.values[key] = value;
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
