#pragma once

// The simple controls: a check box with its three-state value, and the label and frame, which
// hold only a caption.

#include <cstdint>
#include <string>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// "CheckBox": "Value" 0 (unchecked), 1 (checked) or 2 (grayed), any other value fails with
/// 380; "Value" is the default property. "Caption" is its text.
class CheckBox : public Control {
  public:
    explicit CheckBox(std::string name) : Control("CheckBox", std::move(name), true) {}

    int32_t value() const { return value_; }
    const std::string& caption() const { return caption_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    std::string caption_;
    int32_t value_ = 0;
};

/// "Label" (no window, cannot take the focus) and "Frame": "Caption", the default property.
class CaptionControl : public Control {
  public:
    CaptionControl(std::string type, std::string name, bool windowed)
        : Control(std::move(type), std::move(name), windowed) {}

    const std::string& caption() const { return caption_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    std::string caption_;
};

}  // namespace ortiva::memory
