#include "controls/common/control.hpp"

#include <atomic>

#include "controls/common/args.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::controls {

namespace {

// Window handles are only compared, never used as native handles: any unique number serves.
int32_t next_handle() {
    static std::atomic<int32_t> counter{0x1000};
    return counter.fetch_add(4);
}

enum class M { none, Name, Enabled, Visible, Tag, hwnd, SetFocus };
constexpr Member<M> members[] = {
    {"Name", M::Name}, {"Enabled", M::Enabled}, {"Visible", M::Visible},
    {"Tag", M::Tag},   {"hwnd", M::hwnd},       {"SetFocus", M::SetFocus},
};

}  // namespace

Control::Control(std::string type, bool windowed)
    : type_(std::move(type)), hwnd_(windowed ? next_handle() : 0), windowed_(windowed) {}

Variant Control::dispatch_common(Access access, const MemberRef& member, const Args& args,
                                 const Variant* value) {
    check_alive();
    const bool let = access == Access::let;
    switch (find_member<members>(member)) {
        case M::Name:
            read_only_property(access, args);
            return Variant(control_name());
        case M::Enabled:
            plain_property(args);
            if (!let) return Variant(control_enabled());
            set_control_enabled(bool_value(*value));
            return {};
        case M::Visible:
            plain_property(args);
            if (!let) return Variant(control_visible());
            set_control_visible(bool_value(*value));
            return {};
        case M::Tag:
            plain_property(args);
            if (!let) return Variant(tag_);
            tag_ = text_value(*value);
            return {};
        case M::hwnd:
            if (!windowed_) no_member();
            read_only_property(access, args);
            return Variant(hwnd_);
        case M::SetFocus:
            if (!windowed_) no_member();
            method(access);
            expect_args(args, 0, 0);
            if (!reachable()) raise(err::invalid_call);
            take_focus();
            return {};
        case M::none:
            break;
    }
    no_member();
}

}  // namespace ortiva::controls
