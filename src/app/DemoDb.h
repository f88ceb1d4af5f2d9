#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

namespace evapre {

class DbConnection;

struct DemoOptions {
    int quotes = 200;
    int lines = 8;
    uint64_t seed = 1;
};

// What a build wrote, for the final report.
struct DemoCounts {
    int customers = 0;
    int suppliers = 0;
    int articles = 0;
    int kits = 0;
    int priceRows = 0;
    int quotes = 0;
    int64_t quoteLines = 0;
    int64_t levelRows = 0;
    int quoteExpenses = 0;
};

// The database already holds company data: nothing was written.
class DemoRefused : public std::runtime_error {
  public:
    explicit DemoRefused(const QString& message)
        : std::runtime_error(message.toStdString()), mMessage(message) {}
    const QString& message() const { return mMessage; }

  private:
    QString mMessage;
};

// Writes a deterministic Italian demo company (parameters, tables, customers, suppliers,
// articles, price lists, stock and quotes) into a database that holds the schema and no
// company data. The same options give the same rows, byte for byte. Everything is written
// in one transaction: on any failure nothing stays.
class DemoCompanyBuilder {
  public:
    using Progress = std::function<void(const QString&)>;

    DemoCompanyBuilder(DbConnection& db, DemoOptions options, Progress progress = {});
    ~DemoCompanyBuilder();

    // Throws DemoRefused when the database already holds quotes or company data,
    // DbError on a database failure.
    DemoCounts build();

    // The tables the builder fills.
    static QStringList tables();

  private:
    class Impl;
    std::unique_ptr<Impl> mImpl;
};

}  // namespace evapre
