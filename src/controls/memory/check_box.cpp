#include "controls/memory/caption_controls.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

enum class M { none, Value, Caption };
constexpr detail::Member<M> members[] = {
    {"", M::Value},
    {"Value", M::Value},
    {"Caption", M::Caption},
};

}  // namespace

Variant CheckBox::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::Value:
            detail::plain_property(args);
            if (access == Access::let) {
                const int32_t v = detail::int_value(*value);
                if (v < 0 || v > 2) detail::invalid_value();
                value_ = v;
                return {};
            }
            return Variant(static_cast<int16_t>(value_));
        case M::Caption:
            detail::plain_property(args);
            if (access == Access::let) {
                caption_ = detail::text_value(*value);
                return {};
            }
            return Variant(caption_);
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
