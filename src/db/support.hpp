#pragma once

// Failure handling shared by the operations of ClsCommonDb.

#include <string>

#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"

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

/// Reads field `position` of rs's current row into out, which keeps its own storage where it
/// can (text into text makes no allocation), and returns out. A value the cursor holds is
/// copied, not referred to: the caller hands it to host code, which may close the recordset.
/// Fails as Field::Value does.
inline const Variant& read_current(const Recordset& rs, const Field& field, int32_t position,
                                   Variant& out) {
    if (!rs.cursor().copy_current(position, out)) out = field.Value();
    return out;
}

/// Whether a field name is the trailing row-GUID column that writes leave alone.
inline bool is_rowguid(const std::string& name) {
    return text::upper(name) == "ROWGUID";
}

}  // namespace ortiva::db
