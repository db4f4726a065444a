#pragma once

#include "controls/memory/control.hpp"
#include "controls/memory/edit_text.hpp"

namespace ortiva::memory {

/// A control with an edit area that takes key presses: the edit members first, then Base's.
template <typename Base>
class EditControl : public Base, public KeyTarget {
  public:
    using Base::Base;

    EditText& key_text() override { return edit_; }
    const EditText& edit() const { return edit_; }

  protected:
    Variant dispatch(controls::Access access, const controls::MemberRef& member, const Args& args,
                     const Variant* value) override {
        if (auto result = controls::dispatch_edit(edit_, access, member, args, value))
            return std::move(*result);
        return Base::dispatch(access, member, args, value);
    }

    EditText edit_;
};

/// "TextBox": a single-line edit area; "Text" is its default property.
class TextBox : public EditControl<Control> {
  public:
    explicit TextBox(std::string name) : EditControl("TextBox", std::move(name), true) {}
};

}  // namespace ortiva::memory
