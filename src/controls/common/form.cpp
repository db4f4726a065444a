#include "controls/common/form.hpp"

#include "controls/common/collection.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva::controls {

namespace {

enum class M { none, Controls, Count, Caption, ActiveControl, Show, Hide };
constexpr Member<M> members[] = {
    {"", M::Controls},       {"Controls", M::Controls},           {"Count", M::Count},
    {"Caption", M::Caption}, {"ActiveControl", M::ActiveControl}, {"Show", M::Show},
    {"Hide", M::Hide},
};

class FormControls : public Collection {
  public:
    FormControls(Control& control, FormCore* form) : Collection(control), form_(form) {}
    std::string type_name() const override { return "Controls"; }

  protected:
    Variant item(const Variant& index) override { return form_->item(index); }
    int32_t count() override { return form_->control_count(); }

  private:
    FormCore* form_;
};

}  // namespace

Variant FormCore::item(const Variant& index) const {
    if (index.is_string()) {
        if (auto found = control_named(index.str())) return object_variant(std::move(found));
        raise(err::control_not_found, {}, "Control '" + index.str() + "' not found");
    }
    const int32_t i = int_value(index);
    if (i < 0 || i >= control_count()) raise(err::subscript);
    return object_variant(control_at(i));
}

Variant FormCore::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                const Args& args, const Variant* value) {
    self.check_alive();
    const M id = find_member<members>(member);
    switch (id) {
        case M::Controls:
            if (!collection_) collection_ = std::make_shared<FormControls>(self, this);
            return collection_->hand_out(access, args);
        case M::Count:
            read_only_property(access, args);
            return Variant(control_count());
        case M::Caption:
            return Captioned::dispatch_kind(self, access, member, args, value);
        case M::ActiveControl:
            read_only_property(access, args);
            return object_variant(active_control());
        case M::Show:
        case M::Hide:
            method(access);
            expect_args(args, 0, 1);
            show_form(id == M::Show);
            return Variant();
        case M::none:
            break;
    }
    return self.dispatch_common(access, member, args, value);
}

}  // namespace ortiva::controls
