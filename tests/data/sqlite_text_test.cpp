// The SQLite driver's small parsers: where a rowid can go into a SELECT, ISO dates, and the
// declared types that decide a column's value kind.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drivers/sqlite/sql_text.hpp"
#include "drivers/sqlite/values.hpp"

namespace ortiva::sqlite {
namespace {

TEST(SqliteText, RowidGoesFirstInPlainSelectsOnly) {
    struct Case {
        const char* sql;
        std::optional<std::string> keyed;
    };
    const std::vector<Case> cases = {
        {"Select * from T", "Select _rowid_, * from T"},
        {"  /* c */ select all a from T", "  /* c */ select all _rowid_, a from T"},
        {"SELECT*FROM T WHERE x = 'union'", "SELECT _rowid_,*FROM T WHERE x = 'union'"},
        {"select a from T where b in (select b from U union select 1)",
         "select _rowid_, a from T where b in (select b from U union select 1)"},
        {"select \"group\" from T;", "select _rowid_, \"group\" from T;"},
        {"select a from T -- group by a\n", "select _rowid_, a from T -- group by a\n"},
        {"select distinct a from T", std::nullopt},
        {"select a from T union select a from U", std::nullopt},
        {"select a from T except select a from U", std::nullopt},
        {"select a, count(*) from T group by a", std::nullopt},
        {"with c as (select 1) select * from c", std::nullopt},
        {"values (1)", std::nullopt},
        {"insert into T values (1)", std::nullopt},
        {"select a from T; select b from U", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(with_rowid_first(c.sql, "_rowid_"), c.keyed);
    }
}

TEST(SqliteText, BlankTextAndQuotedIdentifiers) {
    EXPECT_TRUE(is_blank(""));
    EXPECT_TRUE(is_blank("  ; -- note\n /* block */ ;"));
    EXPECT_FALSE(is_blank("; select 1"));
    EXPECT_FALSE(is_blank("'text'"));
    EXPECT_EQ(quote_identifier("plain"), "\"plain\"");
    EXPECT_EQ(quote_identifier("a\"b"), "\"a\"\"b\"");
}

TEST(SqliteValues, IsoTextReadsAsDate) {
    struct Case {
        const char* text;
        bool ok;
        Date date;
    };
    const std::vector<Case> cases = {
        {"2024-03-01 13:45:10", true, Date::from_fields(2024, 3, 1, 13, 45, 10)},
        {"2024-03-01T13:45", true, Date::from_fields(2024, 3, 1, 13, 45, 0)},
        {"2024-03-01", true, Date::from_fields(2024, 3, 1)},
        {"1899-12-30 12:00:00.500", true, Date(0.5 + 0.5 / 86400)},
        {"06:00:00", true, Date(0.25)},
        {"1800-01-01 00:00:00", true, Date::from_fields(1800, 1, 1)},
        {"2024-02-30", false, Date()},
        {"2024-03-01 24:00:00", false, Date()},
        {"2024-03-01 13:45:10Z", false, Date()},
        {"01/03/2024", false, Date()},
        {"2024-3-1", false, Date()},
        {"", false, Date()},
        {"12:5", false, Date()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Date d;
        ASSERT_EQ(parse_iso(c.text, d), c.ok);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(d.serial, c.date.serial);
        }
    }
    EXPECT_EQ(iso_text(Date::from_fields(2024, 3, 1, 13, 45, 10)), "2024-03-01 13:45:10");
    EXPECT_EQ(iso_text(Date(0.0)), "1899-12-30 00:00:00");
}

TEST(SqliteValues, DeclaredTypesThatChangeTheValueKind) {
    const std::vector<std::pair<const char*, ColumnKind>> cases = {
        {"DATE", ColumnKind::Date},
        {"datetime", ColumnKind::Date},
        {"Time", ColumnKind::Date},
        {"TIMESTAMP(3)", ColumnKind::Date},
        {"timestamp with time zone", ColumnKind::Date},
        {"BIT", ColumnKind::Boolean},
        {"boolean", ColumnKind::Boolean},
        {"INTEGER", ColumnKind::Plain},
        {"DATETIMEOFFSET", ColumnKind::Plain},
        {"VARCHAR(10)", ColumnKind::Plain},
        {"", ColumnKind::Plain},
    };
    for (const auto& [declared, kind] : cases) {
        SCOPED_TRACE(declared);
        EXPECT_EQ(column_kind(declared), kind);
    }
    EXPECT_EQ(column_kind(nullptr), ColumnKind::Expression);
}

}  // namespace
}  // namespace ortiva::sqlite
