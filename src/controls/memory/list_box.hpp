#pragma once

#include "controls/memory/list_control.hpp"

namespace ortiva::memory {

/// "ListBox": a list of entries without an edit area. "Text" is the selected entry's text;
/// setting it selects the first entry of that text (case-blind), and leaves the selection as
/// it was when there is none.
class ListBox : public ListControl {
  public:
    explicit ListBox(std::string name) : ListControl("ListBox", std::move(name), true) {}

    std::string text() const;

  protected:
    Variant dispatch(detail::Access access, const detail::MemberRef& member, const Args& args,
                     const Variant* value) override;
};

}  // namespace ortiva::memory
