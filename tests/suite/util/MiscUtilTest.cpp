#include "Currency.h"
#include "ErroreTabella.h"
#include "PathUtil.h"
#include "RangeCompare.h"
#include "TextUtil.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <gtest/gtest.h>

using namespace evapre;

TEST(TextUtil, IsBlank) {
    EXPECT_TRUE(IsBlank(QVariant()));
    EXPECT_TRUE(IsBlank(QVariant(QMetaType::fromType<QString>())));
    EXPECT_TRUE(IsBlank(QVariant(QString())));
    EXPECT_TRUE(IsBlank(QVariant(QStringLiteral(""))));
    EXPECT_TRUE(IsBlank(QVariant(QStringLiteral("    "))));
    EXPECT_TRUE(IsBlank(QVariant(QByteArray("  "))));
    EXPECT_TRUE(IsBlank(QVariant(QDate())));
    EXPECT_TRUE(IsBlank(QStringLiteral(" ")));
    EXPECT_FALSE(IsBlank(QVariant(QStringLiteral(" a "))));
    EXPECT_FALSE(
        IsBlank(QVariant(QStringLiteral("\t"))));  // only spaces count, as the suite's Trim
    EXPECT_FALSE(IsBlank(QVariant(0)));
    EXPECT_FALSE(IsBlank(QVariant(0.0)));
    EXPECT_FALSE(IsBlank(QVariant(false)));
    EXPECT_FALSE(IsBlank(QVariant::fromValue(Currency())));
    EXPECT_FALSE(IsBlank(QVariant(QDate(2026, 1, 1))));
}

TEST(TextUtil, InList) {
    const QString list = QStringLiteral("PC1;PC2; Cassa 3 ;;X");
    EXPECT_TRUE(InList(QStringLiteral("PC1"), list));
    EXPECT_TRUE(InList(QStringLiteral("PC2"), list));
    EXPECT_TRUE(InList(QStringLiteral("Cassa 3"), list));
    EXPECT_TRUE(InList(QStringLiteral(" X "), list));
    EXPECT_FALSE(InList(QStringLiteral("pc1"), list));  // case-sensitive
    EXPECT_FALSE(InList(QStringLiteral("PC"), list));
    EXPECT_FALSE(InList(QStringLiteral("PC1;PC2"), list));
    EXPECT_FALSE(InList(QString(), list));
    EXPECT_FALSE(InList(QStringLiteral(" "), list));
    EXPECT_FALSE(InList(QStringLiteral("PC1"), QString()));
    EXPECT_TRUE(InList(QVariant(QStringLiteral("PC2")), list));
    EXPECT_FALSE(InList(QVariant(), list));
    EXPECT_TRUE(InList(QVariant(3), QStringLiteral("1;2;3")));
}

TEST(RangeCompare, Text) {
    auto T = [](const char* a, const char* b) {
        return RangeInverted(QVariant(QString::fromUtf8(a)), QVariant(QString::fromUtf8(b)),
                             RangeKind::Text);
    };
    EXPECT_TRUE(T("B", "A"));
    EXPECT_FALSE(T("A", "B"));
    EXPECT_FALSE(T("A", "A"));
    EXPECT_FALSE(T("", "A"));
    EXPECT_FALSE(T("B", ""));
    EXPECT_FALSE(T("B", "   "));
    EXPECT_TRUE(T("b", "B"));  // by code
    EXPECT_TRUE(T("01-02-00010", "01-02-00009"));
    EXPECT_FALSE(T(" A", "A "));
}

TEST(RangeCompare, Dates) {
    auto D = [](const char* a, const char* b) {
        return RangeInverted(QVariant(QString::fromUtf8(a)), QVariant(QString::fromUtf8(b)),
                             RangeKind::Date);
    };
    EXPECT_TRUE(D("02/01/2026", "01/01/2026"));
    EXPECT_FALSE(D("01/01/2026", "02/01/2026"));
    EXPECT_FALSE(D("01/01/2026", "01/01/2026"));
    EXPECT_TRUE(D("01/02/2026", "31/01/2026"));  // not a text comparison
    EXPECT_FALSE(D("31/01/2026", "01/02/2026"));
    EXPECT_TRUE(D("1/1/29", "31/12/30"));  // 2029 > 1930
    EXPECT_FALSE(D("1/1/30", "31/12/29"));
    EXPECT_FALSE(D("", "01/01/2026"));
    EXPECT_FALSE(D("01/01/2026", ""));
    EXPECT_FALSE(D("32/01/2026", "01/01/2026"));  // malformed: no inversion
    EXPECT_TRUE(
        RangeInverted(QVariant(QDate(2026, 2, 1)), QVariant(QDate(2026, 1, 1)), RangeKind::Date));
}

TEST(RangeCompare, Numbers) {
    auto N = [](const char* a, const char* b) {
        return RangeInverted(QVariant(QString::fromUtf8(a)), QVariant(QString::fromUtf8(b)),
                             RangeKind::Number);
    };
    EXPECT_TRUE(N("10", "9"));  // not a text comparison
    EXPECT_FALSE(N("9", "10"));
    EXPECT_FALSE(N("10", "10,0"));
    EXPECT_TRUE(N("1.234,5", "1234"));
    EXPECT_TRUE(N("-1", "-2"));
    EXPECT_FALSE(N("", "5"));
    EXPECT_FALSE(N("abc", "5"));
    EXPECT_TRUE(RangeInverted(QVariant(10), QVariant(9), RangeKind::Number));
}

TEST(ErroreTabella, Entries) {
    EXPECT_EQ(ErroreTabella(5), 429);
    EXPECT_EQ(ErroreTabella(7), 7);
    EXPECT_EQ(ErroreTabella(5), kErrMenuNonInEsecuzione);
    EXPECT_EQ(ErroreTabella(7), kErrMemoriaEsaurita);
    EXPECT_EQ(ErroreTabella(0), 0);
    EXPECT_EQ(ErroreTabella(999), 0);
}

TEST(PathUtil, FullPath) {
    EXPECT_EQ(PercorsoCompleto(QString(), QStringLiteral("/dati"), QStringLiteral("ditta.db")),
              QStringLiteral("/dati/ditta.db"));
    EXPECT_EQ(PercorsoCompleto(QString(), QStringLiteral("/dati/"), QStringLiteral("ditta.db")),
              QStringLiteral("/dati/ditta.db"));
    EXPECT_EQ(
        PercorsoCompleto(QStringLiteral("C:"), QStringLiteral("\\dati\\"), QStringLiteral("a.db")),
        QStringLiteral("/dati/a.db"));
    EXPECT_EQ(PercorsoCompleto(QStringLiteral("c:\\"), QStringLiteral("C:\\dati"),
                               QStringLiteral("a.db")),
              QStringLiteral("/dati/a.db"));
    EXPECT_EQ(
        PercorsoCompleto(QStringLiteral("/srv"), QStringLiteral("dati"), QStringLiteral("a.db")),
        QStringLiteral("/srv/dati/a.db"));
    EXPECT_EQ(
        PercorsoCompleto(QStringLiteral("/srv/"), QStringLiteral("/dati"), QStringLiteral("a.db")),
        QStringLiteral("/dati/a.db"));
    EXPECT_EQ(PercorsoCompleto(QString(), QString(), QStringLiteral("a.db")),
              QStringLiteral("a.db"));
    EXPECT_EQ(PercorsoCompleto(QStringLiteral("/srv"), QString(), QStringLiteral("a.db")),
              QStringLiteral("/srv/a.db"));
    EXPECT_EQ(
        PercorsoCompleto(QStringLiteral("/srv"), QStringLiteral("dati"), QStringLiteral("/x/a.db")),
        QStringLiteral("/x/a.db"));
    EXPECT_EQ(PercorsoCompleto(QString(), QStringLiteral("dati"), QStringLiteral("sub\\a.db")),
              QStringLiteral("dati/sub/a.db"));
}

TEST(PathUtil, Folders) {
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("/dati")), QStringLiteral("/dati/"));
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("/dati/")), QStringLiteral("/dati/"));
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("/dati//")), QStringLiteral("/dati/"));
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("\\img\\foto")), QStringLiteral("/img/foto/"));
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("  ")), QString());
    EXPECT_EQ(NormalizzaCartella(QStringLiteral("/")), QStringLiteral("/"));

    qunsetenv("EVAPRE_SYSTEM_DIR");
    EXPECT_EQ(CartellaSistema(), QStringLiteral("/etc"));
    qputenv("EVAPRE_SYSTEM_DIR", "/tmp/sys/");
    EXPECT_EQ(CartellaSistema(), QStringLiteral("/tmp/sys"));
    qunsetenv("EVAPRE_SYSTEM_DIR");

    if (!QCoreApplication::instance()) {
        EXPECT_EQ(CartellaProgramma(), QDir::currentPath());
    }
    int argc = 1;
    char arg0[] = "/usr/local/bin/util_tests_fake";
    char* argv[] = {arg0, nullptr};
    {
        QCoreApplication app(argc, argv);
        EXPECT_EQ(CartellaProgramma(), QCoreApplication::applicationDirPath());
        EXPECT_FALSE(CartellaProgramma().endsWith(u'/'));
    }
}
