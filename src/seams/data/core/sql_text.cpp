#include "seams/data/core/sql_text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstddef>

namespace ortiva::detail::sql {

namespace {

enum class TokenKind { End, Word, Quoted, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
};

bool word_char(char c, const Dialect& d) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80 ||
           d.word_chars.find(c) != std::string_view::npos;
}

// The token at pos, after blanks and comments. Unterminated strings and comments run to the
// end of the text; the database rejects them anyway.
Token next_token(std::string_view s, std::size_t pos, const Dialect& d) {
    const std::size_t n = s.size();
    while (pos < n) {
        const char c = s[pos];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos;
        } else if (c == '-' && pos + 1 < n && s[pos + 1] == '-') {
            const auto eol = s.find('\n', pos);
            pos = eol == std::string_view::npos ? n : eol + 1;
        } else if (c == '/' && pos + 1 < n && s[pos + 1] == '*') {
            const auto close = s.find("*/", pos + 2);
            pos = close == std::string_view::npos ? n : close + 2;
        } else {
            break;
        }
    }
    if (pos >= n) return {TokenKind::End, n, n};
    const char c = s[pos];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
        const char close = c == '[' ? ']' : c;
        const bool escaped = close != ']' || d.bracket_escape;
        for (std::size_t i = pos + 1; i < n; ++i) {
            if (s[i] != close) continue;
            if (escaped && i + 1 < n && s[i + 1] == close) {
                ++i;
                continue;
            }
            return {TokenKind::Quoted, pos, i + 1};
        }
        return {TokenKind::Quoted, pos, n};
    }
    if (word_char(c, d)) {
        std::size_t i = pos + 1;
        while (i < n && word_char(s[i], d))
            ++i;
        return {TokenKind::Word, pos, i};
    }
    return {TokenKind::Punct, pos, pos + 1};
}

std::vector<Token> tokens(std::string_view s, const Dialect& d) {
    std::vector<Token> out;
    for (Token t = next_token(s, 0, d); t.kind != TokenKind::End; t = next_token(s, t.end, d)) {
        out.push_back(t);
    }
    return out;
}

bool is_word(std::string_view s, const Token& t, std::string_view word) {
    return t.kind == TokenKind::Word && same_name(s.substr(t.begin, t.end - t.begin), word);
}

bool is_punct(std::string_view s, const Token& t, char c) {
    return t.kind == TokenKind::Punct && s[t.begin] == c;
}

// Whether the tokens from `from` on are only semicolons.
bool only_semicolons(std::string_view s, const std::vector<Token>& t, std::size_t from) {
    for (std::size_t k = from; k < t.size(); ++k) {
        if (!is_punct(s, t[k], ';')) return false;
    }
    return true;
}

// The top-level FROM of one SELECT whose rows are rows of its sources (no DISTINCT, grouping,
// compound parts or second statement): its token index, or 0.
std::size_t plain_select_from(std::string_view s, const std::vector<Token>& t) {
    if (t.empty() || !is_word(s, t[0], "SELECT")) return 0;
    if (t.size() > 1 && is_word(s, t[1], "DISTINCT")) return 0;
    std::size_t from = 0;
    int depth = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (is_punct(s, t[i], '(')) ++depth;
        if (is_punct(s, t[i], ')')) --depth;
        if (depth != 0) continue;
        if (is_punct(s, t[i], ';')) return only_semicolons(s, t, i) ? from : 0;
        for (const char* word : {"UNION", "INTERSECT", "EXCEPT", "GROUP", "HAVING", "WINDOW"}) {
            if (is_word(s, t[i], word)) return 0;
        }
        if (!from && is_word(s, t[i], "FROM")) from = i;
    }
    return from;
}

bool is_compound(std::string_view s, const Token& t) {
    return is_word(s, t, "UNION") || is_word(s, t, "INTERSECT") || is_word(s, t, "EXCEPT");
}

// The contents of a '...' literal, or nothing when it is unterminated or holds a NUL.
std::optional<std::string> string_literal(std::string_view s, const Token& t) {
    std::string out;
    for (std::size_t i = t.begin + 1; i < t.end; ++i) {
        if (s[i] == '\0') return std::nullopt;
        if (s[i] != '\'') {
            out.push_back(s[i]);
        } else if (i + 1 < t.end && s[i + 1] == '\'') {
            out.push_back('\'');
            ++i;
        } else {
            return i + 1 == t.end ? std::optional<std::string>(std::move(out)) : std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Parameterized> parameterize_condition(std::string_view s, const Dialect& d) {
    const std::vector<Token> t = tokens(s, d);
    if (t.empty() || !is_word(s, t[0], "SELECT")) return std::nullopt;
    std::size_t where = 0;
    std::size_t end = t.size();
    int depth = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& k = t[i];
        // Parameters of the text's own would be numbered among ours.
        if (k.kind == TokenKind::Punct &&
            (s[k.begin] == '?' || s[k.begin] == ':' || s[k.begin] == '@' || s[k.begin] == '$')) {
            return std::nullopt;
        }
        if (k.kind == TokenKind::Word && s[k.begin] == '$') return std::nullopt;
        if (is_punct(s, k, '(')) ++depth;
        if (is_punct(s, k, ')')) --depth;
        if (depth != 0) continue;
        if (is_compound(s, k)) return std::nullopt;
        if (is_punct(s, k, ';')) {
            if (!only_semicolons(s, t, i)) return std::nullopt;
            end = std::min(end, i);
        } else if (!where && is_word(s, k, "WHERE")) {
            where = i;
        } else if (where && end == t.size()) {
            for (const char* word : {"GROUP", "ORDER", "LIMIT", "HAVING", "WINDOW"}) {
                if (is_word(s, k, word)) end = i;
            }
        }
    }
    if (!where) return std::nullopt;

    Parameterized out;
    std::size_t copied = 0;
    for (std::size_t i = where + 1; i < end; ++i) {
        const Token& k = t[i];
        if (is_word(s, k, "SELECT") || is_word(s, k, "VALUES")) return std::nullopt;
        const Token* before = i > 0 ? &t[i - 1] : nullptr;
        const Token* after = i + 1 < t.size() ? &t[i + 1] : nullptr;
        const bool next_to_point =
            (before && is_punct(s, *before, '.')) || (after && is_punct(s, *after, '.'));
        Literal value;
        if (k.kind == TokenKind::Word && std::isdigit(static_cast<unsigned char>(s[k.begin]))) {
            // Reals, hexadecimal and exponent forms and integers past 64 bits stay as written.
            const auto [ptr, ec] =
                std::from_chars(s.data() + k.begin, s.data() + k.end, value.integer);
            // The digits after "1e-" are an exponent's.
            const bool exponent = i >= 2 &&
                                  (is_punct(s, *before, '-') || is_punct(s, *before, '+')) &&
                                  before->end == k.begin && t[i - 2].end == before->begin &&
                                  t[i - 2].kind == TokenKind::Word &&
                                  std::isdigit(static_cast<unsigned char>(s[t[i - 2].begin]));
            if (ec != std::errc() || ptr != s.data() + k.end || next_to_point || exponent) {
                continue;
            }
        } else if (k.kind == TokenKind::Quoted && s[k.begin] == '\'') {
            // X'..' is a blob, 'name'.x a name, IN 't' a table, AS 't' a type and COLLATE 'x'
            // a collation: left as written.
            const bool prefixed = before && before->kind == TokenKind::Word &&
                                  (before->end == k.begin || is_word(s, *before, "COLLATE") ||
                                   is_word(s, *before, "IN") || is_word(s, *before, "AS"));
            if (prefixed || next_to_point || (after && is_punct(s, *after, '('))) continue;
            auto text = string_literal(s, k);
            if (!text) return std::nullopt;
            value.is_text = true;
            value.text = std::move(*text);
        } else {
            continue;
        }
        out.sql.append(s.substr(copied, k.begin - copied));
        out.sql.push_back('?');
        copied = k.end;
        out.values.push_back(std::move(value));
    }
    if (out.values.empty()) return std::nullopt;
    out.sql.append(s.substr(copied));
    return out;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool is_blank(std::string_view text, const Dialect& d) {
    for (Token t = next_token(text, 0, d); t.kind != TokenKind::End;
         t = next_token(text, t.end, d)) {
        if (!is_punct(text, t, ';')) return false;
    }
    return true;
}

bool is_select(std::string_view text, const Dialect& d) {
    return is_word(text, next_token(text, 0, d), "SELECT");
}

std::optional<std::string> single_table(std::string_view s, const Dialect& d) {
    const std::vector<Token> t = tokens(s, d);
    const std::size_t from = plain_select_from(s, t);
    if (!from) return std::nullopt;
    for (std::size_t i = from; i < t.size(); ++i) {
        if (is_word(s, t[i], "JOIN")) return std::nullopt;
    }

    // name := part ("." part)*
    std::size_t i = from + 1;
    const std::size_t name_begin = i;
    for (;;) {
        if (i >= t.size() || (t[i].kind != TokenKind::Word && t[i].kind != TokenKind::Quoted)) {
            return std::nullopt;
        }
        ++i;
        if (i < t.size() && is_punct(s, t[i], '.')) {
            ++i;
            continue;
        }
        break;
    }
    std::string name(s.substr(t[name_begin].begin, t[i - 1].end - t[name_begin].begin));
    // A table-valued function is no table.
    if (i < t.size() && is_punct(s, t[i], '(')) return std::nullopt;

    // An alias may follow; after it only the clauses that keep rows rows of the table.
    auto clause = [&](std::size_t k) {
        return is_word(s, t[k], "WHERE") || is_word(s, t[k], "ORDER") || is_word(s, t[k], "LIMIT");
    };
    if (i < t.size() && is_word(s, t[i], "AS")) ++i;
    if (i < t.size() && (t[i].kind == TokenKind::Word || t[i].kind == TokenKind::Quoted) &&
        !clause(i)) {
        ++i;
    }
    if (i >= t.size() || is_punct(s, t[i], ';') || clause(i)) return name;
    return std::nullopt;
}

std::optional<std::string> with_columns_appended(std::string_view s, std::string_view columns,
                                                 const Dialect& d) {
    const std::vector<Token> t = tokens(s, d);
    const std::size_t from = plain_select_from(s, t);
    if (!from) return std::nullopt;
    const std::size_t at = t[from - 1].end;
    std::string out;
    out.reserve(s.size() + columns.size() + 2);
    out.append(s.substr(0, at));
    out.append(", ");
    out.append(columns);
    out.append(s.substr(at));
    return out;
}

std::vector<std::string> name_parts(std::string_view name) {
    std::vector<std::string> parts;
    std::string current;
    char quote = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (quote) {
            if (c == quote) {
                if (i + 1 < name.size() && name[i + 1] == quote) {
                    current.push_back(c);
                    ++i;
                } else {
                    quote = 0;
                }
                continue;
            }
        } else if (c == '"' || c == '`') {
            quote = c;
            continue;
        } else if (c == '[') {
            quote = ']';
            continue;
        } else if (c == '.') {
            parts.push_back(std::move(current));
            current.clear();
            continue;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        current.push_back(c);
    }
    parts.push_back(std::move(current));
    return parts;
}

std::string quote_identifier(std::string_view name, std::string_view quote) {
    if (quote.empty()) return std::string(name);
    std::string out(quote);
    for (const char c : name) {
        out.push_back(c);
        if (quote.size() == 1 && c == quote[0]) out.push_back(c);
    }
    out.append(quote);
    return out;
}

}  // namespace ortiva::detail::sql
