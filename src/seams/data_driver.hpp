#pragma once

// What a data-access driver implements. Connection and Recordset (include/ortiva) own the
// state checks every driver shares (closed objects, EOF, missing fields); a driver only moves
// data.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::detail {

/// An open cursor over one statement's rows.
class CursorDriver {
  public:
    virtual ~CursorDriver() = default;

    virtual bool eof() const = 0;
    /// -1 when the cursor cannot know it.
    virtual int32_t record_count() const = 0;
    virtual void move_first() = 0;
    virtual void move_next() = 0;

    virtual int32_t field_count() const = 0;
    virtual std::string field_name(int32_t index) const = 0;
    /// Value of the current row (or of the row being added). Called only when not at EOF
    /// or while a row is being added.
    virtual Variant value(int32_t index) const = 0;
    /// Copies the value of the current row into out, reusing out's storage, where the cursor
    /// holds its values, for the library's own loops; false where it holds none (use value) or
    /// there is no current row.
    virtual bool copy_current(int32_t /*index*/, Variant& /*out*/) const { return false; }
    virtual void set_value(int32_t index, const Variant& v) = 0;

    virtual void add_new() = 0;
    virtual void update() = 0;
    virtual void update_batch(int32_t affect_records) = 0;
    /// Whether a row is being added (AddNew called, not yet written).
    virtual bool adding() const = 0;
    /// Whether values were assigned that Update has not written yet (an added or changed row).
    virtual bool has_pending_changes() const { return adding(); }
    virtual void close() = 0;
};

/// An open connection.
class ConnectionDriver {
  public:
    virtual ~ConnectionDriver() = default;

    /// Opens a cursor on the statement's rows, or returns nullptr after running a statement
    /// that yields none. cursor_type and lock_type are one of the enumerated values (never -1).
    virtual std::unique_ptr<CursorDriver> open_cursor(const std::string& source,
                                                      int32_t cursor_type, int32_t lock_type,
                                                      int32_t cursor_location) = 0;
    /// Runs a statement; returns a forward-only cursor when it yields rows, else nullptr.
    /// records_affected receives the rows the statements changed, -1 when a cursor is
    /// returned or the database cannot tell.
    virtual std::unique_ptr<CursorDriver> execute(const std::string& sql,
                                                  int32_t& records_affected) = 0;
    virtual int32_t begin_trans() = 0;
    /// The nesting level of the open transaction, 0 when none is open.
    virtual int32_t transaction_level() const { return 0; }
    virtual void commit_trans() = 0;
    virtual void rollback_trans() = 0;
    virtual void close() = 0;
};

/// "Key=Value;" pairs, keys case-blind (stored upper-cased), values unquoted and unbraced.
struct ConnectionString {
    std::map<std::string, std::string> values;
    std::string text;  // as passed

    static ConnectionString parse(const std::string& text);
    bool has(const std::string& key) const;
    /// The value, or "" when the key is absent.
    std::string get(const std::string& key) const;
};

/// Picks and opens the driver the connection string names (see Connection).
std::unique_ptr<ConnectionDriver> open_driver(const std::string& connection_string,
                                              const std::string& user_id,
                                              const std::string& password);

}  // namespace ortiva::detail
