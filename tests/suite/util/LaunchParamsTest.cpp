#include "LaunchParams.h"

#include <gtest/gtest.h>

using namespace evapre;

TEST(LaunchParams, ByLetter) {
    const QString params = QStringLiteral(
        "/M:menu01 /P:\"EvaPre EvPr\" /f:frmEvasPre  /I:/etc/tovwin.ini /X /Y: /Q:\"a \"\"b\"\" "
        "c\"");
    EXPECT_EQ(LaunchParam(u'M', params), QStringLiteral("menu01"));
    EXPECT_EQ(LaunchParam(u'm', params), QStringLiteral("menu01"));
    EXPECT_EQ(LaunchParam(u'P', params), QStringLiteral("EvaPre EvPr"));
    EXPECT_EQ(LaunchParam(u'F', params), QStringLiteral("frmEvasPre"));
    EXPECT_EQ(LaunchParam(u'I', params), QStringLiteral("/etc/tovwin.ini"));
    EXPECT_EQ(LaunchParam(u'Q', params), QStringLiteral("a \"b\" c"));
    EXPECT_EQ(LaunchParam(u'X', params), QString());
    EXPECT_TRUE(HasLaunchParam(u'X', params));
    EXPECT_TRUE(HasLaunchParam(u'y', params));
    EXPECT_EQ(LaunchParam(u'H', params), QString());
    EXPECT_FALSE(HasLaunchParam(u'H', params));
}

TEST(LaunchParams, OddInput) {
    EXPECT_EQ(LaunchParam(u'P', QString()), QString());
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("/P:uno /P:due")),
              QStringLiteral("uno"));  // first wins
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("garbage /etc/x /P:ok")), QStringLiteral("ok"));
    EXPECT_EQ(LaunchParam(u'E', QStringLiteral("/etc/x")), QString());  // a path is no token
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("\"/P:dentro\" /P:fuori")), QStringLiteral("fuori"));
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("/P:\"non chiuso")), QStringLiteral("non chiuso"));
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("/P:a\"b c\"d /F:x")), QStringLiteral("ab cd"));
    EXPECT_EQ(LaunchParam(u'F', QStringLiteral("/P:a\"b c\"d /F:x")), QStringLiteral("x"));
    EXPECT_EQ(LaunchParam(u'P', QStringLiteral("\t/P:tab\n/F:nl")), QStringLiteral("tab"));
    EXPECT_EQ(LaunchParam(u'F', QStringLiteral("\t/P:tab\n/F:nl")), QStringLiteral("nl"));
    EXPECT_EQ(LaunchParam(u'H', QStringLiteral("/H:\"C:\\Program Files\\help.chm\"")),
              QStringLiteral("C:\\Program Files\\help.chm"));
}

TEST(LaunchParams, BuilderRoundTrip) {
    const QStringList values{
        QString(),
        QStringLiteral("semplice"),
        QStringLiteral("EvaPre EvPr"),
        QStringLiteral("  spazi ai lati  "),
        QStringLiteral("\"tra virgolette\""),
        QStringLiteral("\""),
        QStringLiteral("\"\""),
        QStringLiteral("a\"b"),
        QStringLiteral("/P:finto /F:altro"),
        QStringLiteral("/"),
        QStringLiteral("C:\\dir con spazi\\file.ini"),
        QStringLiteral("àèéìòù € ñ"),
        QStringLiteral("tab\tnl\nfine"),
        QStringLiteral(":"),
        QStringLiteral("x:y"),
        QStringLiteral("'; DROP TABLE x; --"),
    };
    QList<QPair<QChar, QString>> all;
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QChar letter = letters.at(i);
        const QString one = BuildLaunchParams({{letter, values.at(i)}});
        EXPECT_EQ(LaunchParam(letter, one), values.at(i)) << one.toStdString();
        EXPECT_TRUE(HasLaunchParam(letter, one));
        all.append({letter, values.at(i)});
    }
    const QString built = BuildLaunchParams(all);
    for (const auto& [letter, value] : all)
        EXPECT_EQ(LaunchParam(letter, built), value) << built.toStdString();
    EXPECT_EQ(ParseLaunchParams(built), all);

    // As separate process arguments.
    const QStringList args = BuildLaunchArgs(all);
    EXPECT_EQ(args.at(2), QStringLiteral("/C:EvaPre EvPr"));
    const QString fromArgs = LaunchParamsFromArgs(QStringList{QStringLiteral("ignored")} + args);
    for (const auto& [letter, value] : all)
        EXPECT_EQ(LaunchParam(letter, fromArgs), value);
    EXPECT_EQ(
        BuildLaunchParams({{u'p', QStringLiteral("EvaPre EvPr")}, {u'M', QStringLiteral("m1")}}),
        QStringLiteral("/P:\"EvaPre EvPr\" /M:m1"));
}
