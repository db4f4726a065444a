#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "conformance/db_context.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

// An unterminated quote once swallowed the rest of the string, and SQLite created a file named
// after all of it.
TEST(Regression, UnterminatedQuoteOpensNothing) {
    const testing::TempDir dir;
    const std::string file = (dir.path() / "t.db").string();
    auto c = Connection::create();
    EXPECT_EQ(testing::error_of([&] { c->Open("Data Source=\"" + file + ";Mode=Read"); }),
              err::ado_wrong_arguments);
    EXPECT_EQ(c->State(), adStateClosed);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace ortiva
