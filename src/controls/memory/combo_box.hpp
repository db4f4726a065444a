#pragma once

#include "controls/memory/edit_text.hpp"
#include "controls/memory/key_target.hpp"
#include "controls/memory/list_control.hpp"

namespace ortiva::memory {

/// "ComboBox": a list of entries and an edit area. Setting "Text" changes only the edit area;
/// selecting an entry ("ListIndex") shows its text there, and -1 or "Clear" empties it.
class ComboBox : public ListControl, public KeyTarget {
  public:
    explicit ComboBox(std::string name) : ListControl("ComboBox", std::move(name), true) {}

    EditText& key_text() override { return edit_; }

    EditText& edit() { return edit_; }
    const EditText& edit() const { return edit_; }

  protected:
    Variant dispatch(controls::Access access, const controls::MemberRef& member, const Args& args,
                     const Variant* value) override;
    void selection_changed() override;
    void cleared() override { edit_.set_text({}); }

  private:
    EditText edit_;
};

}  // namespace ortiva::memory
