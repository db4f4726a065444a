#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
class Field {
public:
    std::string Name() const;
    /// The value in the current row; fails with 3021 at EOF and 3704 when closed.
    Variant Value() const;
    /// Assigns the value of the current (or added) row; written by Update.
    void Value(const Variant& v);

private:
    friend class Fields;
    Field(Recordset* owner, int32_t index) : owner_(owner), index_(index) {}
    Recordset* owner_;
    int32_t index_;
};

/// The columns of a recordset, addressed by zero-based position or by name (case-blind).
class Fields {
public:
    int32_t Count() const;
    /// A position (Integer, Long, or a whole Double) or a name; fails with 3265 when absent.
    Field Item(const Variant& key) const;
    Field Item(int32_t position) const;
    Field Item(const std::string& name) const;
    Field operator[](int32_t position) const { return Item(position); }
    Field operator[](const std::string& name) const { return Item(name); }

private:
    friend class Recordset;
    explicit Fields(Recordset* owner) : owner_(owner) {}
    Recordset* owner_;
};

/// A cursor over a statement's rows:
///   - forward-only, read-only: streams the rows, never loads the result;
///   - keyset, optimistic: AddNew / Update / UpdateBatch write through bound parameters;
///   - static, read-only with client cursor location: RecordCount known after Open.
/// Errors follow the data-access layer's numbers: 3704 on a closed recordset, 3705 opening an
/// open one, 3021 without a current row, 3265 for a missing field, 3709 on a connection that
/// is not open.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// Set before Open; adUseServer by default.
    void CursorLocation(int32_t location);
    int32_t CursorLocation() const { return cursor_location_; }

    void Open(const std::string& source, const std::shared_ptr<Connection>& active_connection,
              int32_t cursor_type = adOpenForwardOnly, int32_t lock_type = adLockReadOnly,
              int32_t options = -1);
    /// True when there is no current row. (Named so because EOF is a C macro.)
    bool Eof() const;
    /// The number of rows; -1 where the cursor cannot know it (forward-only).
    int32_t RecordCount() const;
    void MoveFirst();
    void MoveNext();
    ortiva::Fields& Fields();
    void AddNew();
    void Update();
    void UpdateBatch(int32_t affect_records = adAffectAll);
    void Close();
    /// adStateClosed (0) or adStateOpen (1).
    int32_t State() const;

    /// Wraps a cursor a driver opened (used by Connection::Execute).
    static std::shared_ptr<Recordset> adopt(std::unique_ptr<detail::CursorDriver> cursor,
                                            std::shared_ptr<Connection> connection);
    /// The open cursor; fails with 3704 when closed.
    detail::CursorDriver& cursor() const;

private:
    int32_t cursor_location_ = adUseServer;
    std::shared_ptr<Connection> connection_;  // kept alive while the recordset is open
    std::unique_ptr<detail::CursorDriver> cursor_;
    ortiva::Fields fields_{this};
};

}  // namespace ortiva
