#include "controls/common/list_view.hpp"

#include <algorithm>

#include "controls/common/args.hpp"
#include "controls/common/collection.hpp"
#include "controls/common/limits.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::controls {

namespace {

enum class V { none, ListItems, ColumnHeaders, SelectedItem };
constexpr Member<V> view_members[] = {
    {"ListItems", V::ListItems},
    {"ColumnHeaders", V::ColumnHeaders},
    {"SelectedItem", V::SelectedItem},
};

enum class S { none, Item, Count };
constexpr Member<S> sub_items_members[] = {{"", S::Item}, {"Item", S::Item}, {"Count", S::Count}};

enum class R { none, Text, Key, Index, SubItems, ListSubItems, Selected, Tag, Width };
constexpr Member<R> row_members[] = {
    {"", R::Text},
    {"Text", R::Text},
    {"Key", R::Key},
    {"Index", R::Index},
    {"SubItems", R::SubItems},
    {"ListSubItems", R::ListSubItems},
    {"Selected", R::Selected},
    {"Tag", R::Tag},
};
constexpr Member<R> sub_item_members[] = {{"", R::Text}, {"Text", R::Text}, {"Index", R::Index}};
constexpr Member<R> header_members[] = {
    {"", R::Text}, {"Text", R::Text}, {"Key", R::Key}, {"Index", R::Index}, {"Width", R::Width},
};

// One sub-item of a row, as "ListSubItems"(c) hands it out: its text is the row's column c.
class ListSubItem : public Dispatched {
  public:
    ListSubItem(std::shared_ptr<ListRow> row, int32_t column)
        : row_(std::move(row)), column_(column) {}
    std::string type_name() const override { return "ListSubItem"; }

  protected:
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override {
        row_->view();
        const R id = find_member<sub_item_members>(member);
        if (id == R::Text) {
            return property(
                access, args, value, [&] { return row_->cell(column_); },
                [&](const Variant& v) {
                    const std::string text = text_value(v);
                    row_->check_column(column_, err::ctl_index_out_of_bounds);
                    row_->set_cell(column_, text);
                });
        }
        if (id == R::Index) {
            read_only_property(access, args);
            return Variant(column_);
        }
        no_member();
    }

  private:
    std::shared_ptr<ListRow> row_;
    int32_t column_;
};

// A row's "ListSubItems": one per column after the first, whether set or not, so that a row
// whose cells were never filled still reads as empty texts.
class ListSubItems : public Dispatched {
  public:
    explicit ListSubItems(std::shared_ptr<ListRow> row) : row_(std::move(row)) {}
    std::string type_name() const override { return "ListSubItems"; }

    static Variant item(const std::shared_ptr<ListRow>& row, const Variant& index) {
        const int32_t c = int_value(index);
        row->check_column(c, err::ctl_index_out_of_bounds);
        return object_variant(std::make_shared<ListSubItem>(row, c));
    }

  protected:
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant*) override {
        const int32_t columns = row_->view().column_count();
        const S id = find_member<sub_items_members>(member);
        if (id == S::Item) {
            if (access == Access::let) read_only();
            expect_args(args, 1, 1);
            return item(row_, args[0]);
        }
        if (id == S::Count) {
            read_only_property(access, args);
            return Variant(columns > 1 ? columns - 1 : 0);
        }
        no_member();
    }

  private:
    std::shared_ptr<ListRow> row_;
};

}  // namespace

// A column header by position. Headers added or removed before it move it, as positions do.
class ColumnHeader : public Dispatched {
  public:
    ColumnHeader(const std::weak_ptr<Control>& control, ListViewCore* view, int32_t c)
        : control_(control), view_(view), c_(c) {}
    std::string type_name() const override { return "ColumnHeader"; }

  protected:
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override {
        const auto keep = control_.lock();
        if (!keep) removed();
        keep->check_alive();
        ListViewCore& view = *view_;
        if (c_ >= view.column_count()) removed();
        ListViewCore::Column& column = view.columns_[static_cast<std::size_t>(c_)];
        switch (find_member<header_members>(member)) {
            case R::Text:
                return property(
                    access, args, value, [&] { return view.header_text(c_); },
                    [&](const Variant& v) { view.set_header_text(c_, text_value(v)); });
            case R::Key:
                read_only_property(access, args);
                return Variant(column.key);
            case R::Index:
                read_only_property(access, args);
                return Variant(c_ + 1);
            case R::Width:
                return property(
                    access, args, value, [&] { return column.width; },
                    [&](const Variant& v) {
                        const double twips = to_double(v);
                        if (twips < 0) invalid_value();
                        column.width = twips;
                        view.show_width(c_, twips);
                    });
            default:
                break;
        }
        no_member();
    }

  private:
    std::weak_ptr<Control> control_;
    ListViewCore* view_;
    int32_t c_;
};

class ColumnHeaders : public Collection {
  public:
    ColumnHeaders(Control& control, ListViewCore* view) : Collection(control), view_(view) {}
    std::string type_name() const override { return "ColumnHeaders"; }

    Variant header(int32_t c) const {
        return object_variant(std::make_shared<ColumnHeader>(control_, view_, c));
    }

  protected:
    Variant item(const Variant& index) override { return header(view_->column(index)); }
    int32_t count() override { return view_->column_count(); }
    Variant add(const Args& args) override { return header(view_->add_column(args)); }
    void clear() override { view_->clear_columns(); }

  private:
    ListViewCore* view_;
};

class ListItems : public Collection {
  public:
    ListItems(Control& control, ListViewCore* view) : Collection(control), view_(view) {}
    std::string type_name() const override { return "ListItems"; }

  protected:
    Variant item(const Variant& index) override { return object_variant(view_->row(index)); }
    int32_t count() override { return view_->row_count(); }
    Variant add(const Args& args) override { return object_variant(view_->add_row(args)); }
    void remove(const Variant& index) override { view_->remove_row(index); }
    void clear() override { view_->clear_rows(); }

  private:
    ListViewCore* view_;
};

ListViewCore& ListRow::view() const {
    ListViewCore* core = holder();
    if (!core) removed();
    return *core;
}

void ListRow::check_column(int32_t c, int32_t error) const {
    if (c < 1 || c >= view().column_count()) raise(error);
}

Variant ListRow::dispatch(Access access, const MemberRef& member, const Args& args,
                          const Variant* value) {
    ListViewCore& owner = view();
    switch (find_member<row_members>(member)) {
        case R::Text:
            return property(
                access, args, value, [&] { return cell(0); },
                [&](const Variant& v) { set_cell(0, text_value(v)); });
        case R::Key:
            return property(
                access, args, value, [&] { return key(); },
                [&](const Variant& v) {
                    std::string wanted = text_value(v);
                    // Rows a host added to the widget itself cannot carry a key.
                    if (wanted != key() && !wanted.empty() && !keyable()) invalid_value();
                    owner.keys_.rekey(*this, std::move(wanted));
                });
        case R::Index:
            read_only_property(access, args);
            return Variant(position());
        case R::SubItems: {
            expect_args(args, 1, 1);
            const int32_t c = int_value(args[0]);
            check_column(c, err::invalid_property_value);
            if (access != Access::let) return Variant(cell(c));
            set_cell(c, text_value(*value));
            return {};
        }
        case R::ListSubItems: {
            if (access == Access::let) read_only();
            expect_args(args, 0, 1);
            auto self = std::static_pointer_cast<ListRow>(shared_from_this());
            if (args.empty()) return object_variant(std::make_shared<ListSubItems>(self));
            return ListSubItems::item(self, args[0]);
        }
        case R::Selected:
            return property(
                access, args, value, [&] { return selected(); },
                [&](const Variant& v) { set_selected(bool_value(v)); });
        case R::Tag:
            return property(
                access, args, value, [&] { return tag_; },
                [&](const Variant& v) { tag_ = text_value(v); });
        default:
            break;
    }
    no_member();
}

std::shared_ptr<ListRow> ListViewCore::row(const Variant& index) {
    if (index.is_string())
        return std::static_pointer_cast<ListRow>(keys_.at(index.str()).shared_from_this());
    return row_at(position_index(index, row_count()));
}

std::shared_ptr<ListRow> ListViewCore::add_row(const Args& args) {
    expect_args(args, 0, 5);  // index, key, text, icon, small icon
    const int32_t count = row_count();
    check_room(static_cast<std::size_t>(count), max_entries);
    const int32_t at = add_position(args, 0, count);
    std::string key = key_value(arg(args, 1));
    keys_.check_free(key);
    auto added = insert_row(at, optional_text(arg(args, 2)));
    keys_.assign(*added, std::move(key));
    return added;
}

void ListViewCore::remove_row(const Variant& index) {
    const std::shared_ptr<ListRow> gone = row(index);
    const int32_t at = gone->position() - 1;
    const bool was_selected = gone->selected();
    forget(*gone);
    erase_row(*gone);
    // The selection moves to the row that took the removed one's place (or to the new last
    // row), so that "SelectedItem" still names a row while rows remain.
    const int32_t left = row_count();
    if (was_selected && left > 0) select_row(row_at(std::min(at, left - 1)).get());
}

void ListViewCore::clear_rows() {
    keys_.clear();
    erase_rows();
}

int32_t ListViewCore::add_column(const Args& args) {
    expect_args(args, 0, 6);  // index, key, text, width, alignment, icon
    const int32_t count = column_count();
    check_room(static_cast<std::size_t>(count), max_columns);
    const int32_t at = add_position(args, 0, count);
    Column info;
    info.key = given(args, 1) ? text_value(args[1]) : std::string();
    if (!info.key.empty()) {
        for (const Column& c : columns_) {
            if (c.key == info.key) raise(err::ctl_key_not_unique);
        }
    }
    const std::string text = optional_text(arg(args, 2));
    if (given(args, 3)) info.width = to_double(args[3]);
    insert_header(at, text);
    columns_.insert(columns_.begin() + at, info);
    if (given(args, 3)) show_width(at, info.width);
    return at;
}

void ListViewCore::clear_columns() {
    columns_.clear();
    erase_headers();
}

int32_t ListViewCore::column(const Variant& index) const {
    if (index.is_string()) {
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            if (!columns_[c].key.empty() && columns_[c].key == index.str())
                return static_cast<int32_t>(c);
        }
        raise(err::ctl_element_not_found);
    }
    return position_index(index, column_count());
}

Variant ListViewCore::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                    const Args& args, const Variant* value) {
    self.check_alive();
    const V id = find_member<view_members>(member);
    if (id == V::none) return self.dispatch_common(access, member, args, value);
    if (!items_) {
        items_ = std::make_shared<ListItems>(self, this);
        headers_ = std::make_shared<ColumnHeaders>(self, this);
    }
    switch (id) {
        case V::ListItems:
            return items_->hand_out(access, args);
        case V::ColumnHeaders:
            return headers_->hand_out(access, args);
        default:
            break;
    }
    plain_property(args);  // "SelectedItem"
    if (access != Access::let) return object_variant(selected_row());
    if (!value->is_object()) raise(err::type_mismatch);
    // Nothing selects no row.
    auto* r = dynamic_cast<ListRow*>(value->object().get());
    if (value->object() && (!r || r->holder() != this)) invalid_value();
    select_row(r);
    return Variant();
}

}  // namespace ortiva::controls
