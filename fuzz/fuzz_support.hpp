#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ortiva/error_info.hpp"

// A property that does not hold is a finding: say which and abort, so that libFuzzer keeps
// the input as a crash artifact.
#define FUZZ_CHECK(cond, what)                                                \
    do {                                                                      \
        if (!(cond)) ::ortiva::fuzz::fail(#cond, (what), __FILE__, __LINE__); \
    } while (0)

namespace ortiva::fuzz {

[[noreturn]] inline void fail(const char* cond, const std::string& what, const char* file,
                              int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n  %s\n", file, line, cond, what.c_str());
    std::abort();
}

// Errors the library documents are answers, not findings; anything else escapes and
// libFuzzer reports it as an uncaught exception.
template <typename F>
bool refused(F&& f, int32_t* number = nullptr) {
    try {
        f();
        return false;
    } catch (const ErrorInfo& e) {
        if (number) *number = e.number();
        return true;
    }
}

}  // namespace ortiva::fuzz
