#include "drivers/odbc/sql_text.hpp"

#include <cctype>
#include <cstddef>
#include <vector>

namespace ortiva::odbc {

namespace {

enum class TokenKind { End, Word, Quoted, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
};

bool word_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || c == '#' || c == '@' || u >= 0x80;
}

// The token at pos, after blanks and comments. Unterminated strings and comments run to the
// end of the text; the server rejects them anyway.
Token next_token(std::string_view s, std::size_t pos) {
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
        std::size_t i = pos + 1;
        while (i < n) {
            if (s[i] == close) {
                if (i + 1 < n && s[i + 1] == close) {
                    i += 2;
                    continue;
                }
                return {TokenKind::Quoted, pos, i + 1};
            }
            ++i;
        }
        return {TokenKind::Quoted, pos, n};
    }
    if (word_char(c)) {
        std::size_t i = pos + 1;
        while (i < n && word_char(s[i]))
            ++i;
        return {TokenKind::Word, pos, i};
    }
    return {TokenKind::Punct, pos, pos + 1};
}

std::vector<Token> tokens(std::string_view s) {
    std::vector<Token> out;
    for (Token t = next_token(s, 0); t.kind != TokenKind::End; t = next_token(s, t.end)) {
        out.push_back(t);
    }
    return out;
}

bool is_word(std::string_view s, const Token& t, std::string_view word) {
    if (t.kind != TokenKind::Word || t.end - t.begin != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[t.begin + i])) != word[i]) return false;
    }
    return true;
}

bool is_punct(std::string_view s, const Token& t, char c) {
    return t.kind == TokenKind::Punct && s[t.begin] == c;
}

}  // namespace

bool is_select(std::string_view sql) {
    const Token t = next_token(sql, 0);
    return is_word(sql, t, "SELECT");
}

std::optional<std::string> single_table(std::string_view s) {
    const std::vector<Token> t = tokens(s);
    if (t.empty() || !is_word(s, t[0], "SELECT")) return std::nullopt;
    if (t.size() > 1 && is_word(s, t[1], "DISTINCT")) return std::nullopt;

    // FROM at depth 0; a compound or grouped query has no one row behind each of its rows.
    std::size_t from = 0;
    int depth = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (is_punct(s, t[i], '(')) ++depth;
        if (is_punct(s, t[i], ')')) --depth;
        if (depth != 0) continue;
        for (const char* word : {"UNION", "INTERSECT", "EXCEPT", "GROUP", "JOIN", "HAVING"}) {
            if (is_word(s, t[i], word)) return std::nullopt;
        }
        if (!from && is_word(s, t[i], "FROM")) from = i;
    }
    if (!from) return std::nullopt;

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

    // An alias may follow; after it only the clauses that keep rows rows of the table.
    if (i < t.size() && is_word(s, t[i], "AS")) ++i;
    if (i < t.size() && (t[i].kind == TokenKind::Word || t[i].kind == TokenKind::Quoted) &&
        !is_word(s, t[i], "WHERE") && !is_word(s, t[i], "ORDER")) {
        ++i;
    }
    if (i >= t.size() || is_punct(s, t[i], ';') || is_word(s, t[i], "WHERE") ||
        is_word(s, t[i], "ORDER")) {
        // No second table after a comma at the top level.
        depth = 0;
        for (std::size_t j = i; j < t.size(); ++j) {
            if (is_punct(s, t[j], '(')) ++depth;
            if (is_punct(s, t[j], ')')) --depth;
            if (depth == 0 && is_punct(s, t[j], ';')) {
                for (std::size_t k = j + 1; k < t.size(); ++k) {
                    if (!is_punct(s, t[k], ';')) return std::nullopt;
                }
                break;
            }
        }
        return name;
    }
    return std::nullopt;
}

std::optional<std::string> with_columns_first(std::string_view s, std::string_view columns) {
    const std::vector<Token> t = tokens(s);
    if (t.empty() || !is_word(s, t[0], "SELECT")) return std::nullopt;
    std::size_t insert_at = t[0].end;
    if (t.size() > 1 && is_word(s, t[1], "DISTINCT")) return std::nullopt;
    if (t.size() > 1 && is_word(s, t[1], "ALL")) insert_at = t[1].end;
    // TOP n stays in front of the list.
    if (t.size() > 2 && is_word(s, t[1], "TOP") && t[2].kind == TokenKind::Word) {
        insert_at = t[2].end;
    }
    int depth = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (is_punct(s, t[i], '(')) ++depth;
        if (is_punct(s, t[i], ')')) --depth;
        if (depth != 0) continue;
        for (const char* word : {"UNION", "INTERSECT", "EXCEPT", "GROUP", "HAVING"}) {
            if (is_word(s, t[i], word)) return std::nullopt;
        }
    }
    std::string out;
    out.reserve(s.size() + columns.size() + 2);
    out.append(s.substr(0, insert_at));
    out.push_back(' ');
    out.append(columns);
    out.push_back(',');
    out.append(s.substr(insert_at));
    return out;
}

}  // namespace ortiva::odbc
