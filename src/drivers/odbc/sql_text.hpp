#pragma once

// The little SQL lexing the driver needs: whether a statement is a query that may run again,
// and the one table a plain SELECT reads, for drivers that do not name a column's table.

#include <optional>
#include <string>
#include <string_view>

namespace ortiva::odbc {

/// True when the statement's first word is SELECT.
bool is_select(std::string_view sql);

/// For "SELECT ... FROM name [[AS] alias] [WHERE ...|ORDER BY ...]", the name as written
/// (quoted and qualified parts kept); nothing for joins, several tables, DISTINCT, grouping,
/// compound queries or anything else whose rows are not rows of one table.
std::optional<std::string> single_table(std::string_view select);

/// For a plain SELECT (not DISTINCT, not compound or grouped), the statement with `columns`
/// put first in its result list; otherwise nothing.
std::optional<std::string> with_columns_first(std::string_view select, std::string_view columns);

}  // namespace ortiva::odbc
