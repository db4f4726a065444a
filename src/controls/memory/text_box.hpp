#pragma once

#include "controls/memory/control.hpp"
#include "controls/memory/edit_text.hpp"
#include "controls/memory/key_target.hpp"

namespace ortiva::memory {

/// "TextBox": a single-line edit area; "Text" is its default property.
class TextBox : public Control, public KeyTarget {
  public:
    explicit TextBox(std::string name) : Control("TextBox", std::move(name), true) {}

    EditText& key_text() override { return edit_; }
    const EditText& edit() const { return edit_; }

  protected:
    Variant dispatch(controls::Access access, const controls::MemberRef& member, const Args& args,
                     const Variant* value) override {
        if (auto result = controls::dispatch_edit(edit_, access, member, args, value))
            return std::move(*result);
        return dispatch_common(access, member, args, value);
    }

  private:
    EditText edit_;
};

}  // namespace ortiva::memory
