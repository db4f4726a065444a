#include "controls/common/caption_controls.hpp"

#include "controls/common/args.hpp"

namespace ortiva::controls {

namespace {

enum class K { none, Caption, Value };
constexpr Member<K> caption_members[] = {{"", K::Caption}, {"Caption", K::Caption}};
constexpr Member<K> check_members[] = {
    {"", K::Value}, {"Value", K::Value}, {"Caption", K::Caption}};

Variant caption_property(Captioned& control, Access access, const Args& args,
                         const Variant* value) {
    return property(
        access, args, value, [&] { return control.caption(); },
        [&](const Variant& v) { control.set_caption(text_value(v)); });
}

}  // namespace

Variant Captioned::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                 const Args& args, const Variant* value) {
    self.check_alive();
    if (find_member<caption_members>(member) == K::none)
        return self.dispatch_common(access, member, args, value);
    return caption_property(*this, access, args, value);
}

Variant Checkable::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                 const Args& args, const Variant* value) {
    self.check_alive();
    const K id = find_member<check_members>(member);
    if (id == K::Caption) return caption_property(*this, access, args, value);
    if (id == K::none) return self.dispatch_common(access, member, args, value);
    plain_property(args);
    if (access != Access::let) return Variant(static_cast<int16_t>(check_value()));
    const int32_t v = int_value(*value);
    if (v < 0 || v > 2) invalid_value();
    set_check_value(v);
    return Variant();
}

}  // namespace ortiva::controls
