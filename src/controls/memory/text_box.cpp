#include "controls/memory/text_box.hpp"

#include "controls/common/edit_members.hpp"

namespace ortiva::memory {

Variant TextBox::dispatch(detail::Access access, const detail::MemberRef& member, const Args& args,
                          const Variant* value) {
    if (auto result = controls::dispatch_edit(edit_, access, member, args, value))
        return std::move(*result);
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
