#pragma once

// The SQL lexing the cursors need, once for every driver: where statements end, the one table
// a plain SELECT reads, and where hidden key columns can go without moving the caller's own.
// Dialects differ only in a few lexical details, given as flags.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ortiva::detail::sql {

struct Dialect {
    /// Characters besides letters, digits, '_' and '$' that may be part of a word.
    std::string_view word_chars;
    /// Whether "]]" inside [brackets] stands for one ']' (SQLite has no escape there).
    bool bracket_escape = false;
};

inline constexpr Dialect sqlite_dialect{"", false};
inline constexpr Dialect odbc_dialect{"#@", true};

/// True when text holds nothing but blanks, comments and semicolons.
bool is_blank(std::string_view text, const Dialect& d);

/// True when the statement's first word is SELECT.
bool is_select(std::string_view text, const Dialect& d);

/// For "SELECT ... FROM name [[AS] alias] [WHERE ...] [ORDER BY ...]", the name as written
/// (quoted and qualified parts kept); nothing for joins, several tables, DISTINCT, grouping,
/// compound queries, subqueries in FROM or anything else whose rows are not rows of one table.
std::optional<std::string> single_table(std::string_view select, const Dialect& d);

/// The statement with `columns` added after the last column of its result list, so that every
/// position the caller's ORDER BY or GROUP BY names, `*` and aliases keep their meaning.
/// Nothing for statements where more columns would change the rows: DISTINCT, compound or
/// grouped queries, and anything but one SELECT with a FROM.
std::optional<std::string> with_columns_appended(std::string_view select, std::string_view columns,
                                                 const Dialect& d);

/// A literal taken out of a statement's text, to be bound in its place.
struct Literal {
    bool is_text = false;
    int64_t integer = 0;
    std::string text;  // unquoted
};

/// A statement with literals replaced by "?", and the literals in their order.
struct Parameterized {
    std::string sql;
    std::vector<Literal> values;
};

/// For one SELECT with a top-level WHERE, the statement with the integer and '...' literals of
/// that condition turned into parameters, which the database compares exactly as it would the
/// literals (neither has an affinity). Everything outside the condition, and any literal that
/// could mean something else as a parameter (reals, blobs, names written as strings), stays as
/// written. Nothing when the text already has parameters, is compound, has a subquery in its
/// condition, or has no literal to take out.
std::optional<Parameterized> parameterize_condition(std::string_view select, const Dialect& d);

/// The parts of a written name ("s"."t", [t], `t`), unquoted.
std::vector<std::string> name_parts(std::string_view name);

/// An identifier quoted with quote (doubled inside); as it is when quote is empty.
std::string quote_identifier(std::string_view name, std::string_view quote = "\"");

/// ASCII case-blind equality, as SQL compares unquoted names.
bool same_name(std::string_view a, std::string_view b);

}  // namespace ortiva::detail::sql
