#pragma once

namespace evapre {

// The SQL syntax of a connected database. ODBC connections reach PostgreSQL through
// psqlODBC, so they speak the PostgreSQL dialect.
enum class SqlDialect { SQLite, PostgreSQL };

}  // namespace evapre
