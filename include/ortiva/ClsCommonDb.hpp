#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ortiva/connection.hpp"
#include "ortiva/date.hpp"
#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Database helpers over one connection: the current table, the server's date, the last SQL
/// text; next numbers, single values and caller-owned record sets; record writes; bulk inserts
/// from grids and list views; filling combo boxes, list boxes, list views and tree views.
///
/// The connection is created unopened on first use and opened by SetPropertyValues, or
/// replaced through adocon; the object never closes it and only releases its reference when
/// it goes, so a connection shared with other holders stays usable. SQL is built by plain
/// concatenation of the caller's texts and is stored as LastExecutedSql just before it is
/// sent. Every failure is an ErrorInfo; the queries, record writes, bulk inserts and combo
/// population add the connection hint to error 3709.
///
/// C++ callers create their own objects: there is no predeclared, process-wide instance.
/// An object is used from one thread at a time.
class ORTIVA_API ClsCommonDb {
  public:
    ClsCommonDb();
    ~ClsCommonDb();
    ClsCommonDb(const ClsCommonDb&) = delete;
    ClsCommonDb& operator=(const ClsCommonDb&) = delete;

    // ---- Connection and object state ----
    /// The current table, pasted into SQL exactly as stored.
    const std::string& strTableName() const { return table_; }
    /// Sets the current table; the text is not checked or quoted.
    void strTableName(const std::string& table) { table_ = table; }
    /// Opens the connection, makes strDefaultTable the current table unless it is blank, and
    /// reads the server's date with "select getdate()". Failures are raised unchanged (3705 on
    /// a connection that is already open); what happened before the failure stays.
    void SetPropertyValues(const std::string& strConnectionString, const std::string& strUserId,
                           const std::string& strPassword, const std::string& strDefaultTable = {});
    /// The server's date and time read by the last successful SetPropertyValues.
    Date dtSystemDate() const { return system_date_; }
    /// Transactions on the connection; failures are raised unchanged (3709 when not open).
    void BeginTrans();
    /// Commits the connection's transaction; failures are raised unchanged.
    void CommitTrans();
    /// Rolls back the connection's transaction; failures are raised unchanged.
    void RollBackTrans();
    /// The connection's State (0 closed, 1 open), creating an unopened connection if none.
    int16_t ConState();
    /// Holds the given connection instead of the current one (nullptr: none).
    void adocon(std::shared_ptr<Connection> connection);
    /// The SQL text last built or sent (the connection string while SetPropertyValues opens).
    const std::string& LastExecutedSql() const { return last_sql_; }
    /// Always fails with 387; the stored text keeps its value.
    [[noreturn]] void LastExecutedSql(const std::string& value);

    // ---- Queries and lookups ----
    /// One more than the largest value of strFieldName in the current table, read through its
    /// text form by the leading-number rule and rounded half to even (1 on an empty table).
    /// Fails with 6 outside the 32-bit range.
    int32_t fnGetNextMaxNo(const std::string& strFieldName);
    /// Field 0 of the first row of "select strFieldName from table [where strWhereCond]";
    /// Empty when there is no row or the value is Null.
    Variant fnReturnField(const std::string& strFieldName,
                          const Variant& strWhereCond = Variant::missing());
    /// An open keyset, optimistic recordset on strQuery, owned by the caller.
    std::shared_ptr<Recordset> fnReturnRecords(const std::string& strQuery);

    // ---- Record writes ----
    /// Appends one row from values in column order (a trailing ROWGUID column excluded; the
    /// missing marker stores Null). Fails with 1 when the count differs; never returns false.
    bool fnInsertRecord(const VariantArray& values);
    /// Sets name/value pairs (a number names a field by position) on the first row matching
    /// the condition; fails with 1 on an odd pair list when a row matches. Never returns false.
    bool fnUpdateSelectedRecord(const std::string& strRecordSelCreteira,
                                const VariantArray& VarFieldNameAndValuesAlternatively);
    /// Deletes every row matching the condition; true also when none matched.
    bool fnDeleteSelectedRecord(const std::string& strRecordSelCreteira);

    // ---- Bulk insert from grid and list view ----
    /// Running-number pairs are advanced in varColindexorValues.
    bool fnInsertGridDetails(HostObject& mfgGrid, VariantArray& varColindexorValues);
    /// Inserts (despite its name, never updates) one row into the current table per list-view
    /// item whose first sub-item is not blank. varColindexorValues holds a (marker, value) pair
    /// per field: "C" takes the item's column given by value (0: the item text), "V" the value
    /// itself, any other marker the value as a running number. Fails with 1 when the pair count
    /// differs from the field count; never returns false.
    bool fnUpdateListViewDetails(HostObject& lvwCntrl, VariantArray& varColindexorValues);

    // ---- Combo and list population ----
    /// Refills a combo or list box from "select strFieldCode, strFieldName from table
    /// [where strWhereCondition]": the name is added as the entry and the code as its ItemData.
    /// Then selects the entry equal to the text shown before (trimmed, case-blind), or -1.
    /// The condition must be text when given (Null fails with 94, other kinds with 13).
    void PopulateComboOrList(HostObject& cboCntrl, const std::string& strFieldCode,
                             const std::string& strFieldName,
                             const Variant& strWhereCondition = Variant::missing());

    // ---- List-view rows ----
    /// intIndex 0 appends, and receives the new row's position.
    bool fnInsertListview(HostObject& lvwCntrl, int16_t& intIndex, const VariantArray& ArrFields);
    /// Removes list-view rows: the selected one when blnIsListIndex, else those whose column
    /// intColNo (0: the item text, compared trimmed) equals strCriteria; false when there is no
    /// criteria (missing, Empty, Null, "", 0) or nothing matched. When blnNoTobeRenumbered is true
    /// (despite its name), the numbers in column intColNo are made consecutive again after each
    /// removal.
    bool fnDeleteListview(bool blnIsListIndex, HostObject& lvwCntrl, bool blnNoTobeRenumbered,
                          const Variant& strCriteria = Variant::missing(), int16_t intColNo = 0);

    // ---- List-view population ----
    /// strCondition is trimmed in place.
    void PopulateListview(HostObject& lvwCntrl, const std::string& strTable,
                          std::string& strCondition, const VariantArray& ArrFields);

    // ---- Tree population ----
    /// Never raises: every failing step is skipped.
    void PopulateTree(HostObject& tvwCntrl, const std::string& strQuery,
                      const std::string& strTitle, const VariantArray& strFieldNamesAsNodes);

    // ---- Host run time ----

    /// The host run time this object uses: the one handed to set_runtime, or else the process
    /// default (current_host_runtime()) as it is when each call starts.
    std::shared_ptr<HostRuntime> runtime() const {
        return runtime_ ? runtime_ : current_host_runtime();
    }
    /// Hands the object its own run time (a window, a session); nullptr goes back to the
    /// process default.
    void set_runtime(std::shared_ptr<HostRuntime> runtime) { runtime_ = std::move(runtime); }

  private:
    /// The held connection, created unopened on first use.
    const std::shared_ptr<Connection>& connection();
    /// Index of the first entry equal to text, trimmed and case-blind on both sides, or -1.
    int32_t FindListIndex(HostObject& control, const std::string& text);

    std::string table_;
    Date system_date_;
    std::shared_ptr<Connection> connection_;
    std::string last_sql_;
    std::shared_ptr<HostRuntime> runtime_;
};

}  // namespace ortiva
