#include "controls/common/caption_controls.hpp"

#include "controls/common/args.hpp"

namespace ortiva::controls {

using namespace member_dispatch;

namespace {

enum class K { none, Caption, Value };
constexpr Member<K> caption_members[] = {{"", K::Caption}, {"Caption", K::Caption}};
constexpr Member<K> check_members[] = {
    {"", K::Value}, {"Value", K::Value}, {"Caption", K::Caption}};

Variant caption_property(Captioned& control, Access access, const Args& args,
                         const Variant* value) {
    plain_property(args);
    if (access != Access::let) return Variant(control.caption());
    control.set_caption(text_value(*value));
    return {};
}

}  // namespace

std::optional<Variant> dispatch_caption(Captioned& control, Access access, const MemberRef& member,
                                        const Args& args, const Variant* value) {
    if (find_member<caption_members>(member) == K::none) return std::nullopt;
    return caption_property(control, access, args, value);
}

std::optional<Variant> dispatch_check_box(Checkable& control, Access access,
                                          const MemberRef& member, const Args& args,
                                          const Variant* value) {
    const K id = find_member<check_members>(member);
    if (id == K::Caption) return caption_property(control, access, args, value);
    if (id == K::none) return std::nullopt;
    plain_property(args);
    if (access != Access::let) return Variant(static_cast<int16_t>(control.check_value()));
    const int32_t v = int_value(*value);
    if (v < 0 || v > 2) invalid_value();
    control.set_check_value(v);
    return Variant();
}

}  // namespace ortiva::controls
