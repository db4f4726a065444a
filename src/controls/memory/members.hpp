#pragma once

// The in-memory controls' member dispatch: the shared helpers and text arguments.

#include "controls/common/args.hpp"
#include "seams/common/member_dispatch.hpp"

namespace ortiva::memory::detail {

using namespace ortiva::member_dispatch;
using controls::text_value;

}  // namespace ortiva::memory::detail
