#pragma once

// The simple controls: a check box and the label and frame, which hold only a caption; their
// members are the shared ones.

#include <cstdint>
#include <string>

#include "controls/common/caption_controls.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// "CheckBox": "Value" 0, 1 or 2, the default property, and "Caption".
class CheckBox : public controls::KindControl<Control, controls::Checkable> {
  public:
    explicit CheckBox(std::string name) : KindControl("CheckBox", std::move(name), true) {}

    int32_t check_value() const override { return value_; }
    void set_check_value(int32_t v) override { value_ = v; }
    std::string caption() const override { return caption_; }
    void set_caption(const std::string& text) override { caption_ = text; }

  private:
    std::string caption_;
    int32_t value_ = 0;
};

/// "Label" (no window, cannot take the focus) and "Frame": "Caption", the default property.
class CaptionControl : public controls::KindControl<Control, controls::Captioned> {
  public:
    CaptionControl(std::string type, std::string name, bool windowed)
        : KindControl(std::move(type), std::move(name), windowed) {}

    std::string caption() const override { return caption_; }
    void set_caption(const std::string& text) override { caption_ = text; }

  private:
    std::string caption_;
};

}  // namespace ortiva::memory
