#include "controls/memory/text_box.hpp"

#include "controls/memory/edit_members.hpp"

namespace ortiva::memory {

Variant TextBox::dispatch(detail::Access access, std::string_view member, const Args& args,
                          const Variant* value) {
    Variant result;
    if (detail::dispatch_edit(edit_, access, member, args, value, result)) return result;
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
