#include "controls/memory/list_control.hpp"

namespace ortiva::memory {

void ListControl::insert_entry(int32_t at, const std::string& text) {
    entries_.insert(entries_.begin() + at, Entry{text, 0});
    if (list_index_ >= at) ++list_index_;
}

void ListControl::remove_entry(int32_t at) {
    entries_.erase(entries_.begin() + at);
    // The edit text of a combo box stays when its selected entry goes.
    if (list_index_ == at) {
        list_index_ = -1;
    } else if (list_index_ > at) {
        --list_index_;
    }
}

void ListControl::clear_entries() {
    entries_.clear();
    list_index_ = -1;
    cleared();
}

}  // namespace ortiva::memory
