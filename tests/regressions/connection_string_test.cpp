#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "conformance/db_context.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva {
namespace {

// An unterminated quote once swallowed the rest of the string, and SQLite created a file named
// after all of it.
TEST(Regression, UnterminatedQuoteOpensNothing) {
    const testing::TempDir dir;
    const std::string file = (dir.path() / "t.db").string();
    auto c = Connection::create();
    try {
        c->Open("Data Source=\"" + file + ";Mode=Read");
        ADD_FAILURE() << "opened";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), err::ado_wrong_arguments) << e.description();
    }
    EXPECT_EQ(c->State(), adStateClosed);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace ortiva
