#include "controls/memory/list_view.hpp"

#include <algorithm>

namespace ortiva::memory {

controls::ListViewCore* ListItem::holder() const {
    return owner_;
}

std::string ListItem::cell(int32_t c) const {
    const auto i = static_cast<std::size_t>(c);
    return i < cells_.size() ? cells_[i] : std::string();
}

void ListItem::set_cell(int32_t c, std::string text) {
    const auto i = static_cast<std::size_t>(c);
    if (cells_.size() <= i) cells_.resize(i + 1);
    cells_[i] = std::move(text);
}

bool ListItem::selected() const {
    return owner_ && owner_->selected() == this;
}

void ListItem::set_selected(bool on) {
    if (on) {
        owner_->select(this);
    } else if (selected()) {
        owner_->select(nullptr);
    }
}

ListView::~ListView() {
    for (const auto& r : rows_)
        r->owner_ = nullptr;
}

void ListView::renumber_rows(std::size_t from) {
    for (std::size_t i = from; i < rows_.size(); ++i)
        rows_[i]->index_ = static_cast<int32_t>(i + 1);
}

std::shared_ptr<controls::ListRow> ListView::insert_row(int32_t at, std::string text) {
    auto row = std::make_shared<ListItem>(this);
    // Room for every column at once: a fill sets the sub-items right after.
    row->cells_.reserve(static_cast<std::size_t>(std::max(column_count(), 1)));
    row->cells_.push_back(std::move(text));
    rows_.insert(rows_.begin() + at, row);
    renumber_rows(static_cast<std::size_t>(at));
    return row;
}

void ListView::erase_row(controls::ListRow& row) {
    auto& gone = static_cast<ListItem&>(row);
    const auto at = static_cast<std::size_t>(gone.index_ - 1);
    if (selected_ == &gone) selected_ = nullptr;
    gone.owner_ = nullptr;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    renumber_rows(at);
}

void ListView::erase_rows() {
    for (const auto& r : rows_)
        r->owner_ = nullptr;
    rows_.clear();
    selected_ = nullptr;
}

std::shared_ptr<controls::ListRow> ListView::selected_row() {
    if (!selected_) return nullptr;
    return rows_[static_cast<std::size_t>(selected_->index_ - 1)];
}

}  // namespace ortiva::memory
