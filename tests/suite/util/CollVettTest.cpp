#include "CollVett.h"

#include <gtest/gtest.h>

using namespace evapre;

namespace {
Currency C(const char* text) {
    return Currency::parse(QString::fromUtf8(text)).value();
}
}  // namespace

TEST(CollVett, AddReadChangeCountClear) {
    CollVett c;
    EXPECT_EQ(c.count(), 0);
    c.add(QStringLiteral("EUR"), C("1"));
    c.add(QStringLiteral("USD"), C("1.0876"));
    c.add(QStringLiteral("Descr"), QStringLiteral("Spese di incasso"));
    EXPECT_EQ(c.count(), 3);
    EXPECT_EQ(c.amount(QStringLiteral("usd")), C("1.0876"));
    EXPECT_EQ(c.amount(2), C("1.0876"));  // 1-based
    EXPECT_EQ(c.text(QStringLiteral("DESCR")), QStringLiteral("Spese di incasso"));
    EXPECT_EQ(c.key(1), QStringLiteral("EUR"));
    EXPECT_EQ(c.indexOf(QStringLiteral("descr")), 3);
    EXPECT_EQ(c.indexOf(QStringLiteral("GBP")), 0);
    EXPECT_TRUE(c.contains(QStringLiteral("Usd")));
    EXPECT_FALSE(c.contains(QStringLiteral("GBP")));
    EXPECT_FALSE(c.contains(QString()));

    c.set(QStringLiteral("USD"), C("1.1"));
    EXPECT_EQ(c.amount(QStringLiteral("USD")), C("1.1"));
    c.set(1, QVariant::fromValue(C("2")));
    EXPECT_EQ(c.amount(QStringLiteral("EUR")), C("2"));
    c.accumula(QStringLiteral("eur"), C("0.5"));
    EXPECT_EQ(c.amount(QStringLiteral("EUR")), C("2.5"));
    c.accumula(QStringLiteral("Bolli"), C("2"));
    EXPECT_EQ(c.count(), 4);
    EXPECT_EQ(c.amount(4), C("2"));
    EXPECT_EQ(c.keys(), (QStringList{QStringLiteral("EUR"), QStringLiteral("USD"),
                                     QStringLiteral("Descr"), QStringLiteral("Bolli")}));

    c.clear();
    EXPECT_EQ(c.count(), 0);
    EXPECT_FALSE(c.contains(QStringLiteral("EUR")));
    c.add(QStringLiteral("EUR"), C("3"));  // the key is free again
    EXPECT_EQ(c.amount(1), C("3"));
}

TEST(CollVett, Errors) {
    CollVett c;
    c.add(QStringLiteral("Chiave"), C("1"));
    try {
        c.add(QStringLiteral("CHIAVE"), C("2"));
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Chiave già presente: CHIAVE"));
    }
    EXPECT_THROW(c.item(QStringLiteral("manca")), CollVettError);
    EXPECT_THROW(c.item(0), CollVettError);
    EXPECT_THROW(c.item(2), CollVettError);
    EXPECT_THROW(c.set(QStringLiteral("manca"), QVariant(1)), CollVettError);
    EXPECT_THROW(c.remove(QStringLiteral("manca")), CollVettError);
    EXPECT_THROW(c.remove(5), CollVettError);
    EXPECT_EQ(c.count(), 1);
}

TEST(CollVett, RemoveKeepsOrderAndKeys) {
    CollVett c;
    c.add(QStringLiteral("a"), QStringLiteral("1"));
    c.addSenzaChiave(QStringLiteral("2"));
    c.add(QStringLiteral("b"), QStringLiteral("3"));
    c.add(QStringLiteral("c"), QStringLiteral("4"));
    EXPECT_EQ(c.text(2), QStringLiteral("2"));
    EXPECT_EQ(c.key(2), QString());
    c.remove(QStringLiteral("A"));
    EXPECT_EQ(c.count(), 3);
    EXPECT_EQ(c.text(1), QStringLiteral("2"));
    EXPECT_EQ(c.indexOf(QStringLiteral("b")), 2);
    c.remove(1);
    EXPECT_EQ(c.text(QStringLiteral("c")), QStringLiteral("4"));
    EXPECT_EQ(c.indexOf(QStringLiteral("c")), 2);
    c.add(QStringLiteral("a"), QStringLiteral("5"));
    EXPECT_EQ(c.indexOf(QStringLiteral("A")), 3);
}
