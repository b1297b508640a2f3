#pragma once

// A thin RAII layer over the SQLite C library: a connection, prepared
// statements with bound values, and errors as exceptions that carry SQLite's
// own message.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace qv::qvexport {

struct SqliteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Statement;

class Database {
public:
    // Opens (creating when missing) the database file at a Linux path.
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements without results.
    void execute(std::string_view sql);
    Statement prepare(std::string_view sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    // Binds parameter `index` (from 1).
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    // Binds a text that stays where it is until the statement has run.
    Statement& bind_static(int index, std::string_view text);
    Statement& bind_null(int index);

    // Steps once: true while a row is ready.
    bool step();
    // Steps a statement that returns no rows, then resets it for the next use.
    void run();
    void reset();

    std::int64_t column_int(int column) const;
    std::string column_text(int column) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE on construction; rolled back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

}  // namespace qv::qvexport
