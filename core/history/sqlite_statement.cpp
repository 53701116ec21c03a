#include "core/history/sqlite_statement.h"

#include <algorithm>
#include <climits>

namespace velmora {

Statement::Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int i, std::int64_t v) {
    if (stmt_) sqlite3_bind_int64(stmt_, i, v);
    return *this;
}

Statement& Statement::bind(int i, const std::string& blob) {
    if (stmt_) sqlite3_bind_blob64(stmt_, i, blob.data(), blob.size(), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindZeros(int i, std::size_t n) {
    if (stmt_) sqlite3_bind_zeroblob64(stmt_, i, n);
    return *this;
}

Statement& Statement::bindText(int i, const std::string& text) {
    if (stmt_) sqlite3_bind_text64(stmt_, i, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

bool Statement::done() { return stmt_ && sqlite3_step(stmt_) == SQLITE_DONE; }

bool Statement::row() { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }

std::int64_t Statement::integer(int col) const { return sqlite3_column_int64(stmt_, col); }

bool Statement::isNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }

std::string Statement::blob(int col) const {
    const void* p = sqlite3_column_blob(stmt_, col);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
}

// A megabyte at a time.
bool writeBlob(sqlite3* db, const char* table, const char* column, std::int64_t row, std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return false;  // offsets are ints
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, "main", table, column, row, 1, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return false;
    }
    constexpr std::size_t piece = std::size_t{1} << 20;
    bool ok = true;
    for (std::size_t at = 0; ok && at < bytes.size(); at += piece) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        ok = sqlite3_blob_write(blob, bytes.data() + at, static_cast<int>(n), static_cast<int>(at)) == SQLITE_OK;
    }
    return sqlite3_blob_close(blob) == SQLITE_OK && ok;
}

}  // namespace velmora
