#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/export.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

namespace detail {
class ConnectionDriver;
}
class Recordset;

/// Connection states as State reports them.
enum ObjectState : int32_t { adStateClosed = 0, adStateOpen = 1 };

/// A database connection of the data-access seam. A new connection is unopened; Open reads the
/// connection string and picks the driver:
///   - "Provider=SQLite", or a "Data Source=" without another provider: the embedded SQLite
///     driver ("Data Source=:memory:" works; "Mode=Read" opens read-only). SQLite has no
///     logins, so the user id and password are accepted and not used.
///   - "Driver=..." or "DSN=...": the ODBC driver, when the library was built with it.
/// Connections are shared through std::shared_ptr so that one connection can serve several
/// holders. A Connection is used from one thread at a time.
class ORTIVA_API Connection : public std::enable_shared_from_this<Connection> {
  public:
    /// A new, unopened connection (connections live only in a std::shared_ptr).
    static std::shared_ptr<Connection> create();
    ~Connection();

    /// Opens synchronously. Fails with 3705 when already open, with the driver's error when
    /// the database cannot be opened, and with 3706 naming an unknown provider. The user id
    /// and password go to drivers that have logins.
    void Open(const std::string& connection_string, const std::string& user_id = {},
              const std::string& password = {}, int32_t options = -1);
    /// Runs any statement (or several separated by ';', of which only the last may yield rows).
    /// Returns an open forward-only, read-only recordset on the first row for a statement that
    /// yields rows, and a closed recordset otherwise. A statement the database rejects fails
    /// with the driver's error (-2147217900, -2147217873 for a constraint violation); 3709 when
    /// the connection is not open.
    /// (options is wider than int32_t only so that a call passing an int32_t variable picks
    /// the overload below without ambiguity; it is accepted and not used.)
    std::shared_ptr<Recordset> Execute(const std::string& sql, int64_t options = -1);
    /// As Execute, and records_affected receives the number of rows the statements inserted,
    /// changed or deleted: -1 for a statement that yields rows or when the database cannot
    /// tell.
    std::shared_ptr<Recordset> Execute(const std::string& sql, int32_t& records_affected,
                                       int32_t options = -1);
    /// Starts a transaction, or a nested level inside the open one. Returns the new nesting
    /// level (1 for the outermost transaction).
    int32_t BeginTrans();
    /// Commits the innermost level; -2147168242 when no transaction is open.
    void CommitTrans();
    /// Undoes the innermost level; -2147168242 when no transaction is open.
    void RollbackTrans();
    /// adStateClosed (0) or adStateOpen (1).
    int32_t State() const;
    /// Closes the connection and every recordset open on it. Fails with 3246 while a
    /// transaction is open (end it first; releasing the connection rolls it back) and with
    /// 3704 when already closed.
    void Close();

    /// The driver behind an open connection; fails with 3709 when not open.
    ORTIVA_LOCAL detail::ConnectionDriver& driver();

  private:
    friend class Recordset;
    Connection() = default;
    void attach(Recordset* rs);
    void detach(Recordset* rs) noexcept;

    std::unique_ptr<detail::ConnectionDriver> driver_;
    std::vector<Recordset*> recordsets_;  // open on this connection, closed with it
};

}  // namespace ortiva
