#include "seams/data/core/cursors.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::detail {

void refuse(std::string_view source, int32_t number, std::string description,
            std::string_view statement) {
    ErrorInfo e(number, std::string(source), std::move(description));
    if (!statement.empty()) e.with_statement(std::string(statement));
    throw e;
}

void refuse_update(std::string_view source) {
    raise(data_code::not_updatable, std::string(source),
          "Current Recordset does not support updating. This may be a limitation of the "
          "provider, or of the selected locktype.");
}

bool stores_as_null(const Variant& v, std::string_view source) {
    switch (v.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return true;
        case VariantKind::Object:
        case VariantKind::Error:
        case VariantKind::Array:
            raise(data_code::wrong_type, std::string(source),
                  "Application uses a value of the wrong type for the current operation.");
        default:
            return false;
    }
}

Variant storable_date(const Variant& v) {
    if (v.is_number()) return Variant(to_date(v));
    if (v.is_string()) {
        Date d;
        if (Date::try_parse(v.str(), d)) return Variant(d);
    }
    return v;
}

Variant storable_bool(const Variant& v) {
    if (v.is_number()) return Variant(to_double(v) != 0.0);
    if (v.is_string()) {
        try {
            return Variant(to_bool(v));
        } catch (const ErrorInfo&) {
            // Text that is no truth value is kept as it was written.
        }
    }
    return v;
}

namespace {

// n zero-padded to width characters, a minus sign included.
void put_padded(std::string& out, int n, int width) {
    if (n < 0) {
        out.push_back('-');
        --width;
    }
    char buf[16];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::abs(n)).ptr;
    for (auto len = end - buf; len < width; ++len)
        out.push_back('0');
    out.append(buf, end);
}

}  // namespace

std::string iso_text(Date d) {
    const auto f = d.fields();
    std::string out;
    out.reserve(19);
    put_padded(out, f.year, 4);
    out.push_back('-');
    put_padded(out, f.month, 2);
    out.push_back('-');
    put_padded(out, f.day, 2);
    out.push_back(' ');
    put_padded(out, f.hour, 2);
    out.push_back(':');
    put_padded(out, f.minute, 2);
    out.push_back(':');
    put_padded(out, f.second, 2);
    return out;
}

void StaticRows::append(Variant v) {
    Cell cell{};
    const auto put = [&cell](const auto& value) {
        static_assert(sizeof value <= inline_text);
        std::memcpy(cell.bytes, &value, sizeof value);
    };
    switch (v.kind()) {
        case VariantKind::Empty:
            cell.tag = Tag::empty;
            break;
        case VariantKind::Null:
            cell.tag = Tag::null;
            break;
        case VariantKind::Integer:
            cell.tag = Tag::integer;
            put(v.integer());
            break;
        case VariantKind::Long:
            cell.tag = Tag::long_value;
            put(v.long_value());
            break;
        case VariantKind::Single:
            cell.tag = Tag::single;
            put(v.single());
            break;
        case VariantKind::Double:
            cell.tag = Tag::dbl;
            put(v.dbl());
            break;
        case VariantKind::Date:
            cell.tag = Tag::date;
            put(v.date().serial);
            break;
        case VariantKind::Boolean:
            cell.tag = Tag::boolean;
            put(v.boolean());
            break;
        case VariantKind::String:
            if (v.str().size() <= inline_text) {
                cell.tag = Tag::text;
                cell.size = static_cast<unsigned char>(v.str().size());
                std::memcpy(cell.bytes, v.str().data(), v.str().size());
                break;
            }
            [[fallthrough]];
        default:
            // Longer texts keep the storage they were read into.
            cell.tag = Tag::boxed;
            put(boxed_.size());
            boxed_.push_back(std::move(v));
            break;
    }
    cells_.push_back(cell);
}

namespace {

template <class T>
T take(const char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

void StaticRows::copy(std::size_t i, Variant& out) const {
    const Cell& cell = cells_[i];
    switch (cell.tag) {
        case Tag::empty:
            out = Variant();
            break;
        case Tag::null:
            out = Variant::null();
            break;
        case Tag::integer:
            out = Variant(take<int16_t>(cell.bytes));
            break;
        case Tag::long_value:
            out = Variant(take<int32_t>(cell.bytes));
            break;
        case Tag::single:
            out = Variant(take<float>(cell.bytes));
            break;
        case Tag::dbl:
            out = Variant(take<double>(cell.bytes));
            break;
        case Tag::date:
            out = Variant(Date(take<double>(cell.bytes)));
            break;
        case Tag::boolean:
            out = Variant(take<bool>(cell.bytes));
            break;
        case Tag::text:
            out = Variant(std::string_view(cell.bytes, cell.size));
            break;
        case Tag::boxed:
            out = boxed_[take<std::size_t>(cell.bytes)];
            break;
    }
}

Variant StaticRows::at(std::size_t i) const {
    Variant v;
    copy(i, v);
    return v;
}

void StaticRows::clear() {
    cells_.clear();
    boxed_.clear();
}

namespace {

class StaticCursor final : public CursorDriver {
  public:
    StaticCursor(std::string_view source, std::vector<std::string> names, StaticRows values,
                 std::size_t rows)
        : source_(source),
          names_(std::move(names)),
          values_(std::move(values)),
          width_(names_.size()),
          rows_(rows) {}

    bool eof() const override { return position_ >= rows_; }
    int32_t record_count() const override { return static_cast<int32_t>(rows_); }
    void move_first() override { position_ = 0; }
    void move_next() override { ++position_; }

    int32_t field_count() const override { return static_cast<int32_t>(width_); }
    std::string field_name(int32_t index) const override { return names_[index]; }
    Variant value(int32_t index) const override { return values_.at(cell(index)); }
    bool copy_current(int32_t index, Variant& out) const override {
        if (position_ >= rows_) return false;
        values_.copy(cell(index), out);
        return true;
    }

    void set_value(int32_t, const Variant&) override { refuse_update(source_); }
    void add_new() override { refuse_update(source_); }
    void update() override { refuse_update(source_); }
    void update_batch(int32_t) override { refuse_update(source_); }
    bool adding() const override { return false; }
    void close() override {
        values_.clear();
        rows_ = 0;
    }

  private:
    std::size_t cell(int32_t index) const {
        return position_ * width_ + static_cast<std::size_t>(index);
    }

    std::string source_;
    std::vector<std::string> names_;
    StaticRows values_;
    std::size_t width_;
    std::size_t rows_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<CursorDriver> make_static_cursor(std::string_view source,
                                                 std::vector<std::string> names, StaticRows values,
                                                 std::size_t rows) {
    return std::make_unique<StaticCursor>(source, std::move(names), std::move(values), rows);
}

}  // namespace ortiva::detail
