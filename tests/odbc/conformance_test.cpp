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
INSTANTIATE_TEST_SUITE_P(ODBC, DataAccessQueries, ::testing::ValuesIn(odbc_contexts()),
                         ContextName());

}  // namespace ortiva::testing::conformance
