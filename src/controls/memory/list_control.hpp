#pragma once

// Combo boxes and list boxes: the entries with their item data in a vector, and the selected
// entry; the members are controls::ListMembers. A "ListBox" is this class as it stands.

#include <cstdint>
#include <string>
#include <vector>

#include "controls/common/list_control.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

class ListControl : public controls::KindControl<Control, controls::ListMembers> {
  public:
    struct Entry {
        std::string text;
        int32_t data = 0;
    };

    using KindControl::KindControl;

    const std::vector<Entry>& entries() const { return entries_; }
    int32_t list_index() const { return list_index_; }

  protected:
    /// Called after the selected entry changed through ListIndex or Clear.
    virtual void selection_changed() {}
    /// Called after Clear emptied the list.
    virtual void cleared() {}

  private:
    int32_t entry_count() const override { return static_cast<int32_t>(entries_.size()); }
    std::string entry_text(int32_t i) const override { return entry(i).text; }
    void set_entry_text(int32_t i, const std::string& text) override { entry(i).text = text; }
    int32_t entry_data(int32_t i) const override { return entry(i).data; }
    void set_entry_data(int32_t i, int32_t data) override { entry(i).data = data; }
    void insert_entry(int32_t at, const std::string& text) override {
        entries_.insert(entries_.begin() + at, Entry{text, 0});
        if (list_index_ >= at) ++list_index_;
    }
    void remove_entry(int32_t at) override {
        entries_.erase(entries_.begin() + at);
        // The edit text of a combo box stays when its selected entry goes.
        if (list_index_ == at) {
            list_index_ = -1;
        } else if (list_index_ > at) {
            --list_index_;
        }
    }
    void clear_entries() override {
        entries_.clear();
        list_index_ = -1;
        cleared();
    }
    int32_t selected_entry() const override { return list_index_; }
    void select_entry(int32_t i) override {
        list_index_ = i;
        selection_changed();
    }
    Entry& entry(int32_t i) { return entries_[static_cast<std::size_t>(i)]; }
    const Entry& entry(int32_t i) const { return entries_[static_cast<std::size_t>(i)]; }

    std::vector<Entry> entries_;
    int32_t list_index_ = -1;
};

}  // namespace ortiva::memory
