#pragma once

// The member-dispatch helpers, as every control kind's dispatcher uses them.

#include "seams/common/member_dispatch.hpp"

namespace ortiva::controls {

using namespace member_dispatch;

}  // namespace ortiva::controls
