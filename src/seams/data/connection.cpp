#include "ortiva/connection.hpp"

#include <algorithm>

#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "seams/data_driver.hpp"

namespace ortiva {

namespace {
constexpr const char* source = "Ortiva.Connection";
constexpr int32_t in_transaction = 3246;
constexpr const char* in_transaction_text =
    "Connection object cannot be explicitly closed while in a transaction.";
}  // namespace

std::shared_ptr<Connection> Connection::create() {
    return std::shared_ptr<Connection>(new Connection());
}

Connection::~Connection() {
    if (!driver_) return;
    try {
        driver_->close();
    } catch (...) {
        // A destructor never throws; the driver has released what it could.
    }
}

void Connection::Open(const std::string& connection_string, const std::string& user_id,
                      const std::string& password, int32_t /*options*/) {
    if (driver_) raise(err::ado_object_open, source);
    driver_ = detail::open_driver(connection_string, user_id, password);
}

detail::ConnectionDriver& Connection::driver() {
    if (!driver_) raise(err::ado_connection_unusable, source);
    return *driver_;
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& sql, int32_t /*options*/) {
    auto cursor = driver().execute(sql);
    if (!cursor) return std::make_shared<Recordset>();
    return Recordset::adopt(std::move(cursor), shared_from_this());
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& sql, int32_t& records_affected,
                                               int32_t /*options*/) {
    records_affected = -1;
    auto cursor = driver().execute(sql);
    if (!cursor) {
        records_affected = driver().records_affected();
        return std::make_shared<Recordset>();
    }
    return Recordset::adopt(std::move(cursor), shared_from_this());
}

int32_t Connection::BeginTrans() {
    return driver().begin_trans();
}
void Connection::CommitTrans() {
    driver().commit_trans();
}
void Connection::RollbackTrans() {
    driver().rollback_trans();
}

int32_t Connection::State() const {
    return driver_ ? adStateOpen : adStateClosed;
}

void Connection::Close() {
    if (!driver_) raise(err::ado_object_closed, source);
    // Closing would roll back work the caller has not ended; the destructor still does.
    if (driver_->transaction_level() > 0) raise(in_transaction, source, in_transaction_text);
    // The recordsets hold this connection; keep it alive while they let go of it.
    const auto self = shared_from_this();
    const auto open = recordsets_;
    for (Recordset* rs : open)
        rs->release();
    auto driver = std::move(driver_);
    driver->close();
}

void Connection::attach(Recordset* rs) {
    recordsets_.push_back(rs);
}

void Connection::detach(Recordset* rs) noexcept {
    const auto it = std::find(recordsets_.begin(), recordsets_.end(), rs);
    if (it != recordsets_.end()) recordsets_.erase(it);
}

}  // namespace ortiva
