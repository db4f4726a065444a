// The data-access conformance suite on the ODBC driver.

#include <gtest/gtest.h>

#include "conformance/data_access.hpp"
#include "odbc/odbc_contexts.hpp"

namespace ortiva::testing::conformance {

INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessConnection, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessCursors, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessWrites, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessValues, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessTransactions, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessErrors, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());

// Says so when the PostgreSQL instances above were left out.
TEST(PostgreSQL, SharedSuitesRunOnTheServer) {
    const std::string why = postgres_unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
}

}  // namespace ortiva::testing::conformance
