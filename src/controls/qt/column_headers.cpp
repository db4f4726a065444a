#include "controls/common/limits.hpp"
#include "controls/qt/list_view.hpp"
#include "ortiva/conversions.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

enum class C { none, Item, Count, Add, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item}, {"Item", C::Item}, {"Count", C::Count}, {"Add", C::Add}, {"Clear", C::Clear},
};

enum class M { none, Text, Key, Index, Width };
constexpr detail::Member<M> members[] = {
    {"", M::Text}, {"Text", M::Text}, {"Key", M::Key}, {"Index", M::Index}, {"Width", M::Width},
};

// Widths are in twips, as the classic control has them; a pixel is 15 twips at 96 dpi.
constexpr double twips_per_pixel = 15;

// A column header by position. Headers added or removed before it move it, as positions do.
class ColumnHeader : public detail::Dispatched {
  public:
    ColumnHeader(std::weak_ptr<ListView> owner, int32_t index)
        : owner_(std::move(owner)), view_(owner_.lock().get()), index_(index) {}
    std::string type_name() const override { return "ColumnHeader"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        const auto keep = owner_.lock();
        if (!keep) detail::removed();
        view_->tree();
        if (index_ >= view_->column_count()) detail::removed();
        switch (detail::find_member(members, member, M::none)) {
            case M::Text:
                detail::plain_property(args);
                if (access == Access::let) {
                    view_->set_header_text(index_, detail::qtext(*value));
                    return {};
                }
                return detail::from_q(view_->header_text(index_));
            case M::Key:
                detail::read_only_property(access, args);
                return detail::from_q(view_->column_info(index_).key);
            case M::Index:
                detail::read_only_property(access, args);
                return Variant(index_ + 1);
            case M::Width:
                detail::plain_property(args);
                if (access == Access::let) {
                    const double w = to_double(*value);
                    if (w < 0) detail::invalid_value();
                    view_->column_info(index_).width = w;
                    view_->tree().setColumnWidth(index_, static_cast<int>(w / twips_per_pixel));
                    return {};
                }
                return Variant(view_->column_info(index_).width);
            case M::none:
                break;
        }
        detail::no_member();
    }

  private:
    std::weak_ptr<ListView> owner_;
    ListView* view_;
    int32_t index_;
};

class ColumnHeaders : public detail::Dispatched {
  public:
    explicit ColumnHeaders(const std::shared_ptr<ListView>& view)
        : owner_(view), view_(view.get()) {}
    std::string type_name() const override { return "ColumnHeaders"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override {
        const auto keep = owner_.lock();
        if (!keep) detail::removed();
        view_->tree();
        switch (detail::find_member(collection_members, member, C::none)) {
            case C::Item:
                if (access == Access::let) detail::read_only();
                detail::expect_args(args, 1, 1);
                return detail::object_variant(
                    std::make_shared<ColumnHeader>(owner_, view_->column(args[0])));
            case C::Count:
                detail::read_only_property(access, args);
                return Variant(view_->column_count());
            case C::Add:
                detail::method(access);
                view_->add_column(args);
                return detail::object_variant(
                    std::make_shared<ColumnHeader>(owner_, view_->column_count() - 1));
            case C::Clear:
                detail::method(access);
                detail::expect_args(args, 0, 0);
                view_->clear_columns();
                return {};
            case C::none:
                break;
        }
        detail::no_member();
    }

  private:
    std::weak_ptr<ListView> owner_;
    ListView* view_;
};

}  // namespace

std::shared_ptr<HostObject> make_column_headers(const std::shared_ptr<ListView>& view) {
    return std::make_shared<ColumnHeaders>(view);
}

QString ListView::header_text(int32_t c) const {
    return tree().headerItem()->text(c);
}

void ListView::set_header_text(int32_t c, const QString& text) {
    tree().headerItem()->setText(c, text);
}

void ListView::add_column(const Args& args) {
    detail::expect_args(args, 0, 6);  // index, key, text, width, alignment, icon
    controls::check_room(static_cast<std::size_t>(column_count()), controls::max_columns);
    const int64_t count = column_count();
    int64_t position = count + 1;
    if (detail::given(args, 0)) {
        position = detail::int_value(args[0]);
        if (position < 1 || position > count + 1) raise(err::ctl_index_out_of_bounds);
    }
    ColumnInfo info;
    info.key = detail::given(args, 1) ? detail::qtext(args[1]) : QString();
    if (!info.key.isEmpty()) {
        for (const ColumnInfo& c : columns_) {
            if (c.key == info.key) raise(err::ctl_key_not_unique);
        }
    }
    const QString text = detail::optional_qtext(detail::arg(args, 2));
    if (detail::given(args, 3)) info.width = to_double(args[3]);

    QTreeWidget& t = tree();
    flush();
    const int at = static_cast<int>(position - 1);
    const int columns = static_cast<int>(count + 1);
    if (columns > t.columnCount()) t.setColumnCount(columns);
    // Texts after the new column move one to the right, in the header and in every row.
    auto shift = [&](QTreeWidgetItem* item) {
        for (int c = columns - 1; c > at; --c)
            item->setText(c, item->text(c - 1));
        item->setText(at, QString());
    };
    if (at < columns - 1) {
        shift(t.headerItem());
        for (int i = 0; i < t.topLevelItemCount(); ++i)
            shift(t.topLevelItem(i));
    }
    t.headerItem()->setText(at, text);
    if (detail::given(args, 3))
        t.setColumnWidth(at, static_cast<int>(info.width / twips_per_pixel));
    columns_.insert(columns_.begin() + at, info);
}

void ListView::clear_columns() {
    QTreeWidget& t = tree();
    columns_.clear();
    t.setColumnCount(1);
    t.headerItem()->setText(0, QString());
}

int32_t ListView::column(const Variant& index) const {
    if (index.is_string()) {
        const QString key = detail::to_q(index.str());
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            if (!columns_[c].key.isEmpty() && columns_[c].key == key)
                return static_cast<int32_t>(c);
        }
        raise(err::ctl_element_not_found);
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > column_count()) raise(err::ctl_index_out_of_bounds);
    return i - 1;
}

}  // namespace ortiva::qt
