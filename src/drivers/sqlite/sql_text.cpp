#include "drivers/sqlite/sql_text.hpp"

#include <cctype>
#include <cstddef>

namespace ortiva::sqlite {

namespace {

enum class TokenKind { End, Word, Quoted, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
};

bool word_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

// Reads the token at pos, skipping blanks and comments before it. Unterminated strings and
// comments run to the end of the text, as SQLite would reject them anyway.
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
                // A doubled quote stands for itself; brackets have no escape.
                if (close != ']' && i + 1 < n && s[i + 1] == close) {
                    i += 2;
                    continue;
                }
                ++i;
                return {TokenKind::Quoted, pos, i};
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

bool is_word(std::string_view s, const Token& t, std::string_view word) {
    if (t.kind != TokenKind::Word || t.end - t.begin != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[t.begin + i])) != word[i]) return false;
    }
    return true;
}

}  // namespace

bool is_blank(std::string_view text) {
    for (Token t = next_token(text, 0); t.kind != TokenKind::End; t = next_token(text, t.end)) {
        if (!(t.kind == TokenKind::Punct && text[t.begin] == ';')) return false;
    }
    return true;
}

std::optional<std::string> with_rowid_first(std::string_view select, std::string_view rowid_expr) {
    Token t = next_token(select, 0);
    if (!is_word(select, t, "SELECT")) return std::nullopt;
    std::size_t insert_at = t.end;
    t = next_token(select, t.end);
    // DISTINCT would fold rows that differ only in their rowid.
    if (is_word(select, t, "DISTINCT")) return std::nullopt;
    if (is_word(select, t, "ALL")) insert_at = t.end;

    int depth = 0;
    bool statement_ended = false;
    for (; t.kind != TokenKind::End; t = next_token(select, t.end)) {
        if (statement_ended && !(t.kind == TokenKind::Punct && select[t.begin] == ';')) {
            return std::nullopt;
        }
        if (t.kind == TokenKind::Punct) {
            const char c = select[t.begin];
            if (c == '(') ++depth;
            if (c == ')') --depth;
            if (c == ';' && depth == 0) statement_ended = true;
            continue;
        }
        // A compound or grouped result has no one row behind each of its rows.
        if (depth == 0 && (is_word(select, t, "UNION") || is_word(select, t, "INTERSECT") ||
                           is_word(select, t, "EXCEPT") || is_word(select, t, "GROUP"))) {
            return std::nullopt;
        }
    }
    std::string out;
    out.reserve(select.size() + rowid_expr.size() + 2);
    out.append(select.substr(0, insert_at));
    out.push_back(' ');
    out.append(rowid_expr);
    out.push_back(',');
    out.append(select.substr(insert_at));
    return out;
}

std::string quote_identifier(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

}  // namespace ortiva::sqlite
