#include "controls/memory/caption_controls.hpp"

namespace ortiva::memory {

Variant CaptionControl::dispatch(detail::Access access, std::string_view member, const Args& args,
                                 const Variant* value) {
    if (member.empty() || detail::same_name(member, "Caption")) {
        detail::plain_property(args);
        if (access == detail::Access::let) {
            caption_ = detail::text_value(*value);
            return {};
        }
        return Variant(caption_);
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
