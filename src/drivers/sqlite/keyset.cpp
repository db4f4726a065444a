// The keyset cursor: rows are stepped only when asked for and kept with their rowid, so that
// an edited row is found again by rowid and AddNew appends without reading the table.

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_set>

#include "drivers/sqlite/cursor.hpp"
#include "drivers/sqlite/errors.hpp"
#include "drivers/sqlite/sql_text.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::sqlite {

namespace {

// The rowid's least common spelling, so that it clashes with an ordinary column least often.
constexpr const char* rowid_name = "_rowid_";

bool is_integer_type(const char* declared) {
    if (!declared) return false;
    std::string t(declared);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return t == "INTEGER";
}

bool same(const char* a, const char* b) {
    return a && b && std::string_view(a) == b;
}

// Resets a statement on every way out, so that no write statement stays active.
struct ResetOnExit {
    sqlite3_stmt* stmt;
    ~ResetOnExit() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

class KeysetCursor final : public Cursor {
  public:
    KeysetCursor(std::shared_ptr<Database> db, Statement stmt, std::string_view text,
                 bool read_only, bool load_all)
        : Cursor(std::move(db)), read_only_(read_only) {
        if (!read_only_) find_table(text);
        if (!keyed_) {
            stmt_ = std::move(stmt);
            columns_ = read_columns(stmt_.get());
            origins_.assign(columns_.size(), std::string());
        }
        if (load_all) {
            while (fetch()) {
            }
        }
    }

    bool eof() const override {
        if (adding_) return false;
        settle();
        return pos_.added && pos_.index >= added_.size();
    }

    int32_t record_count() const override {
        while (fetch()) {
        }
        return static_cast<int32_t>(streamed_.size() + added_.size());
    }

    void move_first() override {
        write_pending();
        pos_ = {false, 0};
    }

    void move_next() override {
        write_pending();
        settle();
        ++pos_.index;
    }

    int32_t field_count() const override { return static_cast<int32_t>(columns_.size()); }
    std::string field_name(int32_t index) const override { return columns_[index].name; }

    Variant value(int32_t index) const override {
        if (adding_ || editing_) {
            const auto& edit = edits_[index];
            if (edit) return *edit;
            if (adding_) return Variant::null();
        }
        settle();
        Row& row = current_row();
        if (row.stale) reload(row);
        return row.values[index];
    }

    void set_value(int32_t index, const Variant& v) override {
        check_updatable();
        if (origins_[index].empty()) {
            refuse(code::not_updatable, "Field '" + columns_[index].name +
                                            "' cannot be updated: it is not a column of " + table_ +
                                            ".");
        }
        Variant stored = storable_value(v, columns_[index].kind, columns_[index].name);
        if (!adding_) {
            settle();
            if (!editing_) edits_.assign(columns_.size(), std::nullopt);
            editing_ = true;
        }
        edits_[index] = std::move(stored);
    }

    void add_new() override {
        check_updatable();
        if (adding_) begin_append_batch(*db_);
        write_pending_in_batch();
        edits_.assign(columns_.size(), std::nullopt);
        adding_ = true;
    }

    void update() override { write_pending(); }
    void update_batch(int32_t) override { write_pending(); }
    bool adding() const override { return adding_; }
    bool has_pending_changes() const override { return adding_ || editing_; }

    void close() override {
        // Rows already written stay written, whatever ends the cursor.
        end_append_batch(*db_);
        stmt_.reset();
        insert_.reset();
        update_.reset();
        reload_.reset();
        streamed_.clear();
        added_.clear();
        adding_ = editing_ = false;
    }

  private:
    struct Row {
        sqlite3_int64 rowid = 0;
        std::vector<Variant> values;
        bool stale = false;  // written since read: read again by rowid
    };
    struct Position {
        bool added = false;  // in added_, else in streamed_
        std::size_t index = 0;
    };

    // Puts the rowid in front of a plain single-table SELECT. Where that cannot be done (joins,
    // views, compound or grouped results, tables without rowid) the cursor stays read-only.
    void find_table(std::string_view text) {
        const auto keyed_text = with_rowid_first(text, rowid_name);
        if (!keyed_text) {
            not_updatable_ = "the statement is not a plain SELECT from one table";
            return;
        }
        Statement keyed;
        try {
            keyed = prepare(db_->db, *keyed_text);
        } catch (const ErrorInfo&) {
            not_updatable_ = "its rows have no rowid of one table";
            return;
        }
        if (!keyed) return;
        sqlite3_stmt* s = keyed.get();
        const char* table = sqlite3_column_table_name(s, 0);
        const char* database = sqlite3_column_database_name(s, 0);
        const char* origin = sqlite3_column_origin_name(s, 0);
        const char* declared = nullptr;
        int not_null = 0, primary_key = 0, autoinc = 0;
        if (!table || !database || !origin ||
            sqlite3_table_column_metadata(db_->db, database, table, origin, &declared, nullptr,
                                          &not_null, &primary_key, &autoinc) != SQLITE_OK ||
            !primary_key || !is_integer_type(declared)) {
            not_updatable_ = "its rows have no rowid of one table";
            return;
        }
        keyed_ = true;
        table_ = table;
        target_ = quote_identifier(database) + "." + quote_identifier(table);
        stmt_ = std::move(keyed);
        columns_ = read_columns(s, 1);
        for (int i = 1, n = sqlite3_column_count(s); i < n; ++i) {
            const bool own = same(sqlite3_column_table_name(s, i), table) &&
                             same(sqlite3_column_database_name(s, i), database);
            const char* column = sqlite3_column_origin_name(s, i);
            origins_.push_back(own && column ? column : "");
        }
    }

    void check_updatable() const {
        if (read_only_) refuse_update();
        if (!keyed_) {
            refuse(code::not_updatable,
                   "Current Recordset does not support updating: " + not_updatable_ + ".");
        }
    }

    // Steps one more row into the keyset; false once the statement is done.
    bool fetch() const {
        if (failure_) throw *failure_;
        if (!stmt_) return false;
        try {
            const int first = keyed_ ? 1 : 0;
            while (step_row(stmt_.get())) {
                Row row;
                if (keyed_) {
                    row.rowid = sqlite3_column_int64(stmt_.get(), 0);
                    // A row this cursor added or moved may come by again.
                    if (!seen_.insert(row.rowid).second) continue;
                }
                row.values.reserve(columns_.size());
                for (std::size_t i = 0; i < columns_.size(); ++i) {
                    row.values.push_back(
                        read_value(stmt_.get(), static_cast<int>(i) + first, columns_[i].kind));
                }
                streamed_.push_back(std::move(row));
                return true;
            }
        } catch (const ErrorInfo& e) {
            failure_ = e;
            throw;
        }
        // Done: finishing the statement releases its read lock.
        stmt_.reset();
        return false;
    }

    // Brings a position past the rows read so far onto the next row, or past the streamed
    // rows into the added ones.
    void settle() const {
        while (!pos_.added && pos_.index >= streamed_.size()) {
            if (!fetch()) pos_ = {true, pos_.index - streamed_.size()};
        }
    }

    Row& current_row() const { return pos_.added ? added_[pos_.index] : streamed_[pos_.index]; }

    // Steps of the driver's own statements are not rows the cursor read.
    bool write_step(sqlite3_stmt* stmt) const { return step(db_->db, stmt); }

    void write_pending() {
        write_pending_in_batch();
        end_append_batch(*db_);
    }

    void write_pending_in_batch() {
        if (adding_) {
            insert_row();
        } else if (editing_) {
            update_row();
        }
    }

    void insert_row() {
        std::vector<bool> mask(columns_.size());
        for (std::size_t i = 0; i < edits_.size(); ++i)
            mask[i] = edits_[i].has_value();
        if (!insert_ || mask != insert_mask_) {
            std::string sql = "INSERT INTO " + target_;
            std::string names, marks;
            for (std::size_t i = 0; i < mask.size(); ++i) {
                if (!mask[i]) continue;
                names += (names.empty() ? "" : ", ") + quote_identifier(origins_[i]);
                marks += marks.empty() ? "?" : ", ?";
            }
            sql += names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")";
            insert_.reset();
            insert_ = prepare(db_->db, sql);
            insert_mask_ = mask;
        }
        {
            ResetOnExit guard{insert_.get()};
            int index = 0;
            for (const auto& edit : edits_) {
                if (edit) bind_value(db_->db, insert_.get(), ++index, *edit);
            }
            while (write_step(insert_.get())) {
            }
        }
        const sqlite3_int64 rowid = sqlite3_last_insert_rowid(db_->db);
        added_.push_back({rowid, std::vector<Variant>(columns_.size(), Variant::null()), true});
        seen_.insert(rowid);
        pos_ = {true, added_.size() - 1};
        adding_ = false;
        edits_.clear();
    }

    void update_row() {
        Row& row = current_row();
        std::string sql = "UPDATE " + target_ + " SET ";
        bool first = true;
        for (std::size_t i = 0; i < edits_.size(); ++i) {
            if (!edits_[i]) continue;
            sql += (first ? "" : ", ") + quote_identifier(origins_[i]) + " = ?";
            first = false;
        }
        sql += std::string(" WHERE ") + rowid_name + " = ? RETURNING " + rowid_name;
        update_ = prepare(db_->db, sql);
        sqlite3_int64 moved_to = row.rowid;
        {
            ResetOnExit guard{update_.get()};
            int index = 0;
            for (const auto& edit : edits_) {
                if (edit) bind_value(db_->db, update_.get(), ++index, *edit);
            }
            if (sqlite3_bind_int64(update_.get(), ++index, row.rowid) != SQLITE_OK) {
                raise_error(db_->db, sqlite3_errcode(db_->db), sql);
            }
            if (!write_step(update_.get())) {
                refuse(code::row_not_found,
                       "Row cannot be located for updating. Some values may have been changed "
                       "since it was last read.",
                       sql);
            }
            moved_to = sqlite3_column_int64(update_.get(), 0);
            while (write_step(update_.get())) {
            }
        }
        if (moved_to != row.rowid) seen_.insert(moved_to);
        row.rowid = moved_to;
        row.stale = true;
        editing_ = false;
        edits_.clear();
    }

    // Reads the table's columns of a written row again, so that defaults, affinity and
    // triggers show as the database keeps them.
    void reload(Row& row) const {
        if (!reload_) {
            std::string list;
            for (const auto& origin : origins_) {
                if (origin.empty()) continue;
                list += (list.empty() ? "" : ", ") + quote_identifier(origin);
            }
            if (list.empty()) list = "NULL";
            reload_ = prepare(
                db_->db, "SELECT " + list + " FROM " + target_ + " WHERE " + rowid_name + " = ?");
        }
        ResetOnExit guard{reload_.get()};
        sqlite3_bind_int64(reload_.get(), 1, row.rowid);
        if (!write_step(reload_.get())) {
            refuse(code::row_deleted, "The current row has been deleted.",
                   sqlite3_sql(reload_.get()));
        }
        int column = 0;
        for (std::size_t i = 0; i < origins_.size(); ++i) {
            if (origins_[i].empty()) continue;
            row.values[i] = read_value(reload_.get(), column++, columns_[i].kind);
        }
        row.stale = false;
    }

    const bool read_only_;
    bool keyed_ = false;
    std::string not_updatable_ = "the recordset is read-only";
    std::string table_;
    std::string target_;  // "database"."table"
    std::vector<Column> columns_;
    std::vector<std::string> origins_;  // the table column behind each field, or ""

    mutable Statement stmt_;
    mutable std::optional<ErrorInfo> failure_;
    mutable std::vector<Row> streamed_;
    mutable std::vector<Row> added_;
    mutable std::unordered_set<sqlite3_int64> seen_;
    mutable Position pos_;

    bool adding_ = false;
    bool editing_ = false;
    std::vector<std::optional<Variant>> edits_;

    Statement insert_;
    std::vector<bool> insert_mask_;
    Statement update_;
    mutable Statement reload_;
};

}  // namespace

std::unique_ptr<Cursor> open_keyset(std::shared_ptr<Database> db, Statement stmt,
                                    std::string_view text, bool read_only, bool load_all) {
    return std::make_unique<KeysetCursor>(std::move(db), std::move(stmt), text, read_only,
                                          load_all);
}

}  // namespace ortiva::sqlite
