#pragma once

// The simple controls: a check box and the label and frame, which hold only a caption; their
// members are the shared ones.

#include <cstdint>
#include <string>

#include "controls/common/caption_controls.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// A control of a kind with a "Caption", kept as a string.
template <typename Kind>
class WithCaption : public controls::KindControl<Control, Kind> {
  public:
    using controls::KindControl<Control, Kind>::KindControl;

    std::string caption() const override { return caption_; }
    void set_caption(const std::string& text) override { caption_ = text; }

  private:
    std::string caption_;
};

/// "Label" (no window, cannot take the focus) and "Frame": "Caption", the default property.
using CaptionControl = WithCaption<controls::Captioned>;

/// "CheckBox": "Value" 0, 1 or 2, the default property, and "Caption".
class CheckBox : public WithCaption<controls::Checkable> {
  public:
    explicit CheckBox(std::string name) : WithCaption("CheckBox", std::move(name), true) {}

    int32_t check_value() const override { return value_; }
    void set_check_value(int32_t v) override { value_ = v; }

  private:
    int32_t value_ = 0;
};

}  // namespace ortiva::memory
