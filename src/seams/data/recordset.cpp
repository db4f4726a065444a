#include "ortiva/recordset.hpp"

#include <cmath>

#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"

namespace ortiva {

namespace {
constexpr const char* source = "Ortiva.Recordset";
}

Recordset::Recordset() = default;

Recordset::~Recordset() {
    if (!cursor_) return;
    try {
        cursor_->close();
    } catch (...) {
        // Released without Close: pending changes are dropped, nothing is thrown.
    }
}

std::shared_ptr<Recordset> Recordset::adopt(std::unique_ptr<detail::CursorDriver> cursor,
                                            std::shared_ptr<Connection> connection) {
    auto rs = std::make_shared<Recordset>();
    rs->cursor_ = std::move(cursor);
    rs->connection_ = std::move(connection);
    return rs;
}

detail::CursorDriver& Recordset::cursor() const {
    if (!cursor_) raise(err::ado_object_closed, source);
    return *cursor_;
}

void Recordset::CursorLocation(int32_t location) {
    if (cursor_) raise(err::ado_object_open, source);
    if (location != adUseServer && location != adUseClient) raise(err::ado_wrong_arguments, source);
    cursor_location_ = location;
}

void Recordset::Open(const std::string& src, const std::shared_ptr<Connection>& active_connection,
                     int32_t cursor_type, int32_t lock_type, int32_t /*options*/) {
    if (cursor_) raise(err::ado_object_open, source);
    if (!active_connection) raise(err::ado_connection_unusable, source);
    cursor_ = active_connection->driver().open_cursor(src, cursor_type, lock_type,
                                                      cursor_location_);
    connection_ = active_connection;
}

bool Recordset::Eof() const { return cursor().eof(); }

int32_t Recordset::RecordCount() const { return cursor().record_count(); }

void Recordset::MoveFirst() { cursor().move_first(); }

void Recordset::MoveNext() {
    auto& c = cursor();
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    c.move_next();
}

Fields& Recordset::Fields() {
    cursor();
    return fields_;
}

void Recordset::AddNew() { cursor().add_new(); }
void Recordset::Update() { cursor().update(); }
void Recordset::UpdateBatch(int32_t affect_records) { cursor().update_batch(affect_records); }

void Recordset::Close() {
    auto cursor = std::move(cursor_);
    if (!cursor) raise(err::ado_object_closed, source);
    connection_.reset();
    cursor->close();
}

int32_t Recordset::State() const { return cursor_ ? adStateOpen : adStateClosed; }

// ---- Fields and Field ----

int32_t Fields::Count() const { return owner_->cursor().field_count(); }

Field Fields::Item(int32_t position) const {
    if (position < 0 || position >= Count()) raise(err::ado_item_not_found, source);
    return Field(owner_, position);
}

Field Fields::Item(const std::string& name) const {
    const auto& c = owner_->cursor();
    const std::string wanted = text::upper(name);
    for (int32_t i = 0, n = c.field_count(); i < n; ++i) {
        if (text::upper(c.field_name(i)) == wanted) return Field(owner_, i);
    }
    raise(err::ado_item_not_found, source);
}

Field Fields::Item(const Variant& key) const {
    switch (key.kind()) {
        case VariantKind::Integer: return Item(int32_t{key.integer()});
        case VariantKind::Long: return Item(key.long_value());
        case VariantKind::Single:
        case VariantKind::Double: {
            const double d = key.kind() == VariantKind::Single ? key.single() : key.dbl();
            if (std::trunc(d) != d || std::fabs(d) > 2147483647.0) break;
            return Item(static_cast<int32_t>(d));
        }
        case VariantKind::String: return Item(key.str());
        default: break;
    }
    raise(err::ado_item_not_found, source);
}

std::string Field::Name() const { return owner_->cursor().field_name(index_); }

Variant Field::Value() const {
    const auto& c = owner_->cursor();
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    return c.value(index_);
}

void Field::Value(const Variant& v) {
    auto& c = owner_->cursor();
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    c.set_value(index_, v);
}

}  // namespace ortiva
