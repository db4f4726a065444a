#include "controls/memory/control.hpp"

#include <atomic>

#include "controls/memory/form.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

// Window handles are only compared, never dereferenced: any unique number serves.
int32_t next_handle() {
    static std::atomic<int32_t> counter{0x1000};
    return counter.fetch_add(4);
}

// One control of the process holds the keyboard focus, as on a screen.
std::weak_ptr<HostObject>& focused() {
    static std::weak_ptr<HostObject> control;
    return control;
}

enum class M { none, Name, Enabled, Visible, Tag, hwnd, SetFocus };
constexpr detail::Member<M> members[] = {
    {"Name", M::Name}, {"Enabled", M::Enabled}, {"Visible", M::Visible},
    {"Tag", M::Tag},   {"hwnd", M::hwnd},       {"SetFocus", M::SetFocus},
};

}  // namespace

Control::Control(std::string type, std::string name, bool windowed)
    : type_(std::move(type)),
      name_(std::move(name)),
      hwnd_(windowed ? next_handle() : 0),
      windowed_(windowed) {}

std::shared_ptr<Form> Control::form() const {
    return form_.lock();
}

void Control::set_form(const std::shared_ptr<Form>& form) {
    form_ = form;
}

bool Control::has_focus() const {
    return focused().lock().get() == this;
}

bool Control::reachable() const {
    if (!enabled_ || !visible_) return false;
    const auto owner = form();
    return !owner || owner.get() == this || owner->reachable();
}

void Control::set_focus() {
    if (!windowed_) detail::no_member();
    if (!reachable()) raise(err::invalid_call);
    focused() = weak_from_this();
    if (const auto owner = form()) owner->set_active(weak_from_this());
}

Variant Control::dispatch_common(Access access, std::string_view member, const Args& args,
                                 const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::Name:
            detail::read_only_property(access, args);
            return Variant(name_);
        case M::Enabled:
            detail::plain_property(args);
            if (access == Access::let) {
                enabled_ = detail::bool_value(*value);
                return {};
            }
            return Variant(enabled_);
        case M::Visible:
            detail::plain_property(args);
            if (access == Access::let) {
                visible_ = detail::bool_value(*value);
                return {};
            }
            return Variant(visible_);
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                tag_ = detail::text_value(*value);
                return {};
            }
            return Variant(tag_);
        case M::hwnd:
            if (!windowed_) detail::no_member();
            detail::read_only_property(access, args);
            return Variant(hwnd_);
        case M::SetFocus:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            set_focus();
            return {};
        case M::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
