#pragma once

// The in-memory controls' member dispatch: the shared helpers plus their text arguments.

#include <string>

#include "seams/common/member_dispatch.hpp"

namespace ortiva::memory::detail {

using namespace ortiva::member_dispatch;

/// A text value: Null fails with 94 (a String cannot hold it), objects and errors with 13.
std::string text_value(const Variant& v);
/// A text value where the missing marker means "".
std::string optional_text(const Variant& v);

}  // namespace ortiva::memory::detail
