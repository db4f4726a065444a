#pragma once

// The members of an edit area ("Text" and the default property, "SelStart", "SelLength",
// "SelText"), shared by text boxes and combo boxes.

#include <string_view>

#include "controls/memory/edit_text.hpp"
#include "controls/memory/members.hpp"

namespace ortiva::memory::detail {

/// Handles the member when it belongs to an edit area and returns true.
bool dispatch_edit(EditText& edit, Access access, std::string_view member, const Args& args,
                   const Variant* value, Variant& result);

}  // namespace ortiva::memory::detail
