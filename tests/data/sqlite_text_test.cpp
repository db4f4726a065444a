// The SQLite driver's ISO date parser.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/sqlite/values.hpp"

namespace ortiva::sqlite {
namespace {

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

}  // namespace
}  // namespace ortiva::sqlite
