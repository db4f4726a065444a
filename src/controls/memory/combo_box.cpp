#include "controls/memory/combo_box.hpp"

#include "controls/common/edit_members.hpp"

namespace ortiva::memory {

Variant ComboBox::dispatch(controls::Access access, const controls::MemberRef& member,
                           const Args& args, const Variant* value) {
    if (auto result = controls::dispatch_edit(edit_, access, member, args, value))
        return std::move(*result);
    return ListControl::dispatch(access, member, args, value);
}

void ComboBox::selection_changed() {
    const int32_t i = list_index();
    edit_.set_text(i < 0 ? std::string() : entries()[static_cast<std::size_t>(i)].text);
}

}  // namespace ortiva::memory
