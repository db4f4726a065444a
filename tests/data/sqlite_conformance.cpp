// The data-access conformance suite on the embedded SQLite driver.

#include "conformance/data_access.hpp"

namespace ortiva::testing::conformance {

ORTIVA_DATA_ACCESS_SUITES(SQLite, ::ortiva::testing::sqlite_context());

}  // namespace ortiva::testing::conformance
