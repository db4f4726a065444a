#include "controls/common/caption_controls.hpp"

#include "controls/common/args.hpp"

namespace ortiva::controls {

using namespace member_dispatch;

namespace {

Variant caption_property(Captioned& control, Access access, const Args& args,
                         const Variant* value) {
    plain_property(args);
    if (access != Access::let) return Variant(control.caption());
    control.set_caption(text_value(*value));
    return {};
}

}  // namespace

std::optional<Variant> dispatch_caption(Captioned& control, Access access, std::string_view member,
                                        const Args& args, const Variant* value) {
    if (!member.empty() && !same_name(member, "Caption")) return std::nullopt;
    return caption_property(control, access, args, value);
}

std::optional<Variant> dispatch_check_box(Checkable& control, Access access,
                                          std::string_view member, const Args& args,
                                          const Variant* value) {
    if (same_name(member, "Caption")) return caption_property(control, access, args, value);
    if (!member.empty() && !same_name(member, "Value")) return std::nullopt;
    plain_property(args);
    if (access != Access::let) return Variant(static_cast<int16_t>(control.check_value()));
    const int32_t v = int_value(*value);
    if (v < 0 || v > 2) invalid_value();
    control.set_check_value(v);
    return Variant();
}

}  // namespace ortiva::controls
