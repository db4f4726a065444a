// The keyset cursor: rows are fetched only when asked for and kept in the cursor, so that an
// edited row is found again by its key and AddNew appends without reading the table. Added
// rows written together go with parameter arrays in one transaction where the driver has
// them, else by one prepared INSERT per row.

#include <algorithm>
#include <map>
#include <optional>

#include "drivers/odbc/cursor.hpp"
#include "drivers/odbc/errors.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "seams/data/core/keyset_cursor.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::odbc {

namespace {

// Rows per execution of a parameter array: enough to amortise the round trips, small enough
// that the buffers stay modest.
constexpr std::size_t max_array_rows = 1000;

using detail::Edits;

namespace sql = detail::sql;

struct Row {
    std::vector<Variant> values;
    std::vector<Variant> keys;  // the primary key's values, empty when not known
    bool stale = false;         // written since read: read again by its key
};

class KeysetCursor final : public detail::KeysetCursor<Row, Cursor> {
  public:
    KeysetCursor(std::unique_ptr<Statement> stmt, std::string sql, std::vector<Column> columns,
                 bool read_only, bool load_all)
        : detail::KeysetCursor<Row, Cursor>(stmt->shared_session()),
          sql_(std::move(sql)),
          columns_(std::move(columns)),
          read_only_(read_only),
          select_(std::move(stmt)) {
        if (!read_only_) find_table();
        if (load_all) drain();
    }

    int32_t field_count() const override { return static_cast<int32_t>(columns_.size()); }
    std::string field_name(int32_t index) const override { return columns_[index].name; }

    void close() override {
        try {
            close_rows();
        } catch (...) {
            release();
            throw;
        }
        release();
    }

  private:
    struct Insert {
        std::unique_ptr<Statement> stmt;
        std::string sql;
        ParameterSet params;
    };

    void release() {
        reader_.reset();
        select_.reset();
        inserts_.clear();
        rows_.clear();
    }

    // The one table the rows come from, as the driver names it for each column or, where it
    // does not, as the statement names it. Joins, subqueries and views are not written to.
    void find_table() {
        std::string table, schema;
        bool described = false, several = false;
        for (const Column& c : columns_) {
            if (c.base_table.empty()) continue;
            if (!described) {
                table = c.base_table;
                schema = c.base_schema;
                described = true;
            } else if (c.base_table != table || c.base_schema != schema) {
                several = true;
            }
        }
        targets_.assign(columns_.size(), std::string());
        if (several) {
            not_updatable_ = "its rows come from more than one table";
            return;
        }
        const auto written = sql::single_table(sql_, sql::odbc_dialect);
        if (!written) {
            not_updatable_ =
                "it is not a plain SELECT from one table (a join, a subquery, or a grouped, "
                "compound or DISTINCT query)";
            return;
        }
        const auto parts = sql::name_parts(*written);
        if (described) {
            // A driver names the table behind a view's columns: the statement reads a view.
            if (!sql::same_name(parts.back(), table)) {
                not_updatable_ = "it reads " + parts.back() + ", a view, not a table";
                return;
            }
            target_ =
                (schema.empty() ? "" : session_->quoted(schema) + ".") + session_->quoted(table);
            table_name_ = table;
            table_schema_ = schema;
            for (std::size_t i = 0; i < columns_.size(); ++i) {
                const Column& c = columns_[i];
                if (c.base_table.empty()) continue;
                targets_[i] = c.base_column.empty() ? c.name : c.base_column;
            }
        } else {
            target_ = *written;
            table_name_ = parts.back();
            if (parts.size() > 1) table_schema_ = parts[parts.size() - 2];
            for (std::size_t i = 0; i < columns_.size(); ++i) {
                targets_[i] =
                    columns_[i].base_column.empty() ? columns_[i].name : columns_[i].base_column;
            }
        }
        updatable_ = true;
    }

    // Whether the catalog lists the table as a view; asked on the first write, once per
    // connection until a table may have changed.
    bool is_view() const {
        if (const auto& known = session_->table(table_schema_, table_name_).view) return *known;
        // The entry is looked up again: asking may run statements that drop what is known.
        const bool view = ask_is_view();
        session_->table(table_schema_, table_name_).view = view;
        return view;
    }

    bool ask_is_view() const {
        ++session_->catalog_calls;
        Statement stmt(session_);
        auto text = [](const std::string& s) {
            return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
        };
        const bool schema = !table_schema_.empty();
        std::string type = "VIEW";
        const SQLRETURN rc =
            SQLTables(stmt.get(), nullptr, 0, schema ? text(table_schema_) : nullptr,
                      schema ? SQL_NTS : 0, text(table_name_), SQL_NTS, text(type), SQL_NTS);
        return SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetch(stmt.get()));
    }

    void check_updatable() const override {
        if (read_only_) refuse_update();
        if (updatable_ && !view_checked_) {
            view_checked_ = true;
            if (is_view()) {
                updatable_ = false;
                not_updatable_ = "it reads " + table_name_ + ", a view, not a table";
            }
        }
        if (!updatable_) {
            refuse(code::not_updatable,
                   "Current Recordset does not support updating: " + not_updatable_ + ".");
        }
    }

    Variant storable(int32_t index, const Variant& v) const override {
        if (targets_[index].empty()) {
            refuse(code::not_updatable, "Field '" + columns_[index].name +
                                            "' cannot be updated: it is not a column of " +
                                            table_name_ + ".");
        }
        return storable_value(v, columns_[index]);
    }

    // ---- reading ----

    // Runs the query, with the primary key added after its own columns where the statement does not
    // select it, so that every row can be found again.
    void start_query() const {
        if (updatable_) resolve_keys(true);
        query_sql_ = sql_;
        query_columns_ = columns_;
        if (hidden_ > 0) {
            auto keyed = Statement::cached(session_, keyed_sql_);
            auto all = describe(*keyed, keyed_sql_);
            if (all.size() == hidden_ + columns_.size()) {
                key_columns_.assign(all.end() - static_cast<long>(hidden_), all.end());
                query_columns_ = std::move(all);
                query_sql_ = keyed_sql_;
                select_ = std::move(keyed);
            } else {
                hidden_ = 0;
                primary_key_ = false;
            }
        }
        // Rows this cursor added before the query ran come by again: they are skipped.
        for (Row& row : rows_.added) {
            if (row.keys.empty()) row.keys = visible_keys(row.values);
            if (!row.keys.empty()) added_keys_.push_back(row.keys);
        }
        if (Statement::execute_cached(select_) && !same_shape(describe(*select_, query_sql_))) {
            refuse(code::provider_failure,
                   "The columns of the recordset's table changed after it was opened.", query_sql_);
        }
        reader_ = std::make_unique<RowReader>(*select_, query_columns_, query_sql_);
        reader_->bind();
    }

    // Whether a query prepared again gives the columns the cursor was opened with.
    bool same_shape(const std::vector<Column>& now) const {
        return std::equal(now.begin(), now.end(), query_columns_.begin(), query_columns_.end(),
                          [](const Column& a, const Column& b) {
                              return a.name == b.name && a.sql_type == b.sql_type &&
                                     a.kind == b.kind;
                          });
    }

    // Fetches one more row into the keyset; false once the query is done.
    bool fetch() const override {
        if (failure_) throw *failure_;
        if (!select_) return false;
        try {
            if (!reader_) start_query();
            while (reader_->fetch()) {
                Row row;
                row.values = reader_->row();
                if (hidden_ > 0) {
                    row.keys.assign(row.values.end() - static_cast<long>(hidden_),
                                    row.values.end());
                    row.values.resize(columns_.size());
                } else if (primary_key_) {
                    row.keys = visible_keys(row.values);
                }
                if (!row.keys.empty() && std::find(added_keys_.begin(), added_keys_.end(),
                                                   row.keys) != added_keys_.end()) {
                    continue;
                }
                rows_.read.push_back(std::move(row));
                return true;
            }
        } catch (const ErrorInfo& e) {
            failure_ = e;
            throw;
        }
        // Done: the statement goes, so that no result stays pending on the connection.
        reader_.reset();
        select_.reset();
        return false;
    }

    // ---- keys ----

    // Asked once per connection until a table may have changed.
    std::vector<std::string> primary_key_names() const {
        if (const auto& known = session_->table(table_schema_, table_name_).primary_key)
            return *known;
        auto names = ask_primary_key();
        session_->table(table_schema_, table_name_).primary_key = names;
        return names;
    }

    std::vector<std::string> ask_primary_key() const {
        ++session_->catalog_calls;
        Statement stmt(session_);
        auto text = [](const std::string& s) {
            return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
        };
        const bool schema = !table_schema_.empty();
        const SQLRETURN rc =
            SQLPrimaryKeys(stmt.get(), nullptr, 0, schema ? text(table_schema_) : nullptr,
                           schema ? SQL_NTS : 0, text(table_name_), SQL_NTS);
        // A driver without the catalog call leaves the rows to be found by their values.
        if (!SQL_SUCCEEDED(rc)) return {};
        std::vector<std::pair<SQLSMALLINT, std::string>> found;
        char name[512];
        SQLSMALLINT sequence = 0;
        SQLLEN name_length = 0, sequence_length = 0;
        SQLBindCol(stmt.get(), 4, SQL_C_CHAR, name, sizeof name, &name_length);
        SQLBindCol(stmt.get(), 5, SQL_C_SSHORT, &sequence, 0, &sequence_length);
        for (SQLRETURN f = SQLFetch(stmt.get()); SQL_SUCCEEDED(f); f = SQLFetch(stmt.get())) {
            if (name_length == SQL_NULL_DATA) return {};
            found.emplace_back(sequence, std::string(name));
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> names;
        for (auto& [seq, n] : found)
            names.push_back(std::move(n));
        return names;
    }

    // Finds the primary key once: among the fields, or added to the query when it is
    // about to run and does not select it. Without one, rows are found by all their values.
    void resolve_keys(bool starting_query) const {
        if (keys_resolved_) return;
        keys_resolved_ = true;
        const std::vector<std::string> names = primary_key_names();
        if (names.empty()) return;
        std::vector<std::size_t> visible;
        for (const auto& name : names) {
            const auto field = field_of(name);
            if (!field) break;
            visible.push_back(*field);
        }
        if (visible.size() == names.size()) {
            key_fields_ = std::move(visible);
            for (const std::size_t k : key_fields_)
                key_columns_.push_back(columns_[k]);
            primary_key_ = true;
            return;
        }
        if (!starting_query) return;
        std::string list;
        for (std::size_t k = 0; k < names.size(); ++k) {
            list += (k ? ", " : "") + session_->quoted(names[k]) + " AS " +
                    session_->quoted("ortiva_key_" + std::to_string(k));
        }
        const auto keyed = sql::with_columns_appended(sql_, list, sql::odbc_dialect);
        if (!keyed) return;
        keyed_sql_ = *keyed;
        hidden_ = names.size();
        hidden_names_ = names;
        primary_key_ = true;
    }

    std::optional<std::size_t> field_of(const std::string& column) const {
        for (std::size_t i = 0; i < targets_.size(); ++i) {
            if (targets_[i] == column) return i;
        }
        const std::string wanted = text::upper(column);
        for (std::size_t i = 0; i < targets_.size(); ++i) {
            if (!targets_[i].empty() && text::upper(targets_[i]) == wanted) return i;
        }
        return std::nullopt;
    }

    // The key of a row from its fields, where the fields hold the whole key.
    std::vector<Variant> visible_keys(const std::vector<Variant>& values) const {
        std::vector<Variant> keys;
        if (!primary_key_ || key_fields_.empty()) return keys;
        for (const std::size_t k : key_fields_)
            keys.push_back(values[k]);
        return keys;
    }

    // " WHERE k1 = ? AND k2 IS NULL": by the primary key where the row's is known (true),
    // else by every comparable field (false). The compared values go to params and their
    // columns to targets.
    bool where_clause(const Row& row, std::string& where, std::vector<Variant>& params,
                      std::vector<const Column*>& targets) const {
        resolve_keys(false);
        auto compare = [&](const std::string& column, const Variant& v, const Column* type) {
            where += where.empty() ? " WHERE " : " AND ";
            where += session_->quoted(column);
            if (v.is_null() || v.is_empty()) {
                where += " IS NULL";
            } else {
                where += " = ?";
                params.push_back(v);
                targets.push_back(type);
            }
        };
        if (primary_key_ && !row.keys.empty()) {
            const auto names = key_names();
            for (std::size_t j = 0; j < row.keys.size(); ++j) {
                compare(names[j], row.keys[j], &key_columns_[j]);
            }
            return true;
        }
        // Long values cannot be compared on every server, and floating values and times may
        // not read back exactly (some drivers pass them through 15 digits or whole seconds):
        // they are left out. The count before an update makes sure the rest still finds one
        // row only.
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (targets_[i].empty() || !comparable(columns_[i])) continue;
            compare(targets_[i], row.values[i], &columns_[i]);
        }
        return false;
    }

    static bool comparable(const Column& c) {
        return !c.is_long() && c.kind != ValueKind::Double && c.kind != ValueKind::Timestamp &&
               c.kind != ValueKind::TimeOnly;
    }

    std::vector<std::string> key_names() const {
        std::vector<std::string> names;
        if (!key_fields_.empty()) {
            for (const std::size_t k : key_fields_)
                names.push_back(targets_[k]);
        } else {
            // Added to the query under aliases: the catalog's names are the columns'.
            names = hidden_names_;
        }
        return names;
    }

    // Runs a prepared statement with one row of parameters.
    void run_with(Statement& stmt, const std::string& sql, std::vector<Variant> params,
                  const std::vector<const Column*>& targets) const {
        ParameterSet set;
        const std::vector<std::vector<Variant>> rows{std::move(params)};
        if (!targets.empty()) set.bind(stmt, targets, rows, 0, 1, sql);
        stmt.execute(sql);
    }

    // Reads the table's columns of a written row again, so that defaults and conversions
    // show as the database keeps them. A row that cannot be found keeps what was written.
    void reload(Row& row) const override {
        row.stale = false;
        resolve_keys(false);
        if (row.keys.empty()) row.keys = visible_keys(row.values);
        // An added row whose key the cursor does not select cannot be found again.
        if (primary_key_ && row.keys.empty()) return;
        std::string where;
        std::vector<Variant> params;
        std::vector<const Column*> targets;
        where_clause(row, where, params, targets);
        std::string list;
        std::vector<Column> read;
        std::vector<std::size_t> fields;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (targets_[i].empty()) continue;
            list += (list.empty() ? "" : ", ") + session_->quoted(targets_[i]);
            read.push_back(columns_[i]);
            fields.push_back(i);
        }
        if (list.empty() || where.empty()) return;
        const std::string sql = "SELECT " + list + " FROM " + target_ + where;
        const auto cached = Statement::cached(session_, sql);
        Statement& stmt = *cached;
        run_with(stmt, sql, std::move(params), targets);
        RowReader reader(stmt, read, sql);
        reader.bind();
        if (!reader.fetch()) return;
        for (std::size_t j = 0; j < fields.size(); ++j)
            row.values[fields[j]] = reader.value(j);
    }

    // ---- writing ----

    // Several rows go in one transaction of their own where none is open; when it fails,
    // they are written again row by row in autocommit, so that those before the failing
    // row stay written.
    void insert_rows(std::vector<Edits>& rows, std::vector<Row>& stored) override {
        const bool own_transaction =
            session_->transactions && session_->level == 0 && rows.size() > 1;
        std::size_t written = 0;
        try {
            if (own_transaction) {
                set_autocommit(*session_, false);
                try {
                    insert_rows(rows, 0, rows.size(), written);
                    end_transaction(*session_, true);
                    set_autocommit(*session_, true);
                } catch (const ErrorInfo&) {
                    try {
                        end_transaction(*session_, false);
                        set_autocommit(*session_, true);
                    } catch (const ErrorInfo&) {
                        // The link itself failed; the replay below reports that.
                    }
                    // Row by row in autocommit finds the failing row and keeps those before.
                    written = 0;
                    while (written < rows.size()) {
                        std::size_t one = 0;
                        insert_rows(rows, written, 1, one);
                        ++written;
                    }
                }
            } else {
                insert_rows(rows, 0, rows.size(), written);
            }
        } catch (...) {
            keep_added(rows, written, stored);
            throw;
        }
        keep_added(rows, rows.size(), stored);
    }

    static void keep_added(const std::vector<Edits>& rows, std::size_t count,
                           std::vector<Row>& stored) {
        for (std::size_t r = 0; r < count; ++r) {
            Row row;
            row.values.reserve(rows[r].size());
            for (const auto& e : rows[r])
                row.values.push_back(e ? *e : Variant::null());
            row.stale = true;
            stored.push_back(std::move(row));
        }
    }

    // Runs of rows that assign the same fields with values of binding-compatible kinds share
    // one INSERT. `written` counts the rows from `first` on that are known to be stored.
    void insert_rows(const std::vector<Edits>& rows, std::size_t first, std::size_t count,
                     std::size_t& written) {
        const std::size_t end = first + count;
        std::size_t i = first;
        while (i < end) {
            std::vector<bool> mask(columns_.size());
            std::vector<SQLSMALLINT> kinds(columns_.size(), 0);
            for (std::size_t c = 0; c < columns_.size(); ++c)
                mask[c] = rows[i][c].has_value();
            std::size_t j = i;
            for (; j < end; ++j) {
                bool fits = true;
                for (std::size_t c = 0; c < columns_.size() && fits; ++c) {
                    if (rows[j][c].has_value() != mask[c]) fits = false;
                    if (!fits || !mask[c]) continue;
                    const SQLSMALLINT t = ParameterSet::c_type(*rows[j][c], columns_[c]);
                    if (t && kinds[c] && t != kinds[c]) fits = false;
                }
                if (!fits) break;
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    if (!mask[c] || kinds[c]) continue;
                    kinds[c] = ParameterSet::c_type(*rows[j][c], columns_[c]);
                }
            }
            run_insert(mask, rows, i, j - i, written);
            i = j;
        }
    }

    Insert& insert_for(const std::vector<bool>& mask) {
        auto& slot = inserts_[mask];
        if (slot) return *slot;
        auto insert = std::make_unique<Insert>();
        std::string names, marks;
        for (std::size_t c = 0; c < mask.size(); ++c) {
            if (!mask[c]) continue;
            names += (names.empty() ? "" : ", ") + session_->quoted(targets_[c]);
            marks += marks.empty() ? "?" : ", ?";
        }
        insert->sql =
            "INSERT INTO " + target_ +
            (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
        insert->stmt = Statement::cached(session_, insert->sql);
        slot = std::move(insert);
        return *slot;
    }

    void run_insert(const std::vector<bool>& mask, const std::vector<Edits>& rows,
                    std::size_t first, std::size_t count, std::size_t& written) {
        Insert& insert = insert_for(mask);
        std::vector<const Column*> targets;
        for (std::size_t c = 0; c < mask.size(); ++c) {
            if (mask[c]) targets.push_back(&columns_[c]);
        }
        std::vector<std::vector<Variant>> values;
        values.reserve(count);
        for (std::size_t r = first; r < first + count; ++r) {
            std::vector<Variant> row;
            row.reserve(targets.size());
            for (std::size_t c = 0; c < mask.size(); ++c) {
                if (mask[c]) row.push_back(*rows[r][c]);
            }
            values.push_back(std::move(row));
        }
        Statement& stmt = *insert.stmt;
        std::size_t done = 0;
        while (done < count && count > 1 && session_->param_arrays && !targets.empty()) {
            const std::size_t n = std::min(max_array_rows, count - done);
            if (!set_paramset_size(stmt, n)) break;
            std::vector<SQLUSMALLINT> status(n, SQL_PARAM_UNUSED);
            SQLULEN processed = 0;
            SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
            SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
            try {
                insert.params.bind(stmt, targets, values, done, n, insert.sql);
                const SQLRETURN rc = SQLExecute(stmt.get());
                const auto failed = std::find_if(status.begin(), status.end(), [](auto s) {
                    return s == SQL_PARAM_ERROR || s == SQL_PARAM_DIAG_UNAVAILABLE;
                });
                if (!SQL_SUCCEEDED(rc) || failed != status.end()) {
                    // Rows before the first failing one are stored (in the transaction).
                    if (failed != status.end()) {
                        written += static_cast<std::size_t>(failed - status.begin());
                    }
                    raise_error(SQL_HANDLE_STMT, stmt.get(), SQL_ERROR, insert.sql, session_->dbms);
                }
            } catch (...) {
                reset_paramset(stmt);
                throw;
            }
            reset_paramset(stmt);
            done += n;
            written += n;
        }
        for (; done < count; ++done) {
            insert.params.bind(stmt, targets, values, done, 1, insert.sql);
            stmt.execute(insert.sql);
            ++written;
        }
    }

    // False (and never again on this connection) when the driver has no parameter arrays.
    bool set_paramset_size(Statement& stmt, std::size_t n) {
        const SQLRETURN rc =
            SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(n), 0);
        if (rc == SQL_SUCCESS) return true;
        session_->param_arrays = false;
        reset_paramset(stmt);
        return false;
    }

    static void reset_paramset(Statement& stmt) {
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    }

    // Writing while the query still has rows to give would need a second active statement,
    // which not every server allows.
    void before_write() override {
        if (reader_) drain();
    }

    void update_row(Row& row, const Edits& edits) override {
        if (row.stale) reload(row);
        std::vector<Variant> params;
        std::vector<const Column*> targets;
        std::string set;
        for (std::size_t i = 0; i < edits.size(); ++i) {
            if (!edits[i]) continue;
            set += (set.empty() ? "" : ", ") + session_->quoted(targets_[i]) + " = ?";
            params.push_back(*edits[i]);
            targets.push_back(&columns_[i]);
        }
        if (set.empty()) return;
        std::string where;
        std::vector<Variant> key_params;
        std::vector<const Column*> key_targets;
        if (!where_clause(row, where, key_params, key_targets)) {
            refuse_ambiguous(where, key_params, key_targets);
        }
        const std::string sql = "UPDATE " + target_ + " SET " + set + where;
        const auto cached = Statement::cached(session_, sql);
        Statement& stmt = *cached;
        params.insert(params.end(), key_params.begin(), key_params.end());
        targets.insert(targets.end(), key_targets.begin(), key_targets.end());
        run_with(stmt, sql, std::move(params), targets);
        if (stmt.row_count() == 0) {
            refuse(code::row_not_found,
                   "Row cannot be located for updating. Some values may have been changed "
                   "since it was last read.",
                   sql);
        }
        for (std::size_t i = 0; i < edits.size(); ++i) {
            if (!edits[i]) continue;
            row.values[i] = *edits[i];
            // A changed key field moves the row's key with it.
            const auto k = std::find(key_fields_.begin(), key_fields_.end(), i);
            if (k != key_fields_.end() && !row.keys.empty()) {
                row.keys[static_cast<std::size_t>(k - key_fields_.begin())] = row.values[i];
            }
        }
        row.stale = true;
    }

    // Without a primary key a row is found by all its values; where other rows hold the same
    // values the update would change them too, so it is refused.
    void refuse_ambiguous(const std::string& where, const std::vector<Variant>& params,
                          const std::vector<const Column*>& targets) const {
        const std::string sql = "SELECT COUNT(*) FROM " + target_ + where;
        const auto cached = Statement::cached(session_, sql);
        Statement& stmt = *cached;
        run_with(stmt, sql, params, targets);
        SQLBIGINT n = 0;
        SQLLEN indicator = 0;
        if (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
            stmt.check(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &n, 0, &indicator), sql);
        }
        if (n > 1) {
            refuse(code::provider_failure,
                   "Key column information is insufficient or incorrect. Too many rows were "
                   "affected by update.",
                   sql);
        }
    }

    const std::string sql_;
    const std::vector<Column> columns_;
    const bool read_only_;

    mutable bool updatable_ = false;
    mutable bool view_checked_ = false;
    mutable std::string not_updatable_ = "the recordset is read-only";
    std::string target_;                // the table as written into INSERT and UPDATE
    std::string table_name_;            // bare, for SQLPrimaryKeys
    std::string table_schema_;          // likewise, "" when unknown
    std::vector<std::string> targets_;  // the table column behind each field, or ""

    // The query as it runs: the caller's, or with the primary key in front of it.
    mutable std::unique_ptr<Statement> select_;
    mutable std::unique_ptr<RowReader> reader_;
    mutable std::string query_sql_;
    mutable std::vector<Column> query_columns_;
    mutable std::optional<ErrorInfo> failure_;
    mutable std::vector<std::vector<Variant>> added_keys_;

    mutable bool keys_resolved_ = false;
    mutable bool primary_key_ = false;
    mutable std::vector<std::size_t> key_fields_;  // key fields among the visible ones
    mutable std::vector<Column> key_columns_;      // the key's columns, in key order
    mutable std::size_t hidden_ = 0;               // key columns added after the query's own
    mutable std::string keyed_sql_;
    mutable std::vector<std::string> hidden_names_;  // the key's columns added to the query

    std::map<std::vector<bool>, std::unique_ptr<Insert>> inserts_;
};

}  // namespace

std::unique_ptr<Cursor> open_keyset(std::unique_ptr<Statement> prepared, std::string sql,
                                    std::vector<Column> columns, bool read_only, bool load_all) {
    return std::make_unique<KeysetCursor>(std::move(prepared), std::move(sql), std::move(columns),
                                          read_only, load_all);
}

}  // namespace ortiva::odbc
