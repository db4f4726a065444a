#pragma once

// Controls with an edit area that take key presses: text boxes and combo boxes.

#include "controls/memory/edit_text.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::memory {

class KeyTarget {
  public:
    virtual ~KeyTarget() = default;
    virtual EditText& key_text() = 0;
    KeyPressHandler key_handler;
};

}  // namespace ortiva::memory
