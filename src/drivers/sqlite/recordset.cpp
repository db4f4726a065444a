// The read-only cursors: forward-only (streams) and static (loads the result at Open).

#include "drivers/sqlite/cursor.hpp"
#include "drivers/sqlite/diagnostics.hpp"
#include "drivers/sqlite/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/forward_cursor.hpp"

namespace ortiva::sqlite {

std::vector<Column> read_columns(sqlite3_stmt* stmt, int first) {
    std::vector<Column> columns;
    const int n = sqlite3_column_count(stmt);
    for (int i = first; i < n; ++i) {
        const char* name = sqlite3_column_name(stmt, i);
        columns.push_back({name ? name : "", column_kind(sqlite3_column_decltype(stmt, i))});
    }
    return columns;
}

bool Cursor::step_row(sqlite3_stmt* stmt, std::string_view shown) const {
    if (!step(db_->db, stmt, shown)) return false;
    ++rows_stepped_;
    ++db_->rows_stepped;
    return true;
}

void Cursor::refuse_update() const {
    detail::refuse_update(error_source);
}

namespace {

class ForwardCursor final : public detail::ForwardCursor<Cursor, ForwardCursor> {
  public:
    ForwardCursor(std::shared_ptr<Database> db, Statement stmt, std::string text, std::string shown)
        : detail::ForwardCursor<Cursor, ForwardCursor>(std::move(db)),
          stmt_(std::move(stmt)),
          text_(std::move(text)),
          shown_(std::move(shown)),
          columns_(read_columns(stmt_.get())) {
        start(error_source, columns_);
    }

  private:
    friend detail::ForwardCursor<Cursor, ForwardCursor>;

    bool fetch() { return step_row(stmt_.get(), shown_); }
    Variant read(std::size_t i) const {
        return read_value(stmt_.get(), static_cast<int>(i), columns_[i].kind);
    }
    bool rerunnable() const { return sqlite3_stmt_readonly(stmt_.get()) != 0; }
    void rerun() { sqlite3_reset(stmt_.get()); }
    std::string_view statement() const {
        if (shown_.empty()) return sqlite3_sql(stmt_.get());
        return shown_;
    }
    void give_back() { db_->cache.give_back(std::move(text_), std::move(stmt_)); }

    Statement stmt_;
    std::string text_;
    std::string shown_;
    std::vector<Column> columns_;
};

}  // namespace

std::unique_ptr<Cursor> open_forward(std::shared_ptr<Database> db, Statement stmt, std::string text,
                                     std::string shown) {
    return std::make_unique<ForwardCursor>(std::move(db), std::move(stmt), std::move(text),
                                           std::move(shown));
}

std::unique_ptr<detail::CursorDriver> open_static(std::shared_ptr<Database> db, Statement stmt,
                                                  std::string text, std::string_view shown) {
    ForwardCursor rows(std::move(db), std::move(stmt), std::move(text), std::string(shown));
    return detail::load_static(error_source, rows);
}

int64_t rows_stepped(const detail::CursorDriver& cursor) {
    const auto* own = dynamic_cast<const Cursor*>(&cursor);
    return own ? own->rows_stepped() : -1;
}

}  // namespace ortiva::sqlite
