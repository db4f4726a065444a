#include "db/db_fixture.hpp"

namespace ortiva::testing {

std::vector<DbContext> db_contexts() {
    return {sqlite_context()};
}

}  // namespace ortiva::testing
