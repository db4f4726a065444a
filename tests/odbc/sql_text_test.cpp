// The statement lexing the ODBC driver relies on when a driver does not name a column's table.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drivers/odbc/sql_text.hpp"

namespace ortiva::odbc {
namespace {

TEST(OdbcSqlText, SingleTableIsFoundOnlyWhereRowsAreRowsOfOneTable) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"Select * from Items", "Items"},
        {"select a, b from dbo.Items where a = 1", "dbo.Items"},
        {"SELECT * FROM \"My Table\" ORDER BY 1", "\"My Table\""},
        {"select * from [odd]].name] i where i.x in (select y from z)", "[odd]].name]"},
        {"select * from Items as i;", "Items"},
        {"  -- note\n select /* from X */ * from Items", "Items"},
        {"select * from A, B", std::nullopt},
        {"select * from A join B on A.x = B.x", std::nullopt},
        {"select distinct a from Items", std::nullopt},
        {"select a, count(*) from Items group by a", std::nullopt},
        {"select a from X union select a from Y", std::nullopt},
        {"select 1", std::nullopt},
        {"select * from Items; delete from Items", std::nullopt},
        {"delete from Items", std::nullopt},
        {"select 'from T' from Items", "Items"},
    };
    for (const auto& [sql, table] : cases) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(single_table(sql), table);
    }
}

TEST(OdbcSqlText, KeyColumnsGoInFrontOfTheSelectList) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"select Name from Items order by Id", "select \"id\", Name from Items order by Id"},
        {"SELECT ALL Name from T", "SELECT ALL \"id\", Name from T"},
        {"select top 5 Name from T", "select top 5 \"id\", Name from T"},
        {"select distinct Name from T", std::nullopt},
        {"select Name from T union select Name from U", std::nullopt},
        {"select max(Name) from T group by Kind", std::nullopt},
        {"update T set a = 1", std::nullopt},
    };
    for (const auto& [sql, keyed] : cases) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(with_columns_first(sql, "\"id\""), keyed);
    }
    EXPECT_TRUE(is_select("  select 1"));
    EXPECT_FALSE(is_select("insert into T values (1)"));
}

}  // namespace
}  // namespace ortiva::odbc
