#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>

namespace evapre {

// An amount or quantity leaving the Currency range. Never a silent wrap.
class CurrencyOverflow : public std::overflow_error {
  public:
    CurrencyOverflow() : std::overflow_error("Importo fuori dai limiti") {}
};

// Division of an amount by zero.
class CurrencyDivisionByZero : public std::domain_error {
  public:
    CurrencyDivisionByZero() : std::domain_error("Divisione per zero") {}
};

// A value that is not a number where an amount was expected (text from the database,
// a variant of a type that carries no number).
class CurrencyFormatError : public std::invalid_argument {
  public:
    explicit CurrencyFormatError(const QString& text)
        : std::invalid_argument(
              (QStringLiteral("Valore non numerico: ") + text).toUtf8().toStdString()) {}
};

// Fixed-point number: an int64 scaled by 10 000 (four decimals), range
// ±922 337 203 685 477,5807. Every amount and quantity of the system is held in it.
// Every operation is exact or rounds half away from zero to 4 decimals; leaving the range
// throws CurrencyOverflow. The raw value INT64_MIN is reachable only through fromRaw().
class Currency {
  public:
    static constexpr int64_t kScale = 10000;
    static constexpr int kDecimals = 4;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(int64_t raw) { return Currency(raw); }
    constexpr int64_t raw() const { return mRaw; }

    // Whole units. Throws CurrencyOverflow when n × 10 000 does not fit.
    static Currency fromInt(int64_t n);
    // Rounded half away from zero to 4 decimals, from the shortest decimal text that reads
    // back as the same double (so 1.005 is 1,005 and 2.00005 rounds to 2,0001).
    // NaN, infinities and out-of-range values throw CurrencyOverflow.
    static Currency fromDouble(double d);

    // Plain database text: optional blanks, optional sign, digits with an optional '.'
    // decimal point ("1234.5678", "-0.5", "12", ".5", "5."), optional exponent ("1e3",
    // "1.5E-05"). Exact, never through a double; more than 4 decimals are rounded half away
    // from zero. No thousands separators, no comma (see NumberConv for typed Italian text).
    // nullopt when the text is not such a number or does not fit.
    static std::optional<Currency> parse(QStringView text);

    // Null or invalid → 0; Currency; bool (1/0); integers; double (as fromDouble); text
    // (QString/QByteArray: blank → 0, else parse(), e.g. PostgreSQL NUMERIC "1234.5600").
    // Throws CurrencyFormatError on text that is not a number or a type without a number,
    // CurrencyOverflow when out of range.
    static Currency fromVariant(const QVariant& value);

    double toDouble() const;
    // "1234.56", "-0.0001", "12", "0": '.' decimal separator, no thousands, trailing zeros
    // trimmed; exact.
    QString toSqlText() const;
    // The same text written at out (at most kSqlTextMax characters); the end of what it wrote.
    static constexpr int kSqlTextMax = 48;
    char* writeSqlText(char* out) const;
    // Italian display "#,##0.00": "1.234,56", "-1.234,56"; rounded half away from zero to
    // `decimals` (negative taken as 0; more than 4 padded with zeros). A value that
    // rounds to zero shows no minus sign.
    QString format(int decimals = 2) const;

    Currency abs() const;
    constexpr bool isZero() const { return mRaw == 0; }
    constexpr int sign() const { return mRaw > 0 ? 1 : (mRaw < 0 ? -1 : 0); }

    Currency operator-() const;
    constexpr Currency operator+() const { return *this; }

    Currency& operator+=(Currency o);
    Currency& operator-=(Currency o);
    Currency& operator*=(Currency o);
    Currency& operator*=(int64_t n);
    Currency& operator/=(Currency o);
    Currency& operator/=(int64_t n);

    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    // Currency × Currency and Currency / Currency round half away from zero to 4 decimals.
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator*(Currency a, int64_t n);
    friend Currency operator*(int64_t n, Currency a);
    friend Currency operator/(Currency a, Currency b);  // throws CurrencyDivisionByZero
    friend Currency operator/(Currency a, int64_t n);   // throws CurrencyDivisionByZero

    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr std::strong_ordering operator<=>(Currency a, Currency b) = default;

    // For test output: the SQL text.
    friend std::ostream& operator<<(std::ostream& os, Currency c);

  private:
    constexpr explicit Currency(int64_t raw) : mRaw(raw) {}
    int64_t mRaw = 0;
};

}  // namespace evapre

Q_DECLARE_METATYPE(evapre::Currency)
