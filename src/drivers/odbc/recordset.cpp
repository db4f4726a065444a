// The read-only cursors: forward-only (streams) and static (loads the result at Open).

#include <optional>

#include "drivers/odbc/cursor.hpp"
#include "drivers/odbc/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::odbc {

void Cursor::refuse_update() const {
    detail::refuse_update(error_source);
}

namespace {

class ForwardCursor final : public Cursor {
  public:
    ForwardCursor(std::unique_ptr<Statement> stmt, std::string sql)
        : Cursor(stmt->shared_session()),
          stmt_(std::move(stmt)),
          sql_(std::move(sql)),
          columns_(describe(*stmt_, sql_)),
          reader_(*stmt_, columns_, sql_) {
        reader_.bind();
        advance();
    }

    bool eof() const override { return !has_row_; }
    int32_t record_count() const override { return -1; }

    void move_first() override {
        if (position_ == 0 && !failure_) return;
        // Starting over runs the statement again, which only a query may do.
        if (!detail::sql::is_select(sql_, detail::sql::odbc_dialect)) {
            refuse(code::cannot_fetch_backward, "The rowset does not support fetching backward.",
                   sql_);
        }
        stmt_->close_cursor();
        failure_.reset();
        position_ = -1;
        stmt_->execute_direct(sql_);
        advance();
    }

    void move_next() override { advance(); }

    int32_t field_count() const override { return static_cast<int32_t>(columns_.size()); }
    std::string field_name(int32_t index) const override { return columns_[index].name; }
    Variant value(int32_t index) const override {
        return reader_.value(static_cast<std::size_t>(index));
    }

    void set_value(int32_t, const Variant&) override { refuse_update(); }
    void add_new() override { refuse_update(); }
    void update() override { refuse_update(); }
    void update_batch(int32_t) override { refuse_update(); }
    bool adding() const override { return false; }
    void close() override { stmt_.reset(); }

  private:
    void advance() {
        // A failed fetch leaves the result unusable: report the failure again.
        if (failure_) throw *failure_;
        try {
            has_row_ = reader_.fetch();
        } catch (const ErrorInfo& e) {
            has_row_ = false;
            failure_ = e;
            throw;
        }
        ++position_;
    }

    std::unique_ptr<Statement> stmt_;
    std::string sql_;
    std::vector<Column> columns_;
    mutable RowReader reader_;
    bool has_row_ = false;
    int64_t position_ = -1;
    std::optional<ErrorInfo> failure_;
};

}  // namespace

std::unique_ptr<Cursor> open_forward(std::unique_ptr<Statement> executed, std::string sql) {
    return std::make_unique<ForwardCursor>(std::move(executed), std::move(sql));
}

std::unique_ptr<detail::CursorDriver> open_static(std::unique_ptr<Statement> executed,
                                                  std::string sql) {
    const std::vector<Column> columns = describe(*executed, sql);
    std::vector<std::string> names;
    for (const auto& c : columns)
        names.push_back(c.name);
    std::vector<std::vector<Variant>> rows;
    RowReader reader(*executed, columns, sql);
    reader.bind();
    while (reader.fetch())
        rows.push_back(reader.row());
    return detail::make_static_cursor(error_source, std::move(names), std::move(rows));
}

}  // namespace ortiva::odbc
