#include "controls/memory/form.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva::memory {

using detail::Access;

/// The "Controls" collection of a form. It refers to the form without owning it: a collection
/// kept after its form is gone fails with 35605.
class FormControls : public Dispatched {
  public:
    explicit FormControls(Form* form) : form_(form) {}
    std::string type_name() const override { return "Controls"; }
    void detach() { form_ = nullptr; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override {
        if (!form_) detail::removed();
        if (member.empty() || detail::same_name(member, "Item")) {
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 1, 1);
            return form_->item(args[0]);
        }
        if (detail::same_name(member, "Count")) {
            detail::read_only_property(access, args);
            return Variant(static_cast<int32_t>(form_->controls_.size()));
        }
        detail::no_member();
    }

  private:
    Form* form_;
};

namespace {

enum class M { none, Controls, Count, Caption, ActiveControl, Show, Hide };
constexpr detail::Member<M> members[] = {
    {"", M::Controls},       {"Controls", M::Controls},           {"Count", M::Count},
    {"Caption", M::Caption}, {"ActiveControl", M::ActiveControl}, {"Show", M::Show},
    {"Hide", M::Hide},
};

}  // namespace

Form::Form(std::string name)
    : Control("Form", std::move(name), true), collection_(std::make_shared<FormControls>(this)) {}

Form::~Form() {
    collection_->detach();
}

void Form::add(const std::shared_ptr<Control>& control) {
    if (!control || control.get() == this) raise(err::invalid_call);
    if (control->form()) {
        raise(err::invalid_call, {}, "Control " + control->name() + " already sits on a form");
    }
    for (const auto& existing : controls_) {
        if (!control->name().empty() && detail::same_name(existing->name(), control->name()))
            raise(err::invalid_call, {}, "A control named " + control->name() + " exists");
    }
    controls_.push_back(control);
    control->set_form(std::static_pointer_cast<Form>(shared_from_this()));
}

Variant Form::item(const Variant& index) const {
    if (index.is_string()) {
        for (const auto& c : controls_) {
            if (detail::same_name(c->name(), index.str())) return detail::object_variant(c);
        }
        raise(730, {}, "Control '" + index.str() + "' not found");
    }
    const int32_t i = detail::int_value(index);
    if (i < 0 || i >= static_cast<int32_t>(controls_.size())) raise(err::subscript);
    return detail::object_variant(controls_[static_cast<std::size_t>(i)]);
}

Variant Form::dispatch(Access access, std::string_view member, const Args& args,
                       const Variant* value) {
    const M id = detail::find_member(members, member, M::none);
    switch (id) {
        case M::Controls:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(collection_);
            return item(args[0]);
        case M::Count:
            detail::read_only_property(access, args);
            return Variant(static_cast<int32_t>(controls_.size()));
        case M::Caption:
            detail::plain_property(args);
            if (access == Access::let) {
                caption_ = detail::text_value(*value);
                return {};
            }
            return Variant(caption_);
        case M::ActiveControl: {
            detail::read_only_property(access, args);
            auto active = active_.lock();
            return active ? detail::object_variant(std::move(active)) : detail::nothing();
        }
        case M::Show:
        case M::Hide: {
            detail::method(access);
            detail::expect_args(args, 0, 1);
            const Variant shown(id == M::Show);
            dispatch_common(Access::let, "Visible", {}, &shown);
            return {};
        }
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
