#include "seams/data/core/cursors.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva::detail {

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

namespace {

class StaticCursor final : public CursorDriver {
  public:
    StaticCursor(std::string_view source, std::vector<std::string> names,
                 std::vector<std::vector<Variant>> rows)
        : source_(source), names_(std::move(names)), rows_(std::move(rows)) {}

    bool eof() const override { return position_ >= rows_.size(); }
    int32_t record_count() const override { return static_cast<int32_t>(rows_.size()); }
    void move_first() override { position_ = 0; }
    void move_next() override { ++position_; }

    int32_t field_count() const override { return static_cast<int32_t>(names_.size()); }
    std::string field_name(int32_t index) const override { return names_[index]; }
    Variant value(int32_t index) const override { return rows_[position_][index]; }

    void set_value(int32_t, const Variant&) override { refuse_update(source_); }
    void add_new() override { refuse_update(source_); }
    void update() override { refuse_update(source_); }
    void update_batch(int32_t) override { refuse_update(source_); }
    bool adding() const override { return false; }
    void close() override { rows_.clear(); }

  private:
    std::string source_;
    std::vector<std::string> names_;
    std::vector<std::vector<Variant>> rows_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<CursorDriver> make_static_cursor(std::string_view source,
                                                 std::vector<std::string> names,
                                                 std::vector<std::vector<Variant>> rows) {
    return std::make_unique<StaticCursor>(source, std::move(names), std::move(rows));
}

}  // namespace ortiva::detail
