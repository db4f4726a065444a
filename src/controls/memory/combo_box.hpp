#pragma once

#include "controls/memory/list_control.hpp"
#include "controls/memory/text_box.hpp"

namespace ortiva::memory {

/// "ComboBox": a list of entries and an edit area. Setting "Text" changes only the edit area;
/// selecting an entry ("ListIndex") shows its text there, and -1 or "Clear" empties it.
class ComboBox : public EditControl<ListControl> {
  public:
    explicit ComboBox(std::string name) : EditControl("ComboBox", std::move(name), true) {}

  protected:
    void selection_changed() override {
        const int32_t i = list_index();
        edit_.set_edit_text(i < 0 ? std::string() : entries()[static_cast<std::size_t>(i)].text);
    }
    void cleared() override { edit_.set_edit_text({}); }
};

}  // namespace ortiva::memory
