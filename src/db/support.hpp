#pragma once

// Failure handling shared by the operations of ClsCommonDb.

#include <string>

#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva::db {

/// Runs body and raises any failure again as ErrorInfo with the connection hint (3709 only).
template <typename F>
decltype(auto) with_hint(F&& body) {
    try {
        return body();
    } catch (...) {
        raise_with_hint(current_error());
    }
}

/// Runs body and raises any failure again as ErrorInfo, its five values unchanged.
template <typename F>
decltype(auto) unchanged(F&& body) {
    try {
        return body();
    } catch (...) {
        throw current_error();
    }
}

/// Whether a field name is the trailing row-GUID column that writes leave alone.
inline bool is_rowguid(const std::string& name) {
    return text::upper(name) == "ROWGUID";
}

}  // namespace ortiva::db
