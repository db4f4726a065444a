// The data-access conformance suite on the ODBC driver's contexts (odbc_contexts()).

#include <gtest/gtest.h>

#include "conformance/data_access.hpp"
#include "odbc/odbc_contexts.hpp"

namespace ortiva::testing::conformance {

ORTIVA_DATA_ACCESS_SUITES(ODBC, sqlite_odbc_context(), postgres_context());

}  // namespace ortiva::testing::conformance
