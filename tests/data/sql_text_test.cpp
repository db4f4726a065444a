// The statement lexing every driver's cursors rely on.

#include "seams/data/core/sql_text.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ortiva::detail::sql {
namespace {

using Cases = std::vector<std::pair<std::string, std::optional<std::string>>>;

TEST(SqlText, SingleTableIsFoundOnlyWhereRowsAreRowsOfOneTable) {
    const Cases cases = {
        {"Select * from Items", "Items"},
        {"select a, b from dbo.Items where a = 1", "dbo.Items"},
        {"SELECT * FROM \"My Table\" ORDER BY 1", "\"My Table\""},
        {"select * from Items as i;", "Items"},
        {"select * from Items i limit 3", "Items"},
        {"  -- note\n select /* from X */ * from Items", "Items"},
        {"select 'from T' from Items", "Items"},
        {"select * from Items where Id in (select Id from U union select 1)", "Items"},
        {"select * from A, B", std::nullopt},
        {"select * from A join B on A.x = B.x", std::nullopt},
        {"select * from A a left join B b on a.x = b.x", std::nullopt},
        {"select * from (select * from Items)", std::nullopt},
        {"select * from pragma_table_info('T')", std::nullopt},
        {"select distinct a from Items", std::nullopt},
        {"select a, count(*) from Items group by a", std::nullopt},
        {"select a from X union select a from Y", std::nullopt},
        {"with c as (select 1) select * from c", std::nullopt},
        {"select 1", std::nullopt},
        {"select * from Items; delete from Items", std::nullopt},
        {"delete from Items", std::nullopt},
    };
    for (const auto& [text, table] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(single_table(text, odbc_dialect), table);
    }
}

TEST(SqlText, KeyColumnsGoAfterTheCallersColumns) {
    const Cases cases = {
        {"select Name from T order by 1", "select Name, k from T order by 1"},
        {"SELECT * FROM T", "SELECT *, k FROM T"},
        {"select a as \"from\", (select max(x) from U) m from T",
         "select a as \"from\", (select max(x) from U) m, k from T"},
        {"select top 5 Name from T;", "select top 5 Name, k from T;"},
        {"select a from T -- group by a\n", "select a, k from T -- group by a\n"},
        {"select distinct Name from T", std::nullopt},
        {"select Name from T union select Name from U", std::nullopt},
        {"select max(Name) from T group by Kind", std::nullopt},
        {"select getdate()", std::nullopt},
        {"select a from T; select b from U", std::nullopt},
        {"update T set a = 1", std::nullopt},
    };
    for (const auto& [text, keyed] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(with_columns_appended(text, "k", odbc_dialect), keyed);
    }
}

TEST(SqlText, DialectsDifferInBracketsAndWordCharacters) {
    // T-SQL doubles ']' inside brackets; SQLite ends the name at the first one.
    EXPECT_EQ(single_table("select * from [odd]].name] i", odbc_dialect), "[odd]].name]");
    EXPECT_EQ(single_table("select * from [odd]].name] i", sqlite_dialect), std::nullopt);
    EXPECT_EQ(single_table("select * from #temp", odbc_dialect), "#temp");
    EXPECT_EQ(single_table("select * from #temp", sqlite_dialect), std::nullopt);

    EXPECT_TRUE(is_blank("  ; -- note\n /* block */ ;", sqlite_dialect));
    EXPECT_FALSE(is_blank("; select 1", sqlite_dialect));
    EXPECT_FALSE(is_blank("'text'", sqlite_dialect));
    EXPECT_TRUE(is_select("  /* c */ select 1", odbc_dialect));
    EXPECT_FALSE(is_select("insert into T values (1)", odbc_dialect));
}

TEST(SqlText, ConditionLiteralsBecomeParametersOnlyWhereTheyMeanTheSame) {
    const Cases cases = {
        {"select Name from T where Id = 7", "select Name from T where Id = ?"},
        {"select * from T where A = -5 and B = 'it''s' order by 1 limit 3",
         "select * from T where A = -? and B = ? order by 1 limit 3"},
        {"select a, 'k' from T where a in (1, 2) and b like 'x%' group by a",
         "select a, 'k' from T where a in (?, ?) and b like ? group by a"},
        {"select * from T where p = 1.5 and b = x'00' and s = \"str\" and c = 'C' collate "
         "'nocase';",
         "select * from T where p = 1.5 and b = x'00' and s = \"str\" and c = ? collate "
         "'nocase';"},
        {"select * from T where p = 1e5 or p = 1e-5 or p = 0x10", std::nullopt},
        {"select * from T where Id = 99999999999999999999", std::nullopt},
        {"select * from T where a = ? or b = 1", std::nullopt},
        {"select * from T where a = :v or b = 1", std::nullopt},
        {"select * from T where a in (select a from U where b = 1 order by 1)", std::nullopt},
        {"select * from T where a = 1 union select * from U", std::nullopt},
        {"select * from T where a = 'open", std::nullopt},
        {"select * from T where a = 1; delete from T", std::nullopt},
        {"select * from T order by 1", std::nullopt},
        {"delete from T where a = 1", std::nullopt},
    };
    for (const auto& [text, sql] : cases) {
        SCOPED_TRACE(text);
        const auto p = parameterize_condition(text, sqlite_dialect);
        EXPECT_EQ(p ? std::optional<std::string>(p->sql) : std::nullopt, sql);
    }
}

TEST(SqlText, NamesSplitAndQuote) {
    EXPECT_EQ(name_parts("main.\"My \"\"T\"\"\""), (std::vector<std::string>{"main", "My \"T\""}));
    EXPECT_EQ(name_parts("[dbo].`t`"), (std::vector<std::string>{"dbo", "t"}));
    EXPECT_EQ(quote_identifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(quote_identifier("plain", ""), "plain");
    EXPECT_TRUE(same_name("Items", "ITEMS"));
    EXPECT_FALSE(same_name("Item", "Items"));
}

}  // namespace
}  // namespace ortiva::detail::sql
