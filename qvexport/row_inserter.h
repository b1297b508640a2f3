#pragma once

// Rows inserted into one table many to a statement: the values of a run of
// rows are bound to one INSERT with as many VALUES lists, which SQLite runs
// for a fraction of the cost of as many one-row statements (each of those is
// begun, checked against the transaction and ended on its own). The values
// wait in the inserter until a statement's worth of rows is there or flush()
// is called; rows still waiting when it is destroyed are not written, so a
// writer flushes before it deletes from the same table or commits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qvexport/sqlite.h"

namespace qv::qvexport {

class RowInserter {
public:
    // INSERT OR REPLACE INTO `table` of rows of `columns` values.
    RowInserter(Database& db, std::string_view table, int columns);

    // The next value of the current row (a row is complete after `columns`
    // values); the text is copied.
    RowInserter& add(std::int64_t number);
    RowInserter& add(std::string_view text);

    // Writes every complete row that waits.
    void flush();

private:
    struct Value {
        std::int64_t number = 0;   // or, for a text, its offset in texts_
        std::uint32_t size = 0;
        bool is_text = false;
    };

    void bind_row(Statement& statement, int first_parameter, std::size_t first_value);

    Database& db_;
    std::string table_;
    int columns_;
    int rows_per_statement_;
    std::vector<Value> values_;
    std::string texts_;  // the texts of the waiting values, one after another
    Statement one_row_;
    std::optional<Statement> many_rows_;  // prepared when a statement's worth of rows first waits
};

}  // namespace qv::qvexport
