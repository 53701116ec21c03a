#pragma once
// What the history needs of SQLite beyond its C calls: statements that finalize themselves and
// large blobs written into their row in place.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

/// A prepared statement that finalizes itself. A statement that failed to prepare is false, and
/// every call on it does nothing and fails.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

    Statement& bind(int i, std::int64_t v);
    Statement& bind(int i, const std::string& blob);
    /// Room for a blob of n bytes, to be written in place (writeBlob).
    Statement& bindZeros(int i, std::size_t n);
    Statement& bindText(int i, const std::string& text);
    /// Runs a statement that returns no rows.
    bool done();
    bool row();
    std::int64_t integer(int col) const;
    bool isNull(int col) const;
    std::string blob(int col) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};

/// Fills the blob of column in table's row, made with room for it (Statement::bindZeros).
bool writeBlob(sqlite3* db, const char* table, const char* column, std::int64_t row, std::string_view bytes);

}  // namespace velmora
