#include "qvexport/row_inserter.h"

namespace qv::qvexport {

namespace {

// Within the 999 parameters of a statement that every SQLite release allows.
constexpr int parameters_per_statement = 999;

std::string insert_sql(std::string_view table, int columns, int rows) {
    std::string values = "(?";
    for (int i = 1; i < columns; ++i) values += ",?";
    values += ')';
    std::string sql = "INSERT OR REPLACE INTO " + std::string(table) + " VALUES" + values;
    for (int i = 1; i < rows; ++i) sql += "," + values;
    return sql;
}

}  // namespace

RowInserter::RowInserter(Database& db, std::string_view table, int columns)
    : db_(db),
      table_(table),
      columns_(columns),
      rows_per_statement_(parameters_per_statement / columns),
      one_row_(db.prepare(insert_sql(table, columns, 1))) {
    values_.reserve(static_cast<std::size_t>(rows_per_statement_ * columns_));
}

RowInserter& RowInserter::add(std::int64_t number) {
    values_.push_back({number, 0, false});
    if (values_.size() == static_cast<std::size_t>(rows_per_statement_ * columns_)) flush();
    return *this;
}

RowInserter& RowInserter::add(std::string_view text) {
    values_.push_back({static_cast<std::int64_t>(texts_.size()), static_cast<std::uint32_t>(text.size()), true});
    texts_ += text;
    if (values_.size() == static_cast<std::size_t>(rows_per_statement_ * columns_)) flush();
    return *this;
}

void RowInserter::bind_row(Statement& statement, int first_parameter, std::size_t first_value) {
    for (int column = 0; column < columns_; ++column) {
        const Value& value = values_[first_value + static_cast<std::size_t>(column)];
        if (value.is_text)
            statement.bind_static(first_parameter + column,
                                  std::string_view(texts_).substr(static_cast<std::size_t>(value.number), value.size));
        else
            statement.bind(first_parameter + column, value.number);
    }
}

void RowInserter::flush() {
    const std::size_t rows = values_.size() / static_cast<std::size_t>(columns_);
    std::size_t row = 0;
    if (rows == static_cast<std::size_t>(rows_per_statement_)) {
        if (!many_rows_) many_rows_.emplace(db_.prepare(insert_sql(table_, columns_, rows_per_statement_)));
        for (; row < rows; ++row)
            bind_row(*many_rows_, static_cast<int>(row) * columns_ + 1, row * static_cast<std::size_t>(columns_));
        many_rows_->run();
    }
    for (; row < rows; ++row) {
        bind_row(one_row_, 1, row * static_cast<std::size_t>(columns_));
        one_row_.run();
    }
    // A row still missing values stays for the values that complete it.
    values_.erase(values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(rows) * columns_);
    if (values_.empty()) texts_.clear();
}

}  // namespace qv::qvexport
