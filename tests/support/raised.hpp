#pragma once

// What a call raised, for the tests that expect it to fail.

#include <gtest/gtest.h>

#include <cstdint>

#include "ortiva/error_info.hpp"

namespace ortiva::testing {

/// The ErrorInfo call raised; a test failure when it raised nothing.
template <typename F>
ErrorInfo raised_by(F&& call) {
    try {
        call();
    } catch (const ErrorInfo& e) {
        return e;
    }
    ADD_FAILURE() << "expected an ErrorInfo, nothing was raised";
    return {};
}

/// The number call raised, 0 when it raised nothing.
template <typename F>
int32_t error_of(F&& call) {
    try {
        call();
    } catch (const ErrorInfo& e) {
        return e.number();
    }
    return 0;
}

}  // namespace ortiva::testing
