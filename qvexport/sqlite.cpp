#include "qvexport/sqlite.h"

#include <sqlite3.h>

namespace qv::qvexport {

namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    throw SqliteError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Set once, before the library starts: one thread uses it, so it needs no
// locks of its own, and it keeps no count of its memory.
void configure_library() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_SINGLETHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

}  // namespace

Database::Database(const std::string& path) {
    configure_library();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqliteError("cannot open " + path + ": " + message);
    }
    // One thread uses the connection: no locking inside the library.
    // A writer that finds the file busy waits for the other one instead of failing at once.
    sqlite3_busy_timeout(db_, 10000);
}

Database::~Database() { sqlite3_close(db_); }

void Database::execute(std::string_view sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw SqliteError(message);
    }
}

Statement Database::prepare(std::string_view sql) { return Statement(db_, sql); }

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK)
        fail(db, "cannot prepare a statement");
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement::Statement(Statement&& other) noexcept : db_(other.db_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) fail(db_, "cannot bind a value");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(db_, "cannot bind a text");
    return *this;
}

Statement& Statement::bind_static(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC) != SQLITE_OK)
        fail(db_, "cannot bind a text");
    return *this;
}

Statement& Statement::bind_null(int index) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) fail(db_, "cannot bind a null");
    return *this;
}

bool Statement::step() {
    switch (sqlite3_step(statement_)) {
        case SQLITE_ROW: return true;
        case SQLITE_DONE: return false;
        default: fail(db_, "cannot write to the database");
    }
}

void Statement::run() {
    step();
    reset();
}

// The next use binds every parameter again, so the bindings stay as they are.
void Statement::reset() { sqlite3_reset(statement_); }

std::int64_t Statement::column_int(int column) const { return sqlite3_column_int64(statement_, column); }

std::string Statement::column_text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

Transaction::Transaction(Database& db) : db_(db) { db_.execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    if (!open_) return;
    try {
        db_.execute("ROLLBACK");
    } catch (const SqliteError&) {
        // The connection is closing anyway; SQLite rolls back what was not committed.
    }
}

void Transaction::commit() {
    db_.execute("COMMIT");
    open_ = false;
}

}  // namespace qv::qvexport
