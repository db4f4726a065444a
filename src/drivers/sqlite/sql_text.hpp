#pragma once

// The little SQL lexing the driver needs: where statements end and whether a SELECT can carry
// the rowid that lets a keyset cursor find its rows again.

#include <optional>
#include <string>
#include <string_view>

namespace ortiva::sqlite {

/// True when text holds nothing but blanks, comments and semicolons.
bool is_blank(std::string_view text);

/// For a plain SELECT (not DISTINCT, not compound, not starting with WITH or VALUES), the
/// statement with `rowid_expr` put first in its result list; otherwise nothing.
std::optional<std::string> with_rowid_first(std::string_view select, std::string_view rowid_expr);

/// An identifier quoted for SQLite ("a""b").
std::string quote_identifier(std::string_view name);

}  // namespace ortiva::sqlite
