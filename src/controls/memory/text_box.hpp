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
    Variant dispatch(detail::Access access, const detail::MemberRef& member, const Args& args,
                     const Variant* value) override;

  private:
    EditText edit_;
};

}  // namespace ortiva::memory
