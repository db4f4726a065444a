#pragma once

/// \file
/// The library's version: macros for the headers a program was compiled against, and a query
/// for the library it runs with. The build reads the numbers from this file.

#include "ortiva/export.hpp"

/// Major version: changes when the interface breaks.
#define ORTIVA_VERSION_MAJOR 0
/// Minor version.
#define ORTIVA_VERSION_MINOR 1
/// Patch version.
#define ORTIVA_VERSION_PATCH 0
/// The version as one number, MAJOR * 10000 + MINOR * 100 + PATCH, for comparisons.
#define ORTIVA_VERSION \
    (ORTIVA_VERSION_MAJOR * 10000 + ORTIVA_VERSION_MINOR * 100 + ORTIVA_VERSION_PATCH)
/// \cond INTERNAL
#define ORTIVA_VERSION_TEXT_(major, minor, patch) #major "." #minor "." #patch
#define ORTIVA_VERSION_TEXT(major, minor, patch) ORTIVA_VERSION_TEXT_(major, minor, patch)
/// \endcond
/// The version as text, "MAJOR.MINOR.PATCH".
#define ORTIVA_VERSION_STRING \
    ORTIVA_VERSION_TEXT(ORTIVA_VERSION_MAJOR, ORTIVA_VERSION_MINOR, ORTIVA_VERSION_PATCH)

namespace ortiva {

/// The version of the library linked at run time, as ORTIVA_VERSION numbers it. It differs
/// from ORTIVA_VERSION when a program runs with a newer shared library than it was built with.
ORTIVA_API int version();
/// The run-time library's version as text, "MAJOR.MINOR.PATCH".
ORTIVA_API const char* version_string();

}  // namespace ortiva
