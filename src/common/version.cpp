#include "ortiva/version.hpp"

namespace ortiva {

// Compiled into the library, so that these report the library a program runs with.
int version() {
    return ORTIVA_VERSION;
}

const char* version_string() {
    return ORTIVA_VERSION_STRING;
}

}  // namespace ortiva
