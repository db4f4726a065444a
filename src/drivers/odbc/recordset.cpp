// The read-only cursors: forward-only (streams) and static (loads the result at Open).

#include "drivers/odbc/cursor.hpp"
#include "drivers/odbc/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/forward_cursor.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::odbc {

void Cursor::refuse_update() const {
    detail::refuse_update(error_source);
}

namespace {

class ForwardCursor final : public detail::ForwardCursor<Cursor, ForwardCursor> {
  public:
    ForwardCursor(std::unique_ptr<Statement> stmt, std::string sql)
        : detail::ForwardCursor<Cursor, ForwardCursor>(stmt->shared_session()),
          stmt_(std::move(stmt)),
          sql_(std::move(sql)),
          columns_(describe(*stmt_, sql_)),
          reader_(*stmt_, columns_, sql_) {
        reader_.bind();
        start(error_source, columns_);
    }

  private:
    friend detail::ForwardCursor<Cursor, ForwardCursor>;

    bool fetch() { return reader_.fetch(); }
    Variant read(std::size_t i) const { return reader_.value(i); }
    bool rerunnable() const { return detail::sql::is_select(sql_, detail::sql::odbc_dialect); }
    void rerun() {
        stmt_->close_cursor();
        stmt_->execute_direct(sql_);
    }
    std::string_view statement() const { return sql_; }
    void give_back() { stmt_.reset(); }

    std::unique_ptr<Statement> stmt_;
    std::string sql_;
    std::vector<Column> columns_;
    mutable RowReader reader_;
};

}  // namespace

std::unique_ptr<Cursor> open_forward(std::unique_ptr<Statement> executed, std::string sql) {
    return std::make_unique<ForwardCursor>(std::move(executed), std::move(sql));
}

std::unique_ptr<detail::CursorDriver> open_static(std::unique_ptr<Statement> executed,
                                                  std::string sql) {
    ForwardCursor rows(std::move(executed), std::move(sql));
    return detail::load_static(error_source, rows);
}

}  // namespace ortiva::odbc
