// The read-only cursors: forward-only (streams) and static (loads the result at Open).

#include <optional>

#include "drivers/odbc/cursor.hpp"
#include "drivers/odbc/errors.hpp"
#include "ortiva/error_info.hpp"
#include "seams/data/core/sql_text.hpp"

namespace ortiva::odbc {

void Cursor::refuse_update() const {
    refuse(code::not_updatable,
           "Current Recordset does not support updating. This may be a limitation of the "
           "provider, or of the selected locktype.");
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

class StaticCursor final : public Cursor {
  public:
    StaticCursor(std::unique_ptr<Statement> stmt, const std::string& sql)
        : Cursor(stmt->shared_session()), columns_(describe(*stmt, sql)) {
        RowReader reader(*stmt, columns_, sql);
        reader.bind();
        while (reader.fetch())
            rows_.push_back(reader.row());
    }

    bool eof() const override { return position_ >= rows_.size(); }
    int32_t record_count() const override { return static_cast<int32_t>(rows_.size()); }
    void move_first() override { position_ = 0; }
    void move_next() override { ++position_; }

    int32_t field_count() const override { return static_cast<int32_t>(columns_.size()); }
    std::string field_name(int32_t index) const override { return columns_[index].name; }
    Variant value(int32_t index) const override { return rows_[position_][index]; }

    void set_value(int32_t, const Variant&) override { refuse_update(); }
    void add_new() override { refuse_update(); }
    void update() override { refuse_update(); }
    void update_batch(int32_t) override { refuse_update(); }
    bool adding() const override { return false; }
    void close() override { rows_.clear(); }

  private:
    std::vector<Column> columns_;
    std::vector<std::vector<Variant>> rows_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<Cursor> open_forward(std::unique_ptr<Statement> executed, std::string sql) {
    return std::make_unique<ForwardCursor>(std::move(executed), std::move(sql));
}

std::unique_ptr<Cursor> open_static(std::unique_ptr<Statement> executed, std::string sql) {
    return std::make_unique<StaticCursor>(std::move(executed), sql);
}

}  // namespace ortiva::odbc
