// The keyset cursor: rows are stepped only when asked for and kept with their key, so that an
// edited row is found again and AddNew appends without reading the table. The caller's query
// runs as written; key columns it does not select are added after its own columns.

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_map>

#include "drivers/sqlite/cursor.hpp"
#include "drivers/sqlite/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/keyset_cursor.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::sqlite {

// How a keyset's rows are written and found again; made once per statement text and schema.
struct WritePlan {
    bool updatable = false;
    std::string not_updatable = "the recordset is read-only";
    std::string table;
    std::string target;                // "database"."table"
    std::string query_text;            // with the key columns added, when they were
    std::vector<std::string> origins;  // the table column behind each field, or ""
    bool by_values = false;            // no key: found by all its values
    bool rowid_key = false;            // the key is the rowid: an insert needs no RETURNING
    std::vector<int> key_positions;    // of the key columns in the statement
    std::string key_where;             // " WHERE k1 IS ? AND ..."
    std::string key_list;              // "k1, ..."
};

namespace {

namespace sql = detail::sql;

// Resets a statement kept by the cursor on every way out, so that no write stays active.
struct ResetOnExit {
    sqlite3_stmt* stmt;
    ~ResetOnExit() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

std::string quoted(std::string_view name) {
    return sql::quote_identifier(name);
}

// A row's key in the database's own storage classes, so that it compares and binds exactly.
void append_key_part(std::string& out, sqlite3_stmt* s, int column) {
    const int type = sqlite3_column_type(s, column);
    out.push_back(static_cast<char>(type));
    if (type == SQLITE_INTEGER) {
        const sqlite3_int64 v = sqlite3_column_int64(s, column);
        out.append(reinterpret_cast<const char*>(&v), sizeof v);
    } else if (type == SQLITE_FLOAT) {
        const double v = sqlite3_column_double(s, column);
        out.append(reinterpret_cast<const char*>(&v), sizeof v);
    } else if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const void* p = type == SQLITE_TEXT
                            ? static_cast<const void*>(sqlite3_column_text(s, column))
                            : sqlite3_column_blob(s, column);
        const auto n = static_cast<uint32_t>(sqlite3_column_bytes(s, column));
        out.append(reinterpret_cast<const char*>(&n), sizeof n);
        if (n) out.append(static_cast<const char*>(p), n);
    }
}

std::string read_key(sqlite3_stmt* s, const std::vector<int>& columns) {
    std::string key;
    for (const int c : columns)
        append_key_part(key, s, c);
    return key;
}

// Binds the parts of key from parameter `index` on; returns the next free index.
int bind_key(Database& db, sqlite3_stmt* s, int index, std::string_view key) {
    std::size_t at = 0;
    while (at < key.size()) {
        const int type = key[at++];
        int rc = SQLITE_OK;
        if (type == SQLITE_INTEGER) {
            sqlite3_int64 v;
            std::memcpy(&v, key.data() + at, sizeof v);
            at += sizeof v;
            rc = sqlite3_bind_int64(s, index, v);
        } else if (type == SQLITE_FLOAT) {
            double v;
            std::memcpy(&v, key.data() + at, sizeof v);
            at += sizeof v;
            rc = sqlite3_bind_double(s, index, v);
        } else if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
            uint32_t n;
            std::memcpy(&n, key.data() + at, sizeof n);
            at += sizeof n;
            rc = type == SQLITE_TEXT ? sqlite3_bind_text(s, index, key.data() + at,
                                                         static_cast<int>(n), SQLITE_TRANSIENT)
                                     : sqlite3_bind_blob(s, index, key.data() + at,
                                                         static_cast<int>(n), SQLITE_TRANSIENT);
            at += n;
        } else {
            rc = sqlite3_bind_null(s, index);
        }
        if (rc != SQLITE_OK) raise_error(db.db, rc, sqlite3_sql(s));
        ++index;
    }
    return index;
}

constexpr std::size_t max_write_plans = 256;

std::shared_ptr<const WritePlan> read_only_plan() {
    static const auto plan = std::make_shared<const WritePlan>();
    return plan;
}

std::shared_ptr<const WritePlan> refused_plan(std::string why) {
    auto plan = std::make_shared<WritePlan>();
    plan->not_updatable = std::move(why);
    return plan;
}

// The rowid goes unquoted: quoted, a name no column has would read as a text literal.
std::string key_name(const std::string& column, const std::string& rowid) {
    return !rowid.empty() && column == rowid ? column : quoted(column);
}

// Finds the one table the rows come from and how a row is found again: by the primary key,
// else by the rowid, else by all its values. Key columns the query does not select are added
// after the caller's own. Throws the reason when the rows cannot be written.
void plan_writes(WritePlan& plan, Database& db, sqlite3_stmt* s, std::size_t n,
                 const std::string& text) {
    std::string database;
    plan.origins.assign(n, std::string());
    for (std::size_t i = 0; i < n; ++i) {
        const char* t = sqlite3_column_table_name(s, static_cast<int>(i));
        const char* d = sqlite3_column_database_name(s, static_cast<int>(i));
        if (!t || !d) continue;
        if (plan.table.empty()) {
            plan.table = t;
            database = d;
        } else if (plan.table != t || database != d) {
            refuse(code::not_updatable, "its rows come from more than one table");
        }
    }
    const auto written = sql::single_table(text, sql::sqlite_dialect);
    if (!written) {
        refuse(code::not_updatable,
               "it is not a plain SELECT from one table (a join, a subquery, or a grouped, "
               "compound or DISTINCT query)");
    }
    const std::string name = sql::name_parts(*written).back();
    if (plan.table.empty())
        refuse(code::not_updatable, "none of its fields is a column of " + name);
    if (!sql::same_name(name, plan.table)) {
        refuse(code::not_updatable, "it reads " + name + ", a view, not a table");
    }
    plan.target = quoted(database) + "." + quoted(plan.table);
    for (std::size_t i = 0; i < n; ++i) {
        const char* t = sqlite3_column_table_name(s, static_cast<int>(i));
        const char* origin = sqlite3_column_origin_name(s, static_cast<int>(i));
        if (t && origin) plan.origins[i] = origin;
    }

    const auto info = describe_table(db, database, plan.table);
    std::vector<std::string> key = info->primary_key;
    plan.rowid_key = info->integer_key || (key.empty() && !info->rowid.empty());
    if (key.empty() && !info->rowid.empty()) key = {info->rowid};
    if (key.empty()) {
        // Found by all its values, once each; Update checks that they pick one row.
        plan.by_values = true;
        for (std::size_t i = 0; i < n; ++i) {
            const auto& origin = plan.origins[i];
            if (origin.empty() || std::find(key.begin(), key.end(), origin) != key.end()) continue;
            key.push_back(origin);
            plan.key_positions.push_back(static_cast<int>(i));
        }
    } else {
        for (const auto& column : key) {
            const auto at = std::find_if(plan.origins.begin(), plan.origins.end(),
                                         [&](const auto& o) { return sql::same_name(o, column); });
            if (at == plan.origins.end()) break;
            plan.key_positions.push_back(static_cast<int>(at - plan.origins.begin()));
        }
        if (plan.key_positions.size() != key.size()) {
            // Selected after the caller's own columns, which keep their positions.
            std::string list;
            for (std::size_t k = 0; k < key.size(); ++k) {
                list += (k ? ", " : "") + key_name(key[k], info->rowid) + " AS \"ortiva_key_" +
                        std::to_string(k) + "\"";
            }
            const auto keyed = sql::with_columns_appended(text, list, sql::sqlite_dialect);
            if (!keyed) refuse(code::not_updatable, "its rows cannot be told apart");
            plan.query_text = *keyed;
            plan.key_positions.clear();
            for (std::size_t k = 0; k < key.size(); ++k)
                plan.key_positions.push_back(static_cast<int>(n + k));
        }
    }
    for (const auto& column : key) {
        const std::string name = key_name(column, info->rowid);
        plan.key_where += (plan.key_where.empty() ? " WHERE " : " AND ") + name + " IS ?";
        plan.key_list += (plan.key_list.empty() ? "" : ", ") + name;
    }
    plan.updatable = true;
}

std::shared_ptr<const WritePlan> write_plan(Database& db, sqlite3_stmt* s,
                                            const std::vector<Column>& columns,
                                            const std::string& text) {
    if (const auto it = db.write_plans.find(text); it != db.write_plans.end()) return it->second;
    // Criteria written into the text make many texts: the plans are bounded like statements.
    if (db.write_plans.size() >= max_write_plans) db.write_plans.clear();
    auto plan = std::make_shared<WritePlan>();
    try {
        plan_writes(*plan, db, s, columns.size(), text);
    } catch (const ErrorInfo& e) {
        // Reading still works; a write says why it cannot be done.
        plan = std::make_shared<WritePlan>();
        plan->origins.assign(columns.size(), std::string());
        plan->not_updatable = e.description();
    }
    db.write_plans.emplace(text, plan);
    return plan;
}

struct Row {
    std::string key;  // the row's key columns as stored; see read_key
    std::vector<Variant> values;
    bool stale = false;  // written since read: read again by its key
};

class KeysetCursor final : public detail::KeysetCursor<Row, Cursor> {
  public:
    KeysetCursor(std::shared_ptr<Database> db, Statement stmt, std::string text, bool read_only,
                 bool load_all)
        : detail::KeysetCursor<Row, Cursor>(std::move(db)),
          read_only_(read_only),
          text_(std::move(text)),
          stmt_(std::move(stmt)),
          columns_(read_columns(stmt_.get())) {
        plan_ = read_only_ ? read_only_plan() : write_plan(*db_, stmt_.get(), columns_, text_);
        if (!plan_->query_text.empty()) {
            // The key columns come after the caller's own: that statement is run instead.
            Statement keyed = prepare_cached(*db_, plan_->query_text);
            if (sqlite3_column_count(keyed.get()) ==
                static_cast<int>(plan_->key_positions.back() + 1)) {
                db_->cache.give_back(text_, std::move(stmt_));
                stmt_ = std::move(keyed);
            } else {
                plan_ = refused_plan("its rows cannot be told apart");
            }
        }
        if (load_all) drain();
    }

    int32_t field_count() const override { return static_cast<int32_t>(columns_.size()); }
    std::string field_name(int32_t index) const override { return columns_[index].name; }

    void close() override {
        if (closed_) return;
        closed_ = true;
        struct Release {
            KeysetCursor& c;
            ~Release() {
                c.db_->cache.give_back(c.plan_->query_text.empty() ? c.text_ : c.plan_->query_text,
                                       std::move(c.stmt_));
                c.db_->cache.give_back(std::move(c.insert_text_), std::move(c.insert_));
            }
        } release{*this};
        close_rows();
    }

  private:
    void check_updatable() const override {
        if (read_only_) refuse_update();
        if (!plan_->updatable) {
            refuse(code::not_updatable,
                   "Current Recordset does not support updating: " + plan_->not_updatable + ".");
        }
    }

    Variant storable(int32_t index, const Variant& v) const override {
        if (plan_->origins[index].empty()) {
            refuse(code::not_updatable, "Field '" + columns_[index].name +
                                            "' cannot be updated: it is not a column of " +
                                            plan_->table + ".");
        }
        return storable_value(v, columns_[index].kind, columns_[index].name);
    }

    // Steps one more row into the keyset; false once the statement is done.
    bool fetch() const override {
        if (failure_) throw *failure_;
        if (done_) return false;
        try {
            for (auto& key : unindexed_)
                ++written_[std::move(key)];
            unindexed_.clear();
            for (; added_indexed_ < rows_.added.size(); ++added_indexed_)
                ++written_[rows_.added[added_indexed_].key];
            while (step_row(stmt_.get())) {
                Row row;
                if (plan_->updatable) {
                    row.key = read_key(stmt_.get(), plan_->key_positions);
                    // A row this cursor added or moved may come by again.
                    if (const auto it = written_.find(row.key); it != written_.end()) {
                        if (--it->second == 0) written_.erase(it);
                        continue;
                    }
                }
                row.values.reserve(columns_.size());
                for (std::size_t i = 0; i < columns_.size(); ++i) {
                    row.values.push_back(
                        read_value(stmt_.get(), static_cast<int>(i), columns_[i].kind));
                }
                rows_.read.push_back(std::move(row));
                return true;
            }
        } catch (const ErrorInfo& e) {
            failure_ = e;
            throw;
        }
        // Done: resetting the statement releases its read lock.
        done_ = true;
        sqlite3_reset(stmt_.get());
        return false;
    }

    // Binds the assigned values from parameter 1 on; returns the next free index. The edits
    // outlive the statement's run (it is reset before they go), so texts are not copied.
    int bind_edits(sqlite3_stmt* s, const detail::Edits& edits) const {
        int index = 0;
        for (const auto& edit : edits) {
            if (!edit) continue;
            if (!edit->is_string()) {
                bind_value(db_->db, s, ++index, *edit);
                continue;
            }
            const std::string& text = edit->str();
            const int rc = sqlite3_bind_text64(s, ++index, text.data(), text.size(), SQLITE_STATIC,
                                               SQLITE_UTF8);
            if (rc != SQLITE_OK) raise_error(db_->db, rc, sqlite3_sql(s) ? sqlite3_sql(s) : "");
        }
        return index + 1;
    }

    // Several rows share one savepoint, released whatever happens: the rows written before a
    // failing one stay written.
    void insert_rows(std::vector<detail::Edits>& rows, std::vector<Row>& stored) override {
        if (rows.size() > 1) begin_append_batch(*db_);
        struct End {
            Database& db;
            ~End() {
                try {
                    end_append_batch(db);
                } catch (const ErrorInfo&) {
                    // Reported by the next statement on the connection.
                }
            }
        } end{*db_};
        for (const auto& edits : rows)
            stored.push_back(insert_row(edits));
    }

    Row insert_row(const detail::Edits& edits) {
        // Rows appended one after another mostly assign the same fields: one statement serves.
        const bool same_fields =
            insert_ &&
            std::equal(edits.begin(), edits.end(), insert_mask_.begin(), insert_mask_.end(),
                       [](const auto& edit, bool set) { return edit.has_value() == set; });
        if (!same_fields) {
            std::vector<bool> mask(edits.size());
            for (std::size_t i = 0; i < edits.size(); ++i)
                mask[i] = edits[i].has_value();
            std::string names, marks;
            for (std::size_t i = 0; i < mask.size(); ++i) {
                if (!mask[i]) continue;
                names += (names.empty() ? "" : ", ") + quoted(plan_->origins[i]);
                marks += marks.empty() ? "?" : ", ?";
            }
            std::string text =
                "INSERT INTO " + plan_->target +
                (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")") +
                (plan_->rowid_key ? "" : " RETURNING " + plan_->key_list);
            db_->cache.give_back(std::move(insert_text_), std::move(insert_));
            insert_ = prepare_cached(*db_, text);
            insert_text_ = std::move(text);
            insert_mask_ = std::move(mask);
        }
        Row row;
        {
            ResetOnExit guard{insert_.get()};
            bind_edits(insert_.get(), edits);
            if (step(db_->db, insert_.get())) {
                row.key = read_key(insert_.get(), all_columns());
                while (step(db_->db, insert_.get())) {
                }
            } else if (plan_->rowid_key) {
                const sqlite3_int64 rowid = sqlite3_last_insert_rowid(db_->db);
                row.key.push_back(static_cast<char>(SQLITE_INTEGER));
                row.key.append(reinterpret_cast<const char*>(&rowid), sizeof rowid);
            }
        }
        // Its values are read back when first asked for (see reload). Its key is indexed from
        // rows_.added only when the query is read further: a batch of appends never hashes.
        row.stale = true;
        return row;
    }

    // 0 .. key size - 1: the key columns of a RETURNING clause.
    std::vector<int> all_columns() const {
        std::vector<int> all(plan_->key_positions.size());
        for (std::size_t k = 0; k < all.size(); ++k)
            all[k] = static_cast<int>(k);
        return all;
    }

    void update_row(Row& row, const detail::Edits& edits) override {
        std::string set;
        for (std::size_t i = 0; i < edits.size(); ++i) {
            if (!edits[i]) continue;
            set += (set.empty() ? "" : ", ") + quoted(plan_->origins[i]) + " = ?";
        }
        if (plan_->by_values) refuse_ambiguous(row);
        std::string text = "UPDATE " + plan_->target + " SET " + set + plan_->key_where +
                           " RETURNING " + plan_->key_list;
        GiveBack update{*db_, text, prepare_cached(*db_, text)};
        bind_key(*db_, update.stmt.get(), bind_edits(update.stmt.get(), edits), row.key);
        if (!step(db_->db, update.stmt.get())) {
            refuse(code::row_not_found,
                   "Row cannot be located for updating. Some values may have been changed "
                   "since it was last read.",
                   text);
        }
        std::string moved_to = read_key(update.stmt.get(), all_columns());
        while (step(db_->db, update.stmt.get())) {
        }
        // An added row not indexed yet is indexed under the key it has by then.
        if (moved_to != row.key && !done_ && !awaits_index(row)) unindexed_.push_back(moved_to);
        row.key = std::move(moved_to);
        row.stale = true;
    }

    bool awaits_index(const Row& row) const {
        const auto& added = rows_.added;
        // std::less: a row of rows_.read is compared too, which plain < leaves unspecified.
        const std::less<const Row*> before;
        return !before(&row, added.data() + added_indexed_) &&
               before(&row, added.data() + added.size());
    }

    // Found by its values, a row must be the only one that holds them, or the update would
    // change the others too.
    void refuse_ambiguous(const Row& row) const {
        const std::string text = "SELECT COUNT(*) FROM " + plan_->target + plan_->key_where;
        GiveBack count{*db_, text, prepare_cached(*db_, text)};
        bind_key(*db_, count.stmt.get(), 1, row.key);
        if (step(db_->db, count.stmt.get()) && sqlite3_column_int64(count.stmt.get(), 0) > 1) {
            refuse(code::provider_failure,
                   "Key column information is insufficient or incorrect. Too many rows were "
                   "affected by update.",
                   text);
        }
    }

    // Reads the table's columns of a written row again, so that defaults, affinity and
    // triggers show as the database keeps them.
    void reload(Row& row) const override {
        std::string list;
        for (const auto& origin : plan_->origins) {
            if (!origin.empty()) list += (list.empty() ? "" : ", ") + quoted(origin);
        }
        const std::string text = "SELECT " + list + " FROM " + plan_->target + plan_->key_where;
        GiveBack read{*db_, text, prepare_cached(*db_, text)};
        bind_key(*db_, read.stmt.get(), 1, row.key);
        if (!step(db_->db, read.stmt.get())) {
            refuse(code::row_deleted, "The current row has been deleted.", text);
        }
        // A written row gets its values here; columns the table does not hold stay Null.
        if (row.values.size() != columns_.size())
            row.values.assign(columns_.size(), Variant::null());
        int column = 0;
        for (std::size_t i = 0; i < plan_->origins.size(); ++i) {
            if (plan_->origins[i].empty()) continue;
            row.values[i] = read_value(read.stmt.get(), column++, columns_[i].kind);
        }
        row.stale = false;
    }

    const bool read_only_;
    const std::string text_;  // as the caller wrote it
    mutable Statement stmt_;
    std::vector<Column> columns_;
    std::shared_ptr<const WritePlan> plan_;
    bool closed_ = false;

    mutable bool done_ = false;
    mutable std::optional<ErrorInfo> failure_;
    // Keys of rows this cursor wrote, with how often the query may still show them.
    mutable std::unordered_map<std::string, int> written_;
    mutable std::vector<std::string> unindexed_;  // keys rows moved to since the last fetch
    mutable std::size_t added_indexed_ = 0;       // rows_.added before this are in written_

    // The INSERT of the last added row, kept while rows assign the same fields.
    Statement insert_;
    std::string insert_text_;
    std::vector<bool> insert_mask_;
};

}  // namespace

std::unique_ptr<Cursor> open_keyset(std::shared_ptr<Database> db, Statement stmt, std::string text,
                                    bool read_only, bool load_all) {
    return std::make_unique<KeysetCursor>(std::move(db), std::move(stmt), std::move(text),
                                          read_only, load_all);
}

}  // namespace ortiva::sqlite
