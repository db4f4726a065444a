#include "ortiva/recordset.hpp"

#include <cmath>

#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data_driver.hpp"

namespace ortiva {

namespace {
constexpr const char* source = "Ortiva.Recordset";
constexpr int32_t operation_not_allowed = 3219;
}  // namespace

Recordset::Recordset() = default;

Recordset::~Recordset() {
    release();
}

void Recordset::attach(std::unique_ptr<detail::CursorDriver> cursor,
                       std::shared_ptr<Connection> connection) {
    connection->attach(this);
    cursor_ = std::move(cursor);
    connection_ = std::move(connection);
    // A cursor's columns are fixed while it is open.
    field_count_ = cursor_->field_count();
    upper_names_.clear();
}

void Recordset::release() noexcept {
    if (!cursor_) return;
    auto cursor = std::move(cursor_);
    auto connection = std::move(connection_);
    connection->detach(this);
    try {
        cursor->close();
    } catch (...) {
        // Released without Close: pending changes are dropped, nothing is thrown.
    }
}

std::shared_ptr<Recordset> Recordset::adopt(std::unique_ptr<detail::CursorDriver> cursor,
                                            std::shared_ptr<Connection> connection) {
    auto rs = std::make_shared<Recordset>();
    rs->attach(std::move(cursor), std::move(connection));
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
    if (cursor_type == -1) cursor_type = adOpenForwardOnly;
    if (lock_type == -1) lock_type = adLockReadOnly;
    if (cursor_type < adOpenForwardOnly || cursor_type > adOpenStatic ||
        lock_type < adLockReadOnly || lock_type > adLockBatchOptimistic) {
        raise(err::ado_wrong_arguments, source);
    }
    if (!active_connection) raise(err::ado_connection_unusable, source);
    auto cursor =
        active_connection->driver().open_cursor(src, cursor_type, lock_type, cursor_location_);
    if (cursor) attach(std::move(cursor), active_connection);
}

bool Recordset::Eof() const {
    return cursor().eof();
}

int32_t Recordset::RecordCount() const {
    return cursor().record_count();
}

void Recordset::MoveFirst() {
    auto& c = cursor();
    c.move_first();
    if (c.eof()) raise(err::ado_bof_eof, source);
}

void Recordset::MoveNext() {
    auto& c = cursor();
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    c.move_next();
}

Fields& Recordset::Fields() {
    cursor();
    return fields_;
}

void Recordset::AddNew() {
    cursor().add_new();
}
void Recordset::Update() {
    cursor().update();
}

void Recordset::UpdateBatch(int32_t affect_records) {
    auto& c = cursor();
    if (affect_records < adAffectCurrent || affect_records > adAffectAll) {
        raise(err::ado_wrong_arguments, source);
    }
    c.update_batch(affect_records);
}

void Recordset::Close() {
    auto& c = cursor();
    // Closing would lose the row silently; the caller writes it or releases the recordset.
    if (c.has_pending_changes()) {
        raise(operation_not_allowed, source, "Operation is not allowed in this context.");
    }
    auto cursor = std::move(cursor_);
    auto connection = std::move(connection_);
    connection->detach(this);
    cursor->close();
}

int32_t Recordset::State() const {
    return cursor_ ? adStateOpen : adStateClosed;
}

int32_t Recordset::find(const std::string& name) const {
    const auto& c = cursor();
    const int32_t n = field_count_;
    if (upper_names_.size() != static_cast<std::size_t>(n)) {
        upper_names_.clear();
        for (int32_t i = 0; i < n; ++i)
            upper_names_.push_back(text::upper(c.field_name(i)));
    }
    const std::string wanted = text::upper(name);
    for (int32_t i = 0; i < n; ++i) {
        if (upper_names_[i] == wanted) return i;
    }
    return -1;
}

// ---- Fields and Field ----

int32_t Fields::Count() const {
    owner_->cursor();
    return owner_->field_count_;
}

Field Fields::Item(int32_t position) const {
    if (position < 0 || position >= Count()) raise(err::ado_item_not_found, source);
    return Field(owner_, position);
}

Field Fields::Item(const std::string& name) const {
    const int32_t index = owner_->find(name);
    if (index < 0) raise(err::ado_item_not_found, source);
    return Field(owner_, index);
}

Field Fields::Item(const Variant& key) const {
    switch (key.kind()) {
        case VariantKind::Integer:
            return Item(int32_t{key.integer()});
        case VariantKind::Long:
            return Item(key.long_value());
        case VariantKind::Single:
        case VariantKind::Double: {
            const double d = key.kind() == VariantKind::Single ? key.single() : key.dbl();
            if (std::trunc(d) != d || std::fabs(d) > 2147483647.0) break;
            return Item(static_cast<int32_t>(d));
        }
        case VariantKind::String:
            return Item(key.str());
        default:
            break;
    }
    raise(err::ado_item_not_found, source);
}

std::string Field::Name() const {
    const auto& c = owner_->cursor();
    if (index_ >= owner_->field_count_) raise(err::ado_item_not_found, source);
    return c.field_name(index_);
}

Variant Field::Value() const {
    const auto& c = owner_->cursor();
    // A handle kept across a reopen may point past the new result's columns.
    if (index_ >= owner_->field_count_) raise(err::ado_item_not_found, source);
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    return c.value(index_);
}

void Field::Value(const Variant& v) {
    auto& c = owner_->cursor();
    if (index_ >= owner_->field_count_) raise(err::ado_item_not_found, source);
    if (c.eof() && !c.adding()) raise(err::ado_bof_eof, source);
    c.set_value(index_, v);
}

}  // namespace ortiva
