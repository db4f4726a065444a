#include "controls/memory/list_box.hpp"

#include "ortiva/text.hpp"

namespace ortiva::memory {

using detail::Access;

std::string ListBox::text() const {
    const int32_t i = list_index();
    return i < 0 ? std::string() : entries()[static_cast<std::size_t>(i)].text;
}

Variant ListBox::dispatch(Access access, const detail::MemberRef& member, const Args& args,
                          const Variant* value) {
    if (controls::is_text_member(member)) {
        detail::plain_property(args);
        if (access != Access::let) return Variant(text());
        const std::string wanted = text::upper(detail::text_value(*value));
        const auto& all = entries();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (text::upper(all[i].text) == wanted) {
                select(static_cast<int32_t>(i));
                break;
            }
        }
        return {};
    }
    return dispatch_list(access, member, args, value);
}

}  // namespace ortiva::memory
