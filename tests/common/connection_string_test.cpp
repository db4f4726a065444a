#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ortiva/error_info.hpp"
#include "seams/data_driver.hpp"
#include "support/raised.hpp"

namespace ortiva::detail {
namespace {

TEST(ConnectionString, AcceptsQuotedBracedAndBlankForms) {
    const auto cs = ConnectionString::parse(
        " Provider = SQLite ;Data Source=\"a;b \"\"c\"\"\"; user id='it''s' ;"
        "Pwd={x;}}y} ;;Empty=;Mode=Read;");
    EXPECT_EQ(cs.get("provider"), "SQLite");
    EXPECT_EQ(cs.get("DATA SOURCE"), "a;b \"c\"");
    EXPECT_EQ(cs.get("User ID"), "it's");
    EXPECT_EQ(cs.get("Pwd"), "x;}y");
    EXPECT_TRUE(cs.has("Empty"));
    EXPECT_EQ(cs.get("Empty"), "");
    EXPECT_EQ(cs.get("Mode"), "Read");
    EXPECT_FALSE(cs.has("Missing"));
    // A quote inside an unquoted value is an ordinary character; the last of a repeated key wins.
    const auto plain = ConnectionString::parse("Data Source=it's.db;Mode=A;Mode=B");
    EXPECT_EQ(plain.get("Data Source"), "it's.db");
    EXPECT_EQ(plain.get("Mode"), "B");
    EXPECT_TRUE(ConnectionString::parse("").values.empty());
    EXPECT_TRUE(ConnectionString::parse(" ; ;").values.empty());
}

TEST(ConnectionString, RefusesMalformedTextNamingThePosition) {
    struct Case {
        std::string text;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"Data Source=\"t.db;Mode=Read", "position 13: the quote is never closed"},
        {"Data Source='t.db", "position 13: the quote is never closed"},
        {"Data Source=\"t.db\"\";Mode=Read", "position 13: the quote is never closed"},
        {"Driver={PostgreSQL;Server=x", "position 8: the brace is never closed"},
        {"Data Source=x;Mode", "position 15: a key without '='"},
        {"Data Source=x;Read Only;Mode=Read", "position 15: a key without '='"},
        {"=x;Data Source=y", "position 1: a value without a key"},
        {"Data Source=\"a\"b;Mode=Read", "position 16: text after the closing quote or brace"},
        // Positions count UTF-16 units: the e-acute is one unit though two bytes.
        {"Data Source=\xC3\xA9;X={", "position 17: the brace is never closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ErrorInfo e = testing::raised_by([&] { ConnectionString::parse(c.text); });
        EXPECT_EQ(e.number(), err::ado_wrong_arguments);
        EXPECT_EQ(e.source(), "Ortiva.Connection");
        EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace ortiva::detail
