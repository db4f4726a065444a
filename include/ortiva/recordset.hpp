#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/export.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

namespace detail {
class CursorDriver;
}
class Connection;
class Recordset;

enum CursorTypeEnum : int32_t {
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum : int32_t {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum CursorLocationEnum : int32_t { adUseServer = 2, adUseClient = 3 };
enum AffectEnum : int32_t { adAffectCurrent = 1, adAffectGroup = 2, adAffectAll = 3 };

/// One column of the current row. A Field is a light handle: it stays valid while its
/// recordset is open.
class ORTIVA_API Field {
  public:
    /// The column's name as the result reports it; 3704 when the recordset is closed.
    std::string Name() const;
    /// The value in the current row (or in the row being added, Null until assigned). Fails
    /// with 3021 when there is no current row and 3704 when the recordset is closed.
    Variant Value() const;
    /// Assigns the value of the current (or added) row; Update writes it. Null writes SQL NULL.
    /// Fails with 3251 on a read-only recordset or a field that is no column of the table
    /// written to, and with 3421 for a value no column can hold (object, array, error value).
    void Value(const Variant& v);

  private:
    friend class Fields;
    Field(Recordset* owner, int32_t index) : owner_(owner), index_(index) {}
    Recordset* owner_;
    int32_t index_;
};

/// The columns of a recordset, addressed by zero-based position or by name (case-blind).
class ORTIVA_API Fields {
  public:
    /// The number of columns; 3704 when the recordset is closed.
    int32_t Count() const;
    /// A position (Integer, Long, or a whole Double) or a name; fails with 3265 when absent.
    Field Item(const Variant& key) const;
    /// The field at zero-based \p position; fails with 3265 outside 0 to Count() - 1.
    Field Item(int32_t position) const;
    /// The first field of that name, compared case-blind.
    Field Item(const std::string& name) const;
    /// Same as Item(int32_t).
    Field operator[](int32_t position) const { return Item(position); }
    /// Same as Item(const std::string&).
    Field operator[](const std::string& name) const { return Item(name); }

  private:
    friend class Recordset;
    explicit Fields(Recordset* owner) : owner_(owner) {}
    Recordset* owner_;
};

/// A cursor over a statement's rows:
///   - forward-only, read-only: streams the rows, never loads the result;
///   - keyset, optimistic: reads rows only when asked for; AddNew / Update / UpdateBatch write
///     through bound parameters (values are never pasted into SQL text) to the one table the
///     rows come from, and an existing row is found again by its key, so Update changes
///     exactly the current row;
///   - static, read-only (and any cursor with client location): RecordCount known after Open.
/// Cursor and lock types a driver lacks are served by the nearest richer one.
/// Errors follow the data-access layer's numbers: 3704 on a closed recordset, 3705 opening an
/// open one, 3021 without a current row, 3265 for a missing field, 3709 on a connection that
/// is not open, 3001 for a cursor, lock or affect value out of range.
/// A Recordset keeps its connection alive while open; closing the connection closes it. It is
/// used from one thread at a time.
class ORTIVA_API Recordset {
  public:
    Recordset();
    /// Releasing an open recordset closes it and drops changes no Update wrote.
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// Set before Open (3705 after); adUseServer by default.
    void CursorLocation(int32_t location);
    /// adUseServer or adUseClient, as set.
    int32_t CursorLocation() const { return cursor_location_; }

    /// Runs source on the connection and stands on its first row. -1 for cursor or lock type
    /// means forward-only or read-only. A statement that yields no rows leaves the recordset
    /// closed.
    void Open(const std::string& source, const std::shared_ptr<Connection>& active_connection,
              int32_t cursor_type = adOpenForwardOnly, int32_t lock_type = adLockReadOnly,
              int32_t options = -1);
    /// True when there is no current row. (Named so because EOF is a C macro.)
    bool Eof() const;
    /// The number of rows; -1 where the cursor cannot know it (forward-only). A keyset cursor
    /// reads all its rows to answer.
    int32_t RecordCount() const;
    /// Goes back to the first row; 3021 when there is none. Writes a pending change first.
    void MoveFirst();
    /// Goes to the next row; 3021 at EOF. Writes a pending change first.
    void MoveNext();
    /// The columns of the open recordset; 3704 when closed. Valid as long as the recordset.
    ortiva::Fields& Fields();
    /// Starts a new row (writing a pending one first); Update or UpdateBatch writes it.
    void AddNew();
    /// Writes the added row or the changed values of the current row; nothing when unchanged.
    void Update();
    /// Writes every change not yet written (adAffectCurrent, adAffectGroup or adAffectAll).
    void UpdateBatch(int32_t affect_records = adAffectAll);
    /// Closes; 3219 while an added or changed row is not written (Update it, or release the
    /// recordset to drop it).
    void Close();
    /// adStateClosed (0) or adStateOpen (1).
    int32_t State() const;

    /// Wraps a cursor a driver opened (used by Connection::Execute).
    ORTIVA_LOCAL static std::shared_ptr<Recordset> adopt(
        std::unique_ptr<detail::CursorDriver> cursor, std::shared_ptr<Connection> connection);
    /// The open cursor; fails with 3704 when closed.
    ORTIVA_LOCAL detail::CursorDriver& cursor() const;

  private:
    friend class Connection;
    friend class ortiva::Fields;
    friend class Field;
    ORTIVA_LOCAL void attach(std::unique_ptr<detail::CursorDriver> cursor,
                             std::shared_ptr<Connection> connection);
    /// Closes without a word: pending changes are dropped, failures swallowed.
    void release() noexcept;
    int32_t find(const std::string& name) const;

    int32_t cursor_location_ = adUseServer;
    std::shared_ptr<Connection> connection_;  // kept alive while the recordset is open
    std::unique_ptr<detail::CursorDriver> cursor_;
    int32_t field_count_ = 0;
    ortiva::Fields fields_{this};
    mutable std::vector<std::string> upper_names_;  // for lookups by name, filled on first use
};

}  // namespace ortiva
