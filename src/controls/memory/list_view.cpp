#include "controls/memory/list_view.hpp"

namespace ortiva::memory {

controls::ListViewCore* ListItem::holder() const {
    return owner_;
}

std::string ListItem::cell(int32_t c) const {
    // A sub-item object may outlive its column.
    return static_cast<std::size_t>(c) < owner_->stride_ ? owner_->cell(*this, c) : std::string();
}

void ListItem::set_cell(int32_t c, std::string text) {
    owner_->cell(*this, c) = std::move(text);
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
    const std::size_t first = static_cast<std::size_t>(at) * stride_;
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(first), stride_, std::string());
    cells_[first] = std::move(text);
    rows_.insert(rows_.begin() + at, row);
    renumber_rows(static_cast<std::size_t>(at));
    return row;
}

void ListView::erase_row(controls::ListRow& row) {
    auto& gone = static_cast<ListItem&>(row);
    const auto at = static_cast<std::size_t>(gone.index_ - 1);
    if (selected_ == &gone) selected_ = nullptr;
    gone.owner_ = nullptr;
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(at * stride_);
    cells_.erase(first, first + static_cast<std::ptrdiff_t>(stride_));
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    renumber_rows(at);
}

void ListView::erase_rows() {
    for (const auto& r : rows_)
        r->owner_ = nullptr;
    rows_.clear();
    cells_.clear();
    selected_ = nullptr;
}

std::shared_ptr<controls::ListRow> ListView::selected_row() {
    if (!selected_) return nullptr;
    return rows_[static_cast<std::size_t>(selected_->index_ - 1)];
}

void ListView::insert_header(int32_t at, const std::string& text) {
    headers_.insert(headers_.begin() + at, text);
    if (headers_.size() == 1) return;  // the rows' own texts are the first column already
    // Every row gains an empty cell at the new column; the cells after it move right.
    const std::size_t old = stride_;
    std::vector<std::string> cells(rows_.size() * (old + 1));
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t c = 0; c < old; ++c)
            cells[r * (old + 1) + c + (c >= static_cast<std::size_t>(at) ? 1 : 0)] =
                std::move(cells_[r * old + c]);
    }
    cells_ = std::move(cells);
    stride_ = old + 1;
}

void ListView::erase_headers() {
    headers_.clear();
    // The sub-items go with their columns; each row keeps its own text.
    for (std::size_t r = 1; r < rows_.size(); ++r)
        cells_[r] = std::move(cells_[r * stride_]);
    cells_.resize(rows_.size());
    stride_ = 1;
}

}  // namespace ortiva::memory
