# The libFuzzer build: clang, AddressSanitizer and UndefinedBehaviorSanitizer, coverage
# instrumentation on every library target, and only what the fuzz targets need.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORTIVA_FUZZ needs clang (libFuzzer); configure a fresh build directory, "
                        "e.g. build-fuzz, with CXX=clang++")
endif()
set(ORTIVA_SANITIZE fuzzer-no-link,address,undefined)
foreach(part ORTIVA_BUILD_TESTS ORTIVA_BUILD_BENCH ORTIVA_BUILD_TOOLS ORTIVA_INSTALL
             ORTIVA_WITH_ODBC ORTIVA_WITH_QT)
    set(${part} OFF)
endforeach()
